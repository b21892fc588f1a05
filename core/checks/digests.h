#pragma once

#include <QByteArray>
#include <QByteArrayView>

#include <memory>

// The hashes and CRC-32 by the fastest code the build has: the system's
// libcrypto and zlib where it was built with them (they use the processor's
// SHA and vector instructions), Qt's hashes and the program's own CRC tables
// where not, as on Windows. The values are the same either way.
namespace digests {

enum class Hash { Md5, Sha1, Sha256 };

class Hasher {
public:
    explicit Hasher(Hash hash);
    ~Hasher();
    Hasher(const Hasher &) = delete;
    Hasher &operator=(const Hasher &) = delete;

    void add(QByteArrayView bytes);
    // The digest, raw bytes. Ends the hashing: nothing may be added afterwards.
    QByteArray result();

private:
    struct State;
    std::unique_ptr<State> state;
};

// crc::Engine(crc::crc32).update(): the register before the final XOR.
quint32 updateCrc32(quint32 reg, QByteArrayView bytes);

// Which code computes them, for the benchmarks' reports.
const char *implementation();

} // namespace digests
