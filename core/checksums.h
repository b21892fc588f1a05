#pragma once

#include <QByteArrayView>
#include <QCryptographicHash>
#include <QString>

#include <array>
#include <vector>

class PieceTable;

// The checksums a service engineer compares firmware and memory dumps by:
// the CRCs registers and their protocols use, the 8-bit sum and XOR, and the
// common hashes.
namespace checksums {

enum class Algorithm {
    Crc16CcittFalse,
    Crc16Modbus,
    Crc16Xmodem,
    Crc32,
    Crc32c,
    Sum8,
    Xor8,
    Md5,
    Sha1,
    Sha256,
};

struct Result {
    Algorithm algorithm;
    QString name;  // as a window shows it: "CRC-16/CCITT-FALSE", "SHA-256"
    QString tag;   // as a checksum line names it; the hashes as coreutils
                   // tag them ("SHA256"), so their lines pass `sha256sum -c`
    QString value; // lower-case hex, two digits a byte: "29b1", "cbf43926"
};

// All ten checksums of bytes that arrive in contiguous runs, in order: the
// chunks of a piece table or the pieces of a file as they are read. No run is
// kept, so any length costs the same memory.
class Accumulator {
public:
    Accumulator();

    void add(QByteArrayView run);
    // The checksums of everything added, in the order of Algorithm. Ends the
    // accumulation: nothing may be added afterwards.
    std::vector<Result> results();

private:
    std::array<quint32, 5> crcs;
    quint8 sum = 0;
    quint8 xorOfAll = 0;
    QCryptographicHash md5;
    QCryptographicHash sha1;
    QCryptographicHash sha256;
};

// The checksums of [offset, offset + length) of a document, clamped to it.
std::vector<Result> of(const PieceTable &bytes, qint64 offset, qint64 length);

} // namespace checksums
