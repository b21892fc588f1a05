#include "checks/checksums.h"

#include "checks/crc.h"
#include "document/piecetable.h"

#include <QtEndian>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

namespace checksums {
namespace {

// The CRCs, in the order of Algorithm; CRC-32C last, as it may have an
// instruction of its own.
constexpr std::array<crc::Model, 5> crcModels = {crc::ccittFalse, crc::modbus, crc::xmodem,
                                                 crc::crc32, crc::crc32c};

// The CRC-16s'; CRC-32 and CRC-32C have their own.
const crc::Engine &engine(std::size_t index) {
    static const std::array<crc::Engine, 3> engines = {
        crc::Engine(crcModels[0]), crc::Engine(crcModels[1]), crc::Engine(crcModels[2])};
    return engines[index];
}

// zlib's CRC-32 goes by tables; carry-less multiplication is faster still.
quint32 updateCrc32(quint32 reg, QByteArrayView block) {
    static const crc::Engine engine(crc::crc32);
    return crc::hasCarrylessMultiply() ? engine.updateFast(reg, block)
                                       : digests::updateCrc32(reg, block);
}

bool twoCores() {
    static const bool two = std::thread::hardware_concurrency() > 1;
    return two;
}

// Each algorithm goes over a block while it is still in the cache.
constexpr qsizetype blockSize = 32 * 1024;

// The 8-bit sum and XOR eight bytes a step: the XOR of the words folds into
// one byte at the end; the sum adds the even and the odd bytes into 16-bit
// lanes, emptied before a lane could carry into the next.
void addSumAndXor(const uchar *p, qsizetype n, quint8 &sum, quint8 &xorOfAll) {
    constexpr quint64 evenBytes = 0x00FF00FF00FF00FF;
    constexpr int stepsPerLane = 65535 / 510;
    quint64 xorWord = 0;
    while (n >= 8) {
        quint64 lanes = 0;
        for (int step = 0; step < stepsPerLane && n >= 8; ++step, p += 8, n -= 8) {
            const quint64 word = qFromLittleEndian<quint64>(p);
            xorWord ^= word;
            lanes += (word & evenBytes) + ((word >> 8) & evenBytes);
        }
        for (int lane = 0; lane < 4; ++lane)
            sum = quint8(sum + (lanes >> (16 * lane)));
    }
    for (int shift = 0; shift < 64; shift += 8)
        xorOfAll ^= quint8(xorWord >> shift);
    for (; n > 0; ++p, --n) {
        sum = quint8(sum + *p);
        xorOfAll ^= *p;
    }
}

QString hex(quint32 value, int digits) {
    return QString::number(value, 16).rightJustified(digits, u'0');
}

struct Named {
    Algorithm algorithm;
    const char *name;
    const char *tag;
};

constexpr Named names[] = {
    {Algorithm::Crc16CcittFalse, "CRC-16/CCITT-FALSE", "CRC-16/CCITT-FALSE"},
    {Algorithm::Crc16Modbus, "CRC-16/MODBUS", "CRC-16/MODBUS"},
    {Algorithm::Crc16Xmodem, "CRC-16/XMODEM", "CRC-16/XMODEM"},
    {Algorithm::Crc32, "CRC-32", "CRC-32"},
    {Algorithm::Crc32c, "CRC-32C", "CRC-32C"},
    {Algorithm::Sum8, "SUM-8", "SUM-8"},
    {Algorithm::Xor8, "XOR-8", "XOR-8"},
    {Algorithm::Md5, "MD5", "MD5"},
    {Algorithm::Sha1, "SHA-1", "SHA1"},
    {Algorithm::Sha256, "SHA-256", "SHA256"},
};

} // namespace

// One thread kept for all the long runs of an accumulator: a run is handed
// over and waited for, so the runs' order holds for each half.
class Accumulator::Helper {
public:
    Helper() : thread([this] { serve(); }) {}
    ~Helper() {
        {
            const std::lock_guard lock(mutex);
            quit = true;
        }
        changed.notify_all();
        thread.join();
    }

    void start(std::function<void()> work) {
        {
            const std::lock_guard lock(mutex);
            job = std::move(work);
        }
        changed.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex);
        changed.wait(lock, [this] { return !job; });
    }

private:
    void serve() {
        std::unique_lock lock(mutex);
        for (;;) {
            changed.wait(lock, [this] { return quit || job; });
            if (!job)
                return;
            lock.unlock();
            job();
            lock.lock();
            job = nullptr;
            changed.notify_all();
        }
    }

    std::mutex mutex;
    std::condition_variable changed;
    std::function<void()> job;
    bool quit = false;
    std::thread thread; // last: it starts once the rest is made
};

Accumulator::Accumulator()
    : md5(digests::Hash::Md5), sha1(digests::Hash::Sha1), sha256(digests::Hash::Sha256) {
    for (std::size_t i = 0; i < crcs.size(); ++i)
        crcs[i] = crcModels[i].init;
}

Accumulator::~Accumulator() = default;

void Accumulator::addFirstHalf(QByteArrayView run) {
    while (!run.isEmpty()) {
        const QByteArrayView block = run.first(std::min(run.size(), blockSize));
        run = run.sliced(block.size());
        md5.add(block);
        crcs[1] = engine(1).updateFast(crcs[1], block);
        crcs[4] = crc::updateCrc32c(crcs[4], block);
    }
}

void Accumulator::addSecondHalf(QByteArrayView run) {
    while (!run.isEmpty()) {
        const QByteArrayView block = run.first(std::min(run.size(), blockSize));
        run = run.sliced(block.size());
        sha1.add(block);
        sha256.add(block);
        // CRC-16/CCITT-FALSE is XMODEM's CRC from another initial value:
        // results() derives it.
        crcs[2] = engine(2).updateFast(crcs[2], block);
        crcs[3] = updateCrc32(crcs[3], block);
        addSumAndXor(reinterpret_cast<const uchar *>(block.data()), block.size(), sum, xorOfAll);
    }
}

void Accumulator::add(QByteArrayView run) {
    added += run.size();
    if (run.size() < sharedFrom || !twoCores()) {
        // Each half goes over a block while it is still in the cache.
        while (!run.isEmpty()) {
            const QByteArrayView block = run.first(std::min(run.size(), blockSize));
            run = run.sliced(block.size());
            addFirstHalf(block);
            addSecondHalf(block);
        }
        return;
    }
    if (!helper)
        helper = std::make_unique<Helper>();
    helper->start([this, run] { addFirstHalf(run); });
    addSecondHalf(run);
    helper->wait();
}

std::vector<Result> Accumulator::results() {
    static_assert(crcModels[0].poly == crcModels[2].poly && crcModels[2].init == 0 &&
                  !crcModels[0].reflected && !crcModels[2].reflected &&
                  crcModels[0].xorOut == crcModels[2].xorOut);
    crcs[0] = crcs[2] ^ engine(0).afterZeros(crcModels[0].init, added);
    std::vector<QString> values;
    for (std::size_t i = 0; i < crcs.size(); ++i) {
        const crc::Model &model = crcModels[i];
        values.push_back(hex(crcs[i] ^ model.xorOut, model.width / 4));
    }
    values.push_back(hex(sum, 2));
    values.push_back(hex(xorOfAll, 2));
    for (digests::Hasher *hash : {&md5, &sha1, &sha256})
        values.push_back(QString::fromLatin1(hash->result().toHex()));

    std::vector<Result> results;
    for (std::size_t i = 0; i < values.size(); ++i) {
        results.push_back({names[i].algorithm, QString::fromLatin1(names[i].name),
                           QString::fromLatin1(names[i].tag), values[i]});
    }
    return results;
}

std::vector<Result> of(const PieceTable &bytes, qint64 offset, qint64 length) {
    Accumulator accumulator;
    bytes.forEachChunk(offset, length, [&](QByteArrayView chunk) { accumulator.add(chunk); });
    return accumulator.results();
}

} // namespace checksums
