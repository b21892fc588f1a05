// Large files opened through the window from a path, as the open command
// does, offscreen: 64 MiB of text, and 1 GiB and 16 GiB sparse files (read
// on demand, so their zeros cost what real bytes would). From the command to
// the input pane's first paint, with the case's peak memory; then keys in
// the opened document (a move, a page, Ctrl+End, select all, Shift+F5),
// each until the pane has painted. With an X display (xvfb-run -a), ghex
// opening the same files is timed in the same run, as a peer. Each case runs
// in a process of its own so its peak memory is its own.

#include "benchtools.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "windowbench.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using windowbench::PaintWatcher;
using windowbench::waitForPaint;

constexpr qint64 mebibyte = 1024 * 1024;
constexpr qint64 gibibyte = 1024 * mebibyte;

// The file of the case, made in its own process: text with a line break
// every 60 bytes below 1 GiB, zeros (sparse) from there.
struct LargeFile {
    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/kktbench-XXXXXX")};
    QString path;

    explicit LargeFile(qint64 size) {
        path = dir.filePath(QStringLiteral("large%1m.bin").arg(size / mebibyte));
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            qFatal("cannot make %s", qPrintable(path));
        if (size >= gibibyte) {
            if (!file.resize(size))
                qFatal("cannot make %s", qPrintable(path));
            return;
        }
        // Written a MiB at a time, so that the case's peak memory is the
        // window's, not that of the text made for it.
        const QByteArray piece = windowbench::sampleText(mebibyte, 60);
        for (qint64 at = 0; at < size; at += piece.size()) {
            if (file.write(piece) != piece.size())
                qFatal("cannot write %s", qPrintable(path));
        }
    }
};

struct Opened {
    LargeFile file;
    MainWindow form;
    InputPane *rtb1 = form.findChild<InputPane *>(QStringLiteral("RTB1"));
    double openMs = -1;

    explicit Opened(qint64 size) : file(size) {
        form.setDocument(QByteArray());
        PaintWatcher shown(rtb1->viewport());
        form.show();
        waitForPaint(shown, 0);
        QCoreApplication::processEvents();
        PaintWatcher watcher(rtb1->viewport());
        QElapsedTimer timer;
        timer.start();
        if (!form.openFile(file.path))
            return;
        waitForPaint(watcher, 0);
        openMs = timer.nsecsElapsed() / 1e6;
        rtb1->setFocus();
        QCoreApplication::processEvents();
    }

    // A key until the pane has painted what it did.
    double key(int key, Qt::KeyboardModifiers modifiers = {}) {
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(rtb1, &press);
        QApplication::sendEvent(rtb1, &release);
        rtb1->viewport()->repaint();
        return timer.nsecsElapsed() / 1e6;
    }
};

double openTime(qint64 size) {
    Opened opened(size);
    return opened.openMs;
}

// The slowest of several presses of one key: the first that reaches rows
// not yet laid out counts.
double keys(qint64 size, int key, Qt::KeyboardModifiers modifiers = {}) {
    Opened opened(size);
    double slowest = 0;
    for (int i = 0; i < 9; ++i) {
        const double ms = opened.key(key, modifiers);
        if (qEnvironmentVariableIsSet("KKTBENCH_EACH"))
            std::fprintf(stderr, "%.1f ", ms);
        slowest = std::max(slowest, ms);
    }
    return slowest;
}

double endThenPage(qint64 size) {
    Opened opened(size);
    opened.key(Qt::Key_End, Qt::ControlModifier);
    double slowest = 0;
    for (int i = 0; i < 9; ++i)
        slowest = std::max(slowest, opened.key(Qt::Key_PageUp));
    return slowest;
}

// Shift+F5: the hex edit layout over the whole document, until the window
// has painted it.
double wholeHexEdit(qint64 size) {
    Opened opened(size);
    PaintWatcher paints(&opened.form);
    QElapsedTimer timer;
    timer.start();
    opened.form.findChild<QAction *>(QStringLiteral("mnuHexEditAll"))->trigger();
    QCoreApplication::processEvents();
    opened.form.repaint();
    return timer.nsecsElapsed() / 1e6;
}

// ghex on the same file: from start until its window shows, as xdotool finds it.
double ghexOpen(qint64 size) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return -1;
    LargeFile file(size);
    return windowbench::ghexOpen(file.path, QStringLiteral("large%1m").arg(size / mebibyte));
}

// The program started with the file, timed as ghex is.
double startedOpen(qint64 size) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return -1;
    LargeFile file(size);
    return windowbench::kktviewOpen(file.path);
}

using windowbench::Case;

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"open64m", "open 64 MiB of text, first paint", [] { return openTime(64 * mebibyte); }},
        {"start64m", "  kktview started with it, window shown (X only)",
         [] { return startedOpen(64 * mebibyte); }},
        {"ghex64m", "  ghex opening it, window shown (X only)",
         [] { return ghexOpen(64 * mebibyte); }},
        {"open1g", "open 1 GiB (sparse), first paint", [] { return openTime(gibibyte); }},
        {"start1g", "  kktview started with it, window shown (X only)",
         [] { return startedOpen(gibibyte); }},
        {"ghex1g", "  ghex opening it (X only)", [] { return ghexOpen(gibibyte); }},
        {"open16g", "open 16 GiB (sparse), first paint", [] { return openTime(16 * gibibyte); }},
        {"start16g", "  kktview started with it, window shown (X only)",
         [] { return startedOpen(16 * gibibyte); }},
        {"ghex16g", "  ghex opening it (X only)", [] { return ghexOpen(16 * gibibyte); }},
        {"down1g", "1 GiB: Down, slowest of 9", [] { return keys(gibibyte, Qt::Key_Down); }},
        {"right1g", "  Right, slowest of 9", [] { return keys(gibibyte, Qt::Key_Right); }},
        {"page1g", "  page down, slowest of 9", [] { return keys(gibibyte, Qt::Key_PageDown); }},
        {"end1g", "  Ctrl+End, slowest of 9",
         [] { return keys(gibibyte, Qt::Key_End, Qt::ControlModifier); }},
        {"endpage1g", "  Ctrl+End, then page up, slowest of 9",
         [] { return endThenPage(gibibyte); }},
        {"all1g", "  select all, slowest of 9",
         [] { return keys(gibibyte, Qt::Key_A, Qt::ControlModifier); }},
        {"down16g", "16 GiB: Down, slowest of 9", [] { return keys(16 * gibibyte, Qt::Key_Down); }},
        {"page16g", "  page down, slowest of 9",
         [] { return keys(16 * gibibyte, Qt::Key_PageDown); }},
        {"end16g", "  Ctrl+End, slowest of 9",
         [] { return keys(16 * gibibyte, Qt::Key_End, Qt::ControlModifier); }},
        {"endpage16g", "  Ctrl+End, then page up, slowest of 9",
         [] { return endThenPage(16 * gibibyte); }},
        {"all16g", "  select all, slowest of 9",
         [] { return keys(16 * gibibyte, Qt::Key_A, Qt::ControlModifier); }},
        {"shiftf5_64m", "Shift+F5 on 64 MiB, painted", [] { return wholeHexEdit(64 * mebibyte); }},
        {"shiftf5_1g", "Shift+F5 on 1 GiB, painted", [] { return wholeHexEdit(gibibyte); }},
    };
    return all;
}

} // namespace

int main(int argc, char *argv[]) {
    return windowbench::runCases(argc, argv, "large files opened from a path", cases());
}
