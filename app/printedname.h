#pragma once

#include "io/nativename.h"

#include <QByteArray>
#include <QString>

// A file's name in a line of output, as coreutils' checksum tools write it:
// the name's own bytes (a name that is not UTF-8 stays as it is on disk), and
// a name with a backslash or a line break in it has them escaped ("\\",
// "\n") and its line starts with a backslash, so each line stays one line
// and `sha256sum -c` reads the name back.
struct PrintedName {
    QByteArray linePrefix; // "\\" or nothing
    QByteArray name;
};

inline PrintedName printedName(const QString &path) {
    if (!path.contains(u'\\') && !path.contains(u'\n'))
        return {QByteArray(), nativename::encode(path)};
    QString escaped = path;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
    return {QByteArrayLiteral("\\"), nativename::encode(escaped)};
}

// A file's name in a message or in a line of --print's and --check's output:
// a byte that is not UTF-8 as "\xCF" (nativename::displayed), and a control
// character as "\x0A" too, so that a line break in a name never breaks the
// line ("file:line:column: ..." stays one line).
inline QString shownName(const QString &path) {
    const QString readable = nativename::displayed(path);
    QString shown;
    shown.reserve(readable.size());
    for (const QChar c : readable) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            shown += QStringLiteral("\\x") +
                     QString::number(c.unicode(), 16).rightJustified(2, u'0').toUpper();
        else
            shown += c;
    }
    return shown;
}
