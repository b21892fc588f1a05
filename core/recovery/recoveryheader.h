#pragma once

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

struct Header {
    QDateTime written;
    qint64 size = 0;
    QString origin;                  // as nativename::decode gives its bytes
    std::optional<quint32> checksum; // none in format 1
    qint64 bytesStart = 0;
    // Why the bytes cannot be restored, in Russian ("Копия повреждена: ...");
    // empty when the header agrees with the file.
    QString damage;
};

// The header of a file of fileSize bytes, from its first bytes (head, at
// most longestHeader of them). Nothing for a file that is no copy: no known
// first line, no time or size. A copy whose size is not what follows its
// header in the file, or more than the program ever copies
// (sizebounds::recoveryCopyAtMost), is damaged: nothing of that size is ever
// read or made room for.
std::optional<Header> parseHeader(QByteArrayView head, qint64 fileSize);

// Why the bytes read after a header are not the copy's, in Russian; empty
// when they are, or when the copy has no checksum to tell.
QString damageOfBytes(const Header &header, QByteArrayView bytes);

} // namespace recovery
