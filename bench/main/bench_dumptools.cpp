// The dump tools as the window will use them, offscreen: the comparison
// with a file of 64 MiB end to end (reading the file, comparing, the
// summary), with cmp as the peer; the checksums dialog over 64 MiB from its
// opening to the ten values shown, against the core's sums alone; and the
// values panel's cost per caret move and per edit.

#include "benchtools.h"
#include "checksumsdialog.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecomparison.h"
#include "io/document.h"
#include "valuespanel.h"
#include "windowbench.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr qsizetype size = 64 * 1024 * 1024;

QByteArray changedEvery(QByteArray bytes, qsizetype step) {
    for (qsizetype at = step / 2; at < bytes.size(); at += step)
        bytes[at] = char(~bytes[at]);
    return bytes;
}

void compareWithFiles(const QTemporaryDir &dir) {
    const QByteArray mine = bench::randomBytes(size, 1251);
    const QString minePath = bench::writeFile(dir, "mine.bin", mine);
    ByteDocument document;
    document.load(document::load(minePath, size).bytes);
    FileComparison comparison(&document);

    std::printf("Comparing the document (64 MiB) with a file of 64 MiB, reading the file and "
                "the summary included:\n");
    const struct {
        const char *what;
        QByteArray other;
    } cases[] = {{"equal", mine},
                 {"a byte in 4 KiB differs", changedEvery(mine, 4096)},
                 {"every other byte differs", changedEvery(mine, 2)}};
    for (const auto &[what, other] : cases) {
        const QString path = bench::writeFile(dir, "other.bin", other);
        QString summary;
        const double seconds = bench::fastestSecondsPerRun([&] {
            if (comparison.compareWith(path, size))
                qFatal("cannot compare with %s", qPrintable(path));
            summary = comparison.summary();
            return qsizetype(summary.size());
        });
        std::printf("  %-28s %8.3f s  %s\n", what, seconds, qPrintable(summary));
    }
    const QString same = bench::writeFile(dir, "same.bin", mine);
    const double cmp = bench::fastestProcessSeconds(QStringLiteral("cmp"), {minePath, same});
    if (cmp < 0)
        std::printf("  %-28s (not installed)\n", "cmp, equal files");
    else
        std::printf("  %-28s %8.3f s\n", "cmp, equal files", cmp);
}

void checksumsOf64MiB() {
    ByteDocument document;
    document.load(bench::randomBytes(size, 866));
    ByteSelection selection(&document);
    std::printf("\nThe checksums dialog over 64 MiB, from opening to the ten values shown:\n");
    const double dialog = bench::fastestOf(3, [&] {
        ChecksumsDialog sums(document, selection);
        QEventLoop loop;
        QObject::connect(&sums, &ChecksumsDialog::computed, &loop, &QEventLoop::quit);
        loop.exec();
    });
    const double core = bench::fastestOf(3, [&] { checksums::of(document.bytes(), 0, size); });
    std::printf("  %-28s %8.3f s\n  %-28s %8.3f s\n", "dialog, on its thread", dialog,
                "the core's sums alone", core);
}

void valuesPanelPerMove() {
    ByteDocument document;
    document.load(bench::randomBytes(size, 7));
    ByteSelection selection(&document);
    ValuesPanel panel;
    panel.follow(&document, &selection);
    panel.show();
    QCoreApplication::processEvents();
    constexpr int moves = 20000;
    std::printf("\nThe values panel, shown, with the paints it causes:\n");
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < moves; ++i) {
        selection.moveCaret(qint64(i) * 3355 % size);
        if (i % 20 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    std::printf("  %-28s %8.1f µs\n", "a caret move", double(timer.nsecsElapsed()) / 1e3 / moves);
    timer.start();
    for (int i = 0; i < moves; ++i) {
        document.replace(selection.caret(), 1, i % 2 ? "x" : "y", ByteDocument::Step::Typing);
        if (i % 20 == 0)
            QCoreApplication::processEvents();
    }
    QCoreApplication::processEvents();
    std::printf("  %-28s %8.1f µs\n", "an edit at the caret",
                double(timer.nsecsElapsed()) / 1e3 / moves);
}

} // namespace

int main(int argc, char **argv) {
    windowbench::start();
    QApplication app(argc, argv);
    QTemporaryDir dir;
    compareWithFiles(dir);
    checksumsOf64MiB();
    valuesPanelPerMove();
    return 0;
}
