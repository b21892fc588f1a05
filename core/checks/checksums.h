#pragma once

#include "checks/digests.h"

#include <QByteArrayView>
#include <QString>

#include <array>
#include <memory>
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
// kept, so any length costs the same memory. A long run is summed by two
// threads at once, each computing half of the sums, where there are two cores.
class Accumulator {
public:
    Accumulator();
    ~Accumulator();
    Accumulator(const Accumulator &) = delete;
    Accumulator &operator=(const Accumulator &) = delete;

    void add(QByteArrayView run);
    // The checksums of everything added, in the order of Algorithm. Ends the
    // accumulation: nothing may be added afterwards.
    std::vector<Result> results();

    // Runs from this length on are shared between two threads.
    static constexpr qsizetype sharedFrom = 128 * 1024;

private:
    class Helper;

    // The two halves of the sums, each costing about the same time.
    void addFirstHalf(QByteArrayView run);
    void addSecondHalf(QByteArrayView run);

    std::array<quint32, 5> crcs;
    qint64 added = 0;
    quint8 sum = 0;
    quint8 xorOfAll = 0;
    digests::Hasher md5;
    digests::Hasher sha1;
    digests::Hasher sha256;
    std::unique_ptr<Helper> helper; // made at the first long run
};

// The checksums of [offset, offset + length) of a document, clamped to it.
std::vector<Result> of(const PieceTable &bytes, qint64 offset, qint64 length);

} // namespace checksums
