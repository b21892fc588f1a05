// The recovery copy of a 64 MiB document after edits: what its write costs
// the document's thread (the snapshot and the hand-over) and the writing
// thread (the bytes, fsync and rename), with dd writing and syncing 64 MiB as
// the peer; restoring it; and a keystroke with the recovery following.
// Then a 1 GiB sparse file read on demand with an edit: its copy, kept as
// the edit against the file, and the drop of the document, which waits for
// that copy.

#include "base/sizebounds.h"
#include "benchtools.h"
#include "document/bytedocument.h"
#include "io/document.h"
#include "recovery/documentrecovery.h"
#include "recovery/recoverystore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

constexpr qsizetype size = 64 * 1024 * 1024;
constexpr int edits = 1000;
constexpr int rounds = 7;

double milliseconds(const QElapsedTimer &timer) {
    return double(timer.nsecsElapsed()) / 1e6;
}

// A document that reads the file on demand, edited once at random.
std::unique_ptr<ByteDocument> editedOnDemand(const QString &path, QRandomGenerator &random) {
    auto document = std::make_unique<ByteDocument>();
    document::LoadResult loaded = document::load(path, sizebounds::openedFileAtMost);
    if (!loaded.file)
        return nullptr;
    document->loadFile(std::move(loaded.file));
    document->setFile(FileIdentity::of(path));
    document->replace(random.bounded(document->size()), 1, "k");
    return document;
}

// The copy after an edit to a 1 GiB sparse file, and the drop of the edited
// document: each round a document of its own, opened as the window opens it.
void largeFile(const QString &dir, const QString &copies, QRandomGenerator &random) {
    const QString path = dir + QStringLiteral("/large.bin");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(1) << 30)) {
        std::printf("1 GiB sparse file: cannot be made here\n");
        return;
    }
    file.close();
    std::vector<double> copied;
    std::vector<double> dropped;
    qint64 copySize = 0;
    for (int round = 0; round < rounds; ++round) {
        std::unique_ptr<ByteDocument> document = editedOnDemand(path, random);
        if (!document) {
            std::printf("1 GiB sparse file: cannot be opened\n");
            return;
        }
        QElapsedTimer timer;
        recovery::HeldCopy copy;
        timer.start();
        const QString error =
            copy.write(copies, document->snapshot(), path, QDateTime::currentDateTimeUtc());
        copied.push_back(milliseconds(timer));
        if (!error.isEmpty()) {
            std::printf("1 GiB sparse file: copy FAILED: %s\n", qPrintable(error));
            return;
        }
        copySize = QFileInfo(copies + u'/' + copy.id() + QStringLiteral(".kktrecovery")).size();
        copy.remove();

        auto recovery = std::make_unique<DocumentRecovery>(document.get(), copies);
        document->replace(random.bounded(document->size()), 1, "j");
        timer.start();
        recovery->keep();
        recovery.reset();
        document.reset();
        dropped.push_back(milliseconds(timer));
    }
    std::printf("1 GiB sparse file read on demand, one edit, %d rounds:\n", rounds);
    std::printf("  copy after the edit (write, fsync)      %8.2f ms median, %.2f ms worst, "
                "%lld bytes\n",
                bench::median(copied), *std::max_element(copied.begin(), copied.end()),
                static_cast<long long>(copySize));
    std::printf("  drop of the edited document (keep)      %8.2f ms median, %.2f ms worst\n",
                bench::median(dropped), *std::max_element(dropped.begin(), dropped.end()));
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
        // What a copy costs the document's thread: the snapshot handed to
        // the writer. keep() then waits for the write itself.
        timer.start();
        const ByteSnapshot handed = document.snapshot();
        handOver.push_back(milliseconds(timer));
        timer.start();
        recovery.keep();
        recovery.waitForWrites();
        written.push_back(milliseconds(timer));
    }
    std::printf("64 MiB document after %d edits (%lld pieces), %d copies written:\n", edits,
                static_cast<long long>(document.bytes().pieceCount()), rounds);
    std::printf("  document's thread per copy (snapshot)   %8.3f ms median, %.3f ms worst\n",
                bench::median(handOver), *std::max_element(handOver.begin(), handOver.end()));
    std::printf("  keep(): written, synced and left         %8.0f ms median\n",
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

    largeFile(dir.path(), dir.filePath(QStringLiteral("large-recovery")), random);
    return 0;
}
