// Comparing the document with another file as the window does (reading the
// other file included), finding a difference, following an edit; and
// kktview --diff streaming two files, with cmp -l as the peer.

#include "benchtools.h"
#include "checks/bytecomparison.h"
#include "document/piecetable.h"
#include "io/document.h"

#include <QFileInfo>

#include <cstdio>

namespace {

constexpr qsizetype size = 64 * 1024 * 1024;

// A byte changed every 4 KiB, as two dumps of one register differ.
QByteArray sparselyChanged(QByteArray bytes) {
    for (qsizetype at = 1000; at < bytes.size(); at += 4096)
        bytes[at] = char(~bytes[at]);
    return bytes;
}

// Each byte changed with a chance of one in ten, the same bytes every run.
QByteArray tenthChanged(QByteArray bytes) {
    QRandomGenerator random(10);
    for (char &byte : bytes) {
        if (random.bounded(10) == 0)
            byte = char(~byte);
    }
    return bytes;
}

QByteArray everyOtherChanged(QByteArray bytes) {
    for (qsizetype at = 0; at < bytes.size(); at += 2)
        bytes[at] = char(~bytes[at]);
    return bytes;
}

void reportRate(const char *what, qsizetype bytes, double seconds) {
    if (seconds < 0)
        std::printf("  %-44s (not installed or failed)\n", what);
    else
        std::printf("  %-44s %8.3f s  %7.0f MB/s\n", what, seconds, double(bytes) / seconds / 1e6);
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QByteArray other = bench::randomBytes(size, 1251);
    const QString otherPath = bench::writeFile(dir, "other.bin", other);

    std::printf("The document (64 MiB) compared with a file of 64 MiB, reading it included:\n");
    const struct {
        const char *what;
        QByteArray mine;
    } documents[] = {{"equal", other},
                     {"a byte in 4 KiB differs", sparselyChanged(other)},
                     {"every other byte differs", everyOtherChanged(other)}};
    for (const auto &[what, mine] : documents) {
        const PieceTable table(mine);
        reportRate(what, size, bench::fastestSecondsPerRun([&] {
                       document::LoadResult loaded = document::load(otherPath, size);
                       return ByteComparison(table, std::move(loaded.bytes)).differingCount();
                   }));
    }
    {
        QByteArray mine = other;
        mine[size - 1] = char(~mine[size - 1]);
        PieceTable table(mine);
        ByteComparison comparison(table, other);
        std::printf("  %-44s %8.3f ms\n", "next difference, the only one at the end",
                    bench::fastestSecondsPerRun([&] {
                        return qsizetype(comparison.nextDifference(0).value_or(0));
                    }) * 1e3);
        std::printf("  %-44s %8.3f ms\n", "a byte inserted at the start: all again",
                    bench::fastestSecondsPerRun([&] {
                        table.replace(0, 0, "x");
                        comparison.documentChanged(table, 0, 0, 1);
                        table.replace(0, 1, QByteArrayView());
                        comparison.documentChanged(table, 0, 1, 0);
                        return comparison.differingCount();
                    }) / 2 *
                        1e3);
        std::printf("  %-44s %8.3f ms\n", "a byte overwritten",
                    bench::fastestSecondsPerRun([&] {
                        table.replace(size / 2, 1, "x");
                        comparison.documentChanged(table, size / 2, 1, 1);
                        return comparison.differingCount();
                    }) * 1e3);
    }

    const QString same = bench::writeFile(dir, "same.bin", other);
    const QString sparse = bench::writeFile(dir, "sparse.bin", sparselyChanged(other));
    constexpr qsizetype denseSize = 8 * 1024 * 1024;
    const QString denseFirst =
        bench::writeFile(dir, "dense1.bin", bench::randomBytes(denseSize, 1));
    const QString denseSecond =
        bench::writeFile(dir, "dense2.bin", bench::randomBytes(denseSize, 2));
    const struct {
        const char *what;
        QString first, second;
        qsizetype bytes;
    } pairs[] = {{"64 MiB, equal", otherPath, same, size},
                 {"64 MiB, a byte in 4 KiB differs", otherPath, sparse, size},
                 {"8 MiB, random against random", denseFirst, denseSecond, denseSize}};
    const QString kktview = QStringLiteral(KKTVIEW_BINARY);
    const QString output = dir.filePath(QStringLiteral("output.txt"));
    std::printf("\nkktview --diff, cmp -l the peer, output to a file (MB/s of one file's "
                "length; peak memory):\n");
    for (const auto &pair : pairs) {
        std::printf("  %s\n", pair.what);
        for (const auto &[program, arguments] :
             {std::pair{kktview, QStringList{"--diff", pair.first, pair.second}},
              std::pair{QStringLiteral("cmp"), QStringList{"-l", pair.first, pair.second}}}) {
            const double seconds = bench::fastestProcessSeconds(program, arguments, output);
            const double megabytes = bench::peakMegabytes(program, arguments, output);
            const QString name = QFileInfo(program).fileName() + u' ' + arguments.first();
            if (seconds < 0)
                std::printf("    %-42s (not installed or failed)\n", qPrintable(name));
            else
                std::printf("    %-42s %8.3f s  %7.0f MB/s  %6.1f MB\n", qPrintable(name), seconds,
                            double(pair.bytes) / seconds / 1e6, megabytes);
        }
    }

    // The same, by turns with the peer, for the medians under a changing load.
    constexpr int runs = 5;
    const QString tenth = bench::writeFile(dir, "tenth.bin", tenthChanged(other));
    std::printf("\n64 MiB, 10 %% of bytes differ: kktview --diff and cmp -l by turns, %d runs "
                "each, output to a file; load average before: %s\n",
                runs, bench::loadAverage().constData());
    const std::vector<std::pair<QString, QStringList>> commands = {
        {kktview, {"--diff", otherPath, tenth}}, {QStringLiteral("cmp"), {"-l", otherPath, tenth}}};
    const std::vector<double> medians = bench::medianProcessSecondsByTurns(commands, runs, output);
    for (std::size_t i = 0; i < commands.size(); ++i) {
        const QString name =
            QFileInfo(commands[i].first).fileName() + u' ' + commands[i].second.first();
        if (medians[i] < 0)
            std::printf("    %-42s (not installed or failed)\n", qPrintable(name));
        else
            std::printf("    %-42s median %6.3f s  %7.0f MB/s\n", qPrintable(name), medians[i],
                        double(size) / medians[i] / 1e6);
    }
    std::printf("  load average after: %s\n", bench::loadAverage().constData());
    return 0;
}
