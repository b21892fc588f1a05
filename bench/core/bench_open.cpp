// Opening a large file as a document, to its first bytes read: sparse files
// of 1 GiB and 16 GiB (no disk space, the holes read as 0), with the time
// from the open to the first screenful and the last one (Ctrl+End) read, and
// this process's memory after them. `cat` of the 1 GiB file is the peer: the
// least any program that reads the file whole could take.

#include "base/sizebounds.h"
#include "benchtools.h"
#include "document/bytedocument.h"
#include "io/document.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The bytes a screen of the input pane shows, at most.
constexpr qint64 screenful = 16 * 1024;

} // namespace

int main(int argc, char *argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    std::printf("load average %s\n", bench::loadAverage().constData());
    std::printf("%-8s %12s %12s %12s %12s\n", "size", "open (ms)", "first (ms)", "last (ms)",
                "VmRSS (MiB)");
    const double before = bench::statusMiB(QStringLiteral("self"), "VmRSS:");
    for (const int gib : {1, 16}) {
        const QString path = dir.filePath(QStringLiteral("sparse-%1").arg(gib));
        {
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly) || !file.resize(qint64(gib) << 30)) {
                std::printf("%d GiB: cannot make the sparse file\n", gib);
                return 1;
            }
        }
        ByteDocument document;
        QElapsedTimer timer;
        timer.start();
        document::LoadResult loaded = document::load(path, sizebounds::openedFileAtMost);
        if (loaded.status != document::LoadResult::Status::Loaded)
            return 1;
        if (loaded.file)
            document.loadFile(std::move(loaded.file));
        else
            document.load(std::move(loaded.bytes));
        const double opened = double(timer.nsecsElapsed()) / 1e6;
        bench::sink = document.read(0, screenful).size();
        const double first = double(timer.nsecsElapsed()) / 1e6;
        bench::sink = document.read(document.size() - screenful, screenful).size();
        const double last = double(timer.nsecsElapsed()) / 1e6;
        std::printf("%-8s %12.2f %12.2f %12.2f %12.1f\n",
                    qPrintable(QStringLiteral("%1 GiB").arg(gib)), opened, first, last,
                    bench::statusMiB(QStringLiteral("self"), "VmRSS:") - before);
    }
    const QString one = dir.filePath(QStringLiteral("sparse-1"));
    const double cat = bench::fastestProcessSeconds(QStringLiteral("cat"), {one});
    std::printf("cat 1 GiB: %.0f ms\n", cat * 1e3);
    std::printf("peak VmHWM %.1f MiB\n", bench::statusMiB(QStringLiteral("self"), "VmHWM:"));
    return 0;
}
