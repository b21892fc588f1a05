#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// File names as the system holds them: bytes, usually UTF-8, but a name
// copied from an old flash drive may be in code page 1251 or 866. Qt decodes
// such a name lossily (each stray byte becomes U+FFFD) and cannot open it
// again. Here a name is decoded so that it gives its bytes back: valid UTF-8
// as its characters, every other byte b as the lone surrogate U+DC00 + b
// (U+DC80..U+DCFF), which no valid UTF-8 decodes to. The core opens, saves
// and looks at files through these names only.
namespace nativename {

QString decode(QByteArrayView native);
// The reverse of decode. A lone surrogate outside U+DC80..U+DCFF has no byte
// and becomes U+FFFD.
QByteArray encode(QStringView name);

// The name for a message: each byte that is not UTF-8 as "\xCF" (upper-case
// hex), each control character as "\x1B" (ASCII) or "\u0085", each
// bidirectional control and line separator as "\u202E", as a shell's $'...'
// takes them back; the rest as it is.
QString displayed(QStringView name);

// The path made absolute against the current directory, and cleaned of "."
// and "..", keeping every byte (QFileInfo would decode it lossily).
QString absolute(const QString &path);

// A path that Qt decoded lossily (from its file dialog or a dropped URL):
// every component that holds U+FFFD is looked up in its directory, and the
// one entry that Qt would have decoded to it is taken. A path without U+FFFD
// comes back as it is, as does a component that nothing matches (a new
// file's name).
struct Resolved {
    QString path;  // decoded as by decode(); empty when ambiguous
    QString error; // Russian, when several entries match one component
};
Resolved resolveLossy(const QString &path);

} // namespace nativename
