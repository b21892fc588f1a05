// The checksums of 64 MiB of random bytes: the five CRCs together and each
// alone, the 8-bit sum and XOR, each hash, and all ten as the accumulator
// gives them; md5sum, sha1sum, sha256sum and crc32 on the same bytes in a
// file as peers (their time includes starting the process and reading the
// file from the page cache). Then kktview --sum of 256 MiB against rhash
// computing CRC-32, CRC-32C, MD5, SHA-1 and SHA-256 of the same file, run by
// turns so that both see the same load, with the medians.

#include "benchtools.h"
#include "checks/checksums.h"
#include "checks/crc.h"
#include "checks/digests.h"

#include <QCryptographicHash>

#include <cstdio>
#include <functional>

namespace {

constexpr qsizetype size = 64 * 1024 * 1024;
constexpr qsizetype block = 32 * 1024;

void report(const char *what, double seconds) {
    if (seconds < 0)
        std::printf("  %-34s (not installed)\n", what);
    else
        std::printf("  %-34s %8.3f s  %7.0f MB/s\n", what, seconds, double(size) / seconds / 1e6);
}

// Over the bytes in blocks, as the accumulator goes over them.
qsizetype inBlocks(const QByteArray &bytes, const std::function<void(QByteArrayView)> &f) {
    for (qsizetype at = 0; at < bytes.size(); at += block)
        f(QByteArrayView(bytes).sliced(at, std::min(block, bytes.size() - at)));
    return bytes.size();
}

void sumAgainstRhash() {
    constexpr qsizetype large = 256 * 1024 * 1024;
    constexpr int runs = 5;
    QTemporaryDir dir;
    const QString path = bench::writeFile(dir, "random-256.bin", bench::randomBytes(large, 256));
    std::printf("\nkktview --sum of 256 MiB (%s), rhash --crc32 --crc32c --md5 --sha1 "
                "--sha256 by turns, %d runs each; load average before: %s\n",
                digests::implementation(), runs, bench::loadAverage().constData());
    const QString rhash = QStringLiteral("rhash");
    const std::vector<double> medians = bench::medianProcessSecondsByTurns(
        {{QStringLiteral(KKTVIEW_BINARY), {"--sum", path}},
         {rhash, {"--crc32", "--crc32c", "--md5", "--sha1", "--sha256", path}}},
        runs);
    const auto show = [](const char *what, double seconds) {
        if (seconds < 0)
            std::printf("  %-34s (not installed or failed)\n", what);
        else
            std::printf("  %-34s median %6.3f s  %5.0f MB/s\n", what, seconds,
                        double(large) / seconds / 1e6);
    };
    show("kktview --sum", medians[0]);
    show("rhash, the five", medians[1]);
    std::printf("  load average after: %s\n", bench::loadAverage().constData());
}

} // namespace

int main() {
    const QByteArray bytes = bench::randomBytes(size, 866);

    const crc::Engine engines[] = {crc::Engine(crc::ccittFalse), crc::Engine(crc::modbus),
                                   crc::Engine(crc::xmodem), crc::Engine(crc::crc32),
                                   crc::Engine(crc::crc32c)};
    const char *names[] = {"CRC-16/CCITT-FALSE", "CRC-16/MODBUS", "CRC-16/XMODEM", "CRC-32",
                           "CRC-32C, tables"};
    quint32 regs[5] = {};

    std::printf("64 MiB of random bytes, fastest run:\n");
    report("the five CRCs together", bench::fastestSecondsPerRun([&] {
               return inBlocks(bytes, [&](QByteArrayView b) {
                   for (int i = 0; i < 4; ++i)
                       regs[i] = engines[i].update(regs[i], b);
                   regs[4] = crc::updateCrc32c(regs[4], b);
               });
           }));
    for (int i = 0; i < 5; ++i) {
        report(names[i], bench::fastestSecondsPerRun([&] {
                   regs[i] = engines[i].update(regs[i], bytes);
                   return qsizetype(regs[i]);
               }));
    }
    for (int i = 0; i < 4; ++i) {
        report((names[i] + QByteArray(", updateFast")).constData(),
               bench::fastestSecondsPerRun([&] {
                   regs[i] = engines[i].updateFast(regs[i], bytes);
                   return qsizetype(regs[i]);
               }));
    }
    if (crc::hasCrc32cInstruction()) {
        report("CRC-32C, SSE 4.2 instruction", bench::fastestSecondsPerRun([&] {
                   regs[4] = crc::updateCrc32c(regs[4], bytes);
                   return qsizetype(regs[4]);
               }));
    }
    for (const auto &[name, hash] : {std::pair{"MD5 (digests)", digests::Hash::Md5},
                                     std::pair{"SHA-1 (digests)", digests::Hash::Sha1},
                                     std::pair{"SHA-256 (digests)", digests::Hash::Sha256}}) {
        report(name, bench::fastestSecondsPerRun([&] {
                   digests::Hasher hasher(hash);
                   inBlocks(bytes, [&](QByteArrayView b) { hasher.add(b); });
                   return hasher.result().size();
               }));
    }
    report("CRC-32 (digests)", bench::fastestSecondsPerRun([&] {
               regs[3] = digests::updateCrc32(regs[3], bytes);
               return qsizetype(regs[3]);
           }));
    for (const auto &[name, algorithm] :
         {std::pair{"MD5 (QCryptographicHash)", QCryptographicHash::Md5},
          std::pair{"SHA-1 (QCryptographicHash)", QCryptographicHash::Sha1},
          std::pair{"SHA-256 (QCryptographicHash)", QCryptographicHash::Sha256}}) {
        report(name, bench::fastestSecondsPerRun(
                         [&] { return QCryptographicHash::hash(bytes, algorithm).size(); }));
    }
    report("all ten (checksums::Accumulator)", bench::fastestSecondsPerRun([&] {
               checksums::Accumulator accumulator;
               accumulator.add(bytes);
               return qsizetype(accumulator.results().size());
           }));

    QTemporaryDir dir;
    const QString path = bench::writeFile(dir, "random.bin", bytes);
    std::printf("Peers on the same bytes in a file:\n");
    for (const char *peer : {"crc32", "md5sum", "sha1sum", "sha256sum"})
        report(peer, bench::fastestProcessSeconds(QString::fromLatin1(peer), {path}));
    sumAgainstRhash();
    return 0;
}
