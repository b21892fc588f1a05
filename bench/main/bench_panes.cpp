// The display panes with large contents, offscreen: a cliche listing of a
// 16 MiB document shown (time to the first paint, peak memory against the
// window holding the document alone), and the hex pane and the 1251 text in
// rows of 16 over a 64 MiB document: show, page, caret to the end, a typed
// nibble. Each case runs in a process of its own so its peak memory is its
// own. With an X display (xvfb-run), ghex opening the same 64 MiB file is
// timed too, as a peer.

#include "benchtools.h"
#include "document/bytedocument.h"
#include "document/byteeditor.h"
#include "hexpane.h"
#include "mainwindow.h"
#include "windowbench.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using bench::median;
using windowbench::PaintWatcher;
using windowbench::sampleText;
using windowbench::waitForPaint;

constexpr qint64 mebibyte = 1024 * 1024;

// The window with a document shown, as after opening it.
struct Window {
    MainWindow form;
    QAbstractScrollArea *rtb3 = form.findChild<QAbstractScrollArea *>(QStringLiteral("RTB3"));

    explicit Window(const QByteArray &document) {
        form.setDocument(document);
        PaintWatcher watcher(&form);
        form.show();
        waitForPaint(watcher, 0);
        QCoreApplication::processEvents();
    }
};

double documentAlone(const QByteArray &document) {
    Window window(document);
    return 0;
}

// The command until the output pane has painted its result.
double listing(const QByteArray &document, const char *action) {
    Window window(document);
    QElapsedTimer timer;
    timer.start();
    window.form.findChild<QAction *>(QLatin1String(action))->trigger();
    window.rtb3->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

// A pane shown on its own over a 64 MiB document that it follows, 16 tokens
// a row, as the hex-edit layout will show a whole document. Typed nibbles
// overwrite the document's bytes.
struct LivePane {
    ByteDocument document;
    ByteEditor editor{&document};
    std::unique_ptr<TokenView> pane;
    PaintWatcher *watcher = nullptr;
    double shown = 0;

    explicit LivePane(bool hex) {
        document.load(bench::randomBytes(64 * mebibyte, 866));
        QElapsedTimer timer;
        timer.start();
        if (hex) {
            auto *hexPane = new HexPane;
            hexPane->setEditor(&editor);
            pane.reset(hexPane);
        } else {
            pane = std::make_unique<TokenView>();
        }
        // The faces the window gives its panes.
        QFont font = hex ? QFont(QStringLiteral("Lucida Console")) : pane->font();
        if (hex) {
            font.setStyleHint(QFont::TypeWriter);
            font.setFixedPitch(true);
            font.setPointSizeF(8.25);
        }
        font.setStyleStrategy(QFont::PreferNoShaping);
        pane->setFont(font);
        pane->follow(hex ? views::hexDump : views::cp1251Glyphs, &document, 0);
        pane->setTokensPerRow(16);
        pane->resize(hex ? 520 : 200, 600);
        watcher = new PaintWatcher(pane->viewport());
        pane->show();
        waitForPaint(*watcher, 0);
        shown = timer.nsecsElapsed() / 1e6;
        pane->setFocus();
        QCoreApplication::processEvents();
    }
    ~LivePane() { delete watcher; }

    // A key until the pane has painted what it did: events pending before
    // it are handled first, and the pane is painted at once.
    double key(int key, Qt::KeyboardModifiers modifiers = {}, const QString &text = {}) {
        QCoreApplication::processEvents();
        QElapsedTimer timer;
        timer.start();
        const int before = watcher->paints;
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QApplication::sendEvent(pane.get(), &press);
        pane->viewport()->repaint();
        const double ms = timer.nsecsElapsed() / 1e6;
        // A pane that did not paint measured nothing.
        return watcher->paints > before ? ms : -1;
    }
};

double paneShow(bool hex) {
    LivePane live(hex);
    return live.shown;
}

double panePage(bool hex) {
    LivePane live(hex);
    std::vector<double> times;
    for (int i = 0; i < 15; ++i)
        times.push_back(live.key(Qt::Key_PageDown));
    return median(times);
}

double paneEnd(bool hex) {
    LivePane live(hex);
    return live.key(Qt::Key_End, Qt::ControlModifier);
}

double paneNibble() {
    LivePane live(true);
    live.key(Qt::Key_End, Qt::ControlModifier);
    live.key(Qt::Key_Up);
    std::vector<double> times;
    for (int i = 0; i < 15; ++i)
        times.push_back(live.key(Qt::Key_4, {}, QStringLiteral("4")));
    return median(times);
}

// ghex on a file of that size: from start until its window shows, as
// xdotool finds it.
double ghexOpen(qint64 size) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return -1;
    QTemporaryDir dir;
    const QString path = bench::writeFile(dir, "dump64m.bin", bench::randomBytes(size, 866));
    return windowbench::ghexOpen(path, QStringLiteral("dump64m"));
}

using windowbench::Case;

const std::vector<Case> &cases() {
    // Made in the case's own process, when it runs.
    const auto flat = [] { return sampleText(16 * mebibyte, 0); };
    const auto lines = [] { return sampleText(16 * mebibyte, 60); };
    static const std::vector<Case> all = {
        {"docflat", "window with 16 MiB, no line break (memory base)",
         [=] { return documentAlone(flat()); }},
        {"f7flat", "F7 listing of that 16 MiB, first paint",
         [=] { return listing(flat(), "mnuKKM1251"); }},
        {"f8flat", "F8 listing of that 16 MiB, first paint",
         [=] { return listing(flat(), "mnuKKM866"); }},
        {"doclines", "window with 16 MiB, line break every 60 (memory base)",
         [=] { return documentAlone(lines()); }},
        {"f7lines", "F7 listing of that 16 MiB, first paint",
         [=] { return listing(lines(), "mnuKKM1251"); }},
        {"f8lines", "F8 listing of that 16 MiB, first paint",
         [=] { return listing(lines(), "mnuKKM866"); }},
        {"hexshow", "hex pane over 64 MiB, shown", [] { return paneShow(true); }},
        {"hexpage", "  page down (median of 15)", [] { return panePage(true); }},
        {"hexend", "  caret to the end", [] { return paneEnd(true); }},
        {"hexnibble", "  a typed nibble, document edited (median)", paneNibble},
        {"textshow", "1251 text, 16 a row, over 64 MiB, shown", [] { return paneShow(false); }},
        {"textpage", "  page down (median of 15)", [] { return panePage(false); }},
        {"textend", "  caret to the end", [] { return paneEnd(false); }},
        {"ghex", "ghex opening the 64 MiB file, window shown (X only)",
         [] { return ghexOpen(64 * mebibyte); }},
        {"ghexsmall", "ghex opening a file of 4 bytes, window shown (X only)",
         [] { return ghexOpen(4); }},
    };
    return all;
}

} // namespace

int main(int argc, char *argv[]) {
    return windowbench::runCases(argc, argv, "display panes", cases());
}
