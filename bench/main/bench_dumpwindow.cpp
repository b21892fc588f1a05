// The window's dump over a whole document of 64 MiB, offscreen: Shift+F5
// until both panes have painted; the comparison with a file of 64 MiB in the
// window (reading, comparing, the marks painted), with cmp -l listing the
// same differences as the peer; then, with the marks on, a page down, the
// caret to the end, a typed nibble and a Go to near the end, each until the
// panes have painted.

#include "benchtools.h"
#include "hexpane.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "windowbench.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr qsizetype size = 64 * 1024 * 1024;

double elapsedMs(const QElapsedTimer &timer) {
    return timer.nsecsElapsed() / 1e6;
}

struct Window {
    MainWindow form;
    InputPane *rtb1 = form.findChild<InputPane *>(QStringLiteral("RTB1"));
    HexPane *rtb2 = form.findChild<HexPane *>(QStringLiteral("RTB2"));
    TokenView *rtb3 = form.findChild<TokenView *>(QStringLiteral("RTB3"));

    // Both display panes painted now, as the user would see them.
    void paintPanes() {
        rtb2->viewport()->repaint();
        rtb3->viewport()->repaint();
    }

    // A key in the hex pane until both panes have painted what it did.
    double key(int key, Qt::KeyboardModifiers modifiers = {}, const QString &text = {}) {
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(rtb2, &press);
        QCoreApplication::processEvents();
        paintPanes();
        return elapsedMs(timer);
    }
};

void row(const char *what, double ms) {
    std::printf("%-60s %10.1f\n", what, ms);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[]) {
    windowbench::start();
    // What the window remembers goes to a directory of the run's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    QApplication app(argc, argv);

    QTemporaryDir dir;
    const QByteArray bytes = bench::randomBytes(size, 1);
    QByteArray other = bytes;
    // A byte in every 4 KiB differs, and the file is 3 bytes longer.
    for (qsizetype at = 2048; at < other.size(); at += 4096)
        other[at] = char(~other[at]);
    other.append("end");
    const QString documentPath = dir.filePath(QStringLiteral("document.bin"));
    const QString otherPath = dir.filePath(QStringLiteral("other.bin"));
    for (const auto &[path, content] : {std::pair{documentPath, &bytes}, {otherPath, &other}}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(*content) != content->size())
            return 1;
    }

    Window window;
    window.form.show();
    QCoreApplication::processEvents();
    if (!window.form.openFile(documentPath))
        return 1;
    QCoreApplication::processEvents();

    std::printf("%-60s %10s\n", "whole document of 64 MiB in the hex-edit layout", "ms");
    QElapsedTimer timer;
    timer.start();
    window.form.findChild<QAction *>(QStringLiteral("mnuHexEditAll"))->trigger();
    QCoreApplication::processEvents();
    window.paintPanes();
    row("Shift+F5, both panes painted", elapsedMs(timer));

    timer.restart();
    const bool compared = window.form.compareWithFile(otherPath);
    QCoreApplication::processEvents();
    window.paintPanes();
    row("compare with a file of 64 MiB, marks painted", compared ? elapsedMs(timer) : -1);
    std::printf("  %s\n", qPrintable(window.form.findChild<QWidget *>(QStringLiteral("lblCompare"))
                                         ->property("text")
                                         .toString()
                                         .trimmed()));

    window.rtb2->setFocus();
    std::vector<double> pages;
    for (int i = 0; i < 15; ++i)
        pages.push_back(window.key(Qt::Key_PageDown));
    row("  page down in the hex pane (median of 15)", bench::median(pages));
    row("  caret to the end (Ctrl+End)", window.key(Qt::Key_End, Qt::ControlModifier));
    window.key(Qt::Key_Up);
    std::vector<double> nibbles;
    for (int i = 0; i < 15; ++i)
        nibbles.push_back(window.key(Qt::Key_4, {}, QStringLiteral("4")));
    row("  a typed nibble, document edited (median of 15)", bench::median(nibbles));
    // Go to selects in the input pane; the hex pane follows the selection.
    std::vector<double> jumps;
    for (int i = 0; i < 15; ++i) {
        QCoreApplication::processEvents();
        timer.restart();
        window.rtb1->selectBytes(size - 1000 - i * 4096 * 7, 0);
        QCoreApplication::processEvents();
        window.paintPanes();
        jumps.push_back(elapsedMs(timer));
    }
    row("  the caret set near the end, as Go to does (median of 15)", bench::median(jumps));

    // Both files were just written: cmp reads them from the page cache, as the
    // window read the other file. Its list is read here: GNU cmp writing to
    // /dev/null would stop at the first difference.
    QProcess cmp;
    cmp.setStandardErrorFile(QProcess::nullDevice());
    qint64 lines = 0;
    QObject::connect(&cmp, &QProcess::readyReadStandardOutput,
                     [&] { lines += cmp.readAllStandardOutput().count('\n'); });
    timer.restart();
    cmp.start(QStringLiteral("cmp"), {QStringLiteral("-l"), documentPath, otherPath});
    const bool ran = cmp.waitForFinished(60000) && cmp.exitStatus() == QProcess::NormalExit;
    lines += cmp.readAllStandardOutput().count('\n');
    row("peer: cmp -l on the two files, its list read", ran ? elapsedMs(timer) : -1);
    std::printf("  %lld lines\n", lines);
    return 0;
}
