#pragma once

#include "document/filesource.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

// The header of a recovery copy's file. A copy is a few lines of text, an
// empty line, then exactly the document's bytes (so `tail -c SIZE` gives
// them back by hand):
//
//     KKTVIEW RECOVERY 2
//     written 2025-03-14T11:05:00.000Z
//     size 65537
//     crc32c 8A9136AA
//     origin /dumps/kkm.bin
//
// "written" in UTC; "size" the number of bytes after the empty line;
// "crc32c" their CRC-32C in hex, so that a bit changed on the disk is told,
// not restored; "origin" the file the document came from, its bytes
// percent-encoded, empty for a typed document. The copies of the release
// before (format 1) have no crc32c line: their bytes are restored unchecked.
//
// A large document read from its file on demand is kept as its edits to
// that file instead (format 3), so that a copy of an edit to a file of
// gigabytes costs what the edit does, not the file's bytes:
//
//     KKTVIEW RECOVERY 3
//     written 2025-03-14T11:05:00.000Z
//     size 1073741825
//     crc32c 5C1F0A93
//     origin /dumps/kkm.bin
//     original /dumps/kkm.bin
//     original-size 1073741824
//     original-modified 1710414300123456789
//     original-device 2049
//     original-inode 1835011
//     pieces 3
//     inline 1
//
// then the document's pieces in order, each a line: "f OFFSET LENGTH" a
// range of the original file, "b LENGTH" followed by that many bytes of its
// own. "size" is the document's; "inline" the bytes the pieces hold
// themselves; the crc32c covers the other lines of the header and every
// byte after it. The original is the file as the document read it
// (modified in nanoseconds since the epoch, device and inode as the system
// gives them), and the copy is restored only while that file is unchanged.
namespace recovery {

// A header is a few short lines and a name; a longer one is no copy's.
constexpr qsizetype longestHeader = 64 * 1024;

// The CRC-32C of a copy's bytes, taken a part at a time: the register
// before the first part, after each, and the checksum it gives.
constexpr quint32 checksumStart = 0xFFFFFFFF;
quint32 checksumUpdate(quint32 reg, QByteArrayView part);
constexpr quint32 checksumOf(quint32 reg) {
    return reg ^ 0xFFFFFFFF;
}

QByteArray headerOf(qint64 size, quint32 checksum, const QString &origin, const QDateTime &written);

// The file whose edits a copy of format 3 holds, as it was read.
struct Original {
    QString path; // as nativename::decode gives its bytes
    FileSource::Identity identity;
};

// An edits copy's header, its checksum taken over it and the pieces' list
// (body) that follows it.
QByteArray editsHeaderOf(qint64 size, const QString &origin, const QDateTime &written,
                         const Original &original, qint64 pieces, qint64 inlineBytes,
                         QByteArrayView body);

struct Header {
    QDateTime written;
    qint64 size = 0;
    QString origin;                  // as nativename::decode gives its bytes
    std::optional<quint32> checksum; // none in format 1
    qint64 bytesStart = 0;
    // Format 3: the original file and the pieces' list after the header.
    std::optional<Original> original;
    qint64 pieces = 0;
    qint64 inlineBytes = 0;
    // The header's lines that its checksum covers, before the list.
    QByteArray covered;
    // Why the bytes cannot be restored, in Russian ("Копия повреждена: ...");
    // empty when the header agrees with the file.
    QString damage;
};

// The header of a file of fileSize bytes, from its first bytes (head, at
// most longestHeader of them). Nothing for a file that is no copy: no known
// first line, no time or size. A copy whose size is not what follows its
// header in the file, or more than the program ever copies
// (sizebounds::recoveryCopyAtMost), is damaged: nothing of that size is ever
// read or made room for. An edits copy whose list is larger than that, or
// holds more bytes of its own, or whose header misses a line of its
// original, is damaged too.
std::optional<Header> parseHeader(QByteArrayView head, qint64 fileSize);

// Why the bytes read after a header are not the copy's, in Russian; empty
// when they are, or when the copy has no checksum to tell.
QString damageOfBytes(const Header &header, QByteArrayView bytes);

// "Копия повреждена: WHY."
QString damaged(const QString &why);

} // namespace recovery
