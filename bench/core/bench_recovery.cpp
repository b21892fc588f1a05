// The recovery copy of a 64 MiB document after edits: what its write costs
// the document's thread (the snapshot and the hand-over) and the writing
// thread (the bytes, fsync and rename), with dd writing and syncing 64 MiB as
// the peer; restoring it; and a keystroke with the recovery following.

#include "benchtools.h"
#include "document/bytedocument.h"
#include "recovery/documentrecovery.h"
#include "recovery/recoverystore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype size = 64 * 1024 * 1024;
constexpr int edits = 1000;
constexpr int rounds = 7;

double milliseconds(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    const QString copies = dir.filePath(QStringLiteral("recovery"));

    ByteDocument document;
    document.load(bench::randomBytes(size, 866));
    QRandomGenerator random(1251);
    // Typing, deleting and overwriting all over the document.
    for (int i = 0; i < edits; ++i) {
        const qint64 at = random.bounded(document.size());
        document.replace(at, random.bounded(3), QByteArray(random.bounded(1, 8), 'e'));
    }
    constexpr int keys = 10000;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < keys; ++i)
        document.replace(document.size() / 3 + i, 0, "a", ByteDocument::Step::Typing);
    const double alone = double(timer.nsecsElapsed()) / keys / 1e3;
    document.endTyping();

    DocumentRecovery recovery(&document, copies);

    std::vector<double> handOver;
    std::vector<double> written;
    for (int round = 0; round < rounds; ++round) {
        document.replace(random.bounded(document.size()), 1, "k", ByteDocument::Step::Typing);
        timer.start();
        recovery.keep();
        handOver.push_back(milliseconds(timer));
        recovery.waitForWrites();
        written.push_back(milliseconds(timer));
    }
    std::printf("64 MiB document after %d edits (%lld pieces), %d copies written:\n", edits,
                static_cast<long long>(document.bytes().pieceCount()), rounds);
    std::printf("  document's thread per copy (snapshot)   %8.3f ms median, %.3f ms worst\n",
                bench::median(handOver), *std::max_element(handOver.begin(), handOver.end()));
    std::printf("  writing thread per copy (write, fsync)  %8.0f ms median\n",
                bench::median(written));

    const QString source = dir.filePath(QStringLiteral("source.bin"));
    bench::writeFile(source, document.read(0, document.size()));
    const double dd = bench::fastestProcessSeconds(
        QStringLiteral("dd"),
        {QStringLiteral("if=") + source, QStringLiteral("of=") + dir.filePath(QStringLiteral("dd")),
         QStringLiteral("bs=1M"), QStringLiteral("conv=fsync"), QStringLiteral("status=none")});
    std::printf("  dd bs=1M conv=fsync of the same bytes   %8.0f ms\n", dd * 1e3);

    const recovery::Store store(copies);
    const std::vector<recovery::CopyInfo> left = store.list();
    timer.start();
    const auto taken = store.take(left.front().id);
    std::printf("  reading a copy to restore it            %8.0f ms (%s)\n", milliseconds(timer),
                taken && taken->bytes.size() == document.size() ? "whole" : "FAILED");

    // A keystroke while the recovery follows: the edit and the restarted
    // delay, nothing of the copy itself.
    recovery.setDelays(60000, 60000);
    timer.start();
    for (int i = 0; i < keys; ++i)
        document.replace(document.size() / 2 + i, 0, "a", ByteDocument::Step::Typing);
    std::printf("  a keystroke, followed / alone           %8.3f / %.3f us\n",
                double(timer.nsecsElapsed()) / keys / 1e3, alone);
    return 0;
}
