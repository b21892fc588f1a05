// Times of the main window as a user feels them, offscreen: start to first
// paint, F5 on a document just under the size limit, one keystroke in long
// documents, and the cliche listing of a large document. Each case runs in
// a process of its own so its peak memory is its own.

#include "clichecheckwindow.h"
#include "document/byteselection.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "windowbench.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

namespace {

using windowbench::PaintWatcher;
using windowbench::sampleText;
using windowbench::waitForPaint;

// Any byte but CR, so the document stays one paragraph.
QByteArray randomBytes(qsizetype size) {
    QRandomGenerator random(866);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = char(random.bounded(256));
        if (byte == '\r')
            byte = 'r';
    }
    return bytes;
}

struct Window {
    MainWindow form;
    InputPane *rtb1 = form.findChild<InputPane *>(QStringLiteral("RTB1"));
    QAbstractScrollArea *rtb2 = form.findChild<QAbstractScrollArea *>(QStringLiteral("RTB2"));
    QAbstractScrollArea *rtb3 = form.findChild<QAbstractScrollArea *>(QStringLiteral("RTB3"));

    void showWith(const QByteArray &document) {
        form.setDocument(document);
        PaintWatcher watcher(rtb1->viewport());
        form.show();
        waitForPaint(watcher, 0);
    }
    void trigger(const char *action) {
        form.findChild<QAction *>(QLatin1String(action))->trigger();
    }
};

double start() {
    QElapsedTimer timer;
    timer.start();
    Window window;
    PaintWatcher watcher(window.rtb1->viewport());
    window.form.show();
    waitForPaint(watcher, 0);
    return timer.nsecsElapsed() / 1e6;
}

double hexEdit() {
    Window window;
    window.showWith(sampleText(10699, 40));
    PaintWatcher hex(window.rtb2->viewport());
    PaintWatcher output(window.rtb3->viewport());
    QElapsedTimer timer;
    timer.start();
    window.trigger("mnuHexEdit");
    waitForPaint(hex, 0);
    waitForPaint(output, 0);
    return timer.nsecsElapsed() / 1e6;
}

// A document set into the input pane (as the open command does), until
// the pane has painted it.
double load(const QByteArray &document) {
    Window window;
    window.showWith(QByteArray());
    PaintWatcher watcher(window.rtb1->viewport());
    QElapsedTimer timer;
    timer.start();
    window.form.setDocument(document);
    waitForPaint(watcher, 0);
    return timer.nsecsElapsed() / 1e6;
}

// A file opened by the open command, from the file to the painted pane.
double open16m() {
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("dump.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(sampleText(16 << 20, 60)) != 16 << 20)
        return -1;
    file.close();
    Window window;
    window.showWith(QByteArray());
    PaintWatcher watcher(window.rtb1->viewport());
    QElapsedTimer timer;
    timer.start();
    if (!window.form.openFile(path))
        return -1;
    waitForPaint(watcher, 0);
    return timer.nsecsElapsed() / 1e6;
}

// The median of several keystrokes in the middle of the document, each
// until the pane has repainted.
double keystroke(const QByteArray &document) {
    Window window;
    window.showWith(document);
    window.rtb1->setFocus();
    window.rtb1->selection()->moveCaret(document.size() / 2);
    window.rtb1->centerCaret();
    PaintWatcher watcher(window.rtb1->viewport());
    QCoreApplication::processEvents();
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        const int before = watcher.paints;
        QElapsedTimer timer;
        timer.start();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(window.rtb1, &press);
        QApplication::sendEvent(window.rtb1, &release);
        waitForPaint(watcher, before);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// A command that fills the output pane, until the pane has painted its
// result. The pane is painted at once, so what else the window repaints in
// the same pass (the input pane's caret) does not count.
double listing(const QByteArray &document, const char *action) {
    Window window;
    window.showWith(document);
    QElapsedTimer timer;
    timer.start();
    window.trigger(action);
    window.rtb3->viewport()->repaint();
    return timer.nsecsElapsed() / 1e6;
}

// Find next from the start of a 16 MiB document whose only match is in its
// last bytes, until the pane has painted the selection: the document's
// bytes fetched, searched, selected and scrolled to. The pattern is given
// once through the dialog, before the clock starts.
double findNext() {
    Window window;
    const QByteArray thanks866("\x91\x8F\x80\x91\x88\x81\x8E");
    QByteArray document = sampleText(16 * 1024 * 1024, 60);
    window.showWith(
        document.replace(document.size() - thanks866.size(), thanks866.size(), thanks866));
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        QWidget *dialog = QApplication::activeModalWidget();
        if (!dialog || dialog->objectName() != QLatin1String("dlgFind"))
            return;
        dialog->findChild<QLineEdit *>(QStringLiteral("txtFind"))
            ->setText(QStringLiteral("СПАСИБО"));
        dialog->findChild<QRadioButton *>(QStringLiteral("optText866"))->setChecked(true);
        dialog->findChild<QPushButton *>(QStringLiteral("cmdFind"))->click();
    });
    answer.start(5);
    window.trigger("mnuFind");
    answer.stop();
    window.rtb1->selectBytes(0, 0);
    PaintWatcher watcher(window.rtb1->viewport());
    QCoreApplication::processEvents();
    const int before = watcher.paints;
    QElapsedTimer timer;
    timer.start();
    window.trigger("mnuFindNext");
    waitForPaint(watcher, before);
    return timer.nsecsElapsed() / 1e6;
}

// The median of 15 steps of the output pane's scroll bar through a listing,
// each until the pane has repainted: page steps from the middle, or jumps
// between the start, the middle and the end.
double listingScroll(const QByteArray &document, const char *action, bool jumps) {
    Window window;
    window.showWith(document);
    window.trigger(action);
    window.rtb3->viewport()->repaint();
    QScrollBar *bar = window.rtb3->verticalScrollBar();
    bar->setValue(bar->maximum() / 2);
    window.rtb3->viewport()->repaint();
    std::vector<double> times;
    for (int i = 0; i < 15; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (jumps)
            bar->setValue(i % 3 == 0 ? 0 : i % 3 == 1 ? bar->maximum() / 2 : bar->maximum());
        else
            bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
        window.rtb3->viewport()->repaint();
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The cliche check window on a 10K cliche of mixed small and capital
// letters for МЕРКУРИЙ Ф (a finding every few bytes): one check with its
// list and preview, until both have painted, as after a pause in typing.
double checkWindow() {
    Window window;
    window.showWith(sampleText(10239, 30));
    window.trigger("mnuCheck");
    ClicheCheckWindow *check = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *found = qobject_cast<ClicheCheckWindow *>(widget))
            check = found;
    }
    check->findChild<QComboBox *>(QStringLiteral("cboModel"))->setCurrentIndex(9);
    auto *list = check->findChild<QListWidget *>(QStringLiteral("lstFindings"));
    auto *preview = check->findChild<QAbstractScrollArea *>(QStringLiteral("prvReceipt"));
    PaintWatcher listPaints(list->viewport());
    PaintWatcher previewPaints(preview->viewport());
    waitForPaint(listPaints, 0);
    waitForPaint(previewPaints, 0);
    std::vector<double> times;
    for (int i = 0; i < 7; ++i) {
        const int listBefore = listPaints.paints;
        const int previewBefore = previewPaints.paints;
        QElapsedTimer timer;
        timer.start();
        check->refresh();
        waitForPaint(listPaints, listBefore);
        waitForPaint(previewPaints, previewBefore);
        times.push_back(timer.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

using windowbench::Case;

const std::vector<Case> &cases() {
    static const std::vector<Case> all = {
        {"start", "window start to first paint", start},
        {"f5", "F5 on 10,699 bytes, both panes laid out and painted", hexEdit},
        {"load1m", "set and paint 1 MiB of random bytes, one paragraph",
         [] { return load(randomBytes(1024 * 1024)); }},
        {"load16m", "set and paint 16 MiB, line break every 60 bytes",
         [] { return load(sampleText(16 * 1024 * 1024, 60)); }},
        {"open16m", "open a 16 MiB file, line break every 60 bytes, painted", open16m},
        {"key64k", "keystroke, 64 KiB in one paragraph",
         [] { return keystroke(sampleText(64 * 1024, 0)); }},
        {"key64kbin", "keystroke, 64 KiB of random bytes 0..255, one paragraph",
         [] { return keystroke(randomBytes(64 * 1024)); }},
        {"key64kword", "keystroke, 64 KiB of letters without a space, one paragraph",
         [] { return keystroke(QByteArray(64 * 1024, 'W')); }},
        {"key4m", "keystroke, 4 MiB, line break every 60 bytes",
         [] { return keystroke(sampleText(4 * 1024 * 1024, 60)); }},
        {"f7lines", "F7 listing of 1 MiB, line break every 60 bytes",
         [] { return listing(sampleText(1024 * 1024, 60), "mnuKKM1251"); }},
        {"f8lines", "F8 listing of 1 MiB, line break every 60 bytes",
         [] { return listing(sampleText(1024 * 1024, 60), "mnuKKM866"); }},
        {"f7flat", "F7 listing of 1 MiB without line break",
         [] { return listing(sampleText(1024 * 1024, 0), "mnuKKM1251"); }},
        {"find16m", "F9 on 16 MiB, the only match at the end, painted", findNext},
        {"f8flat", "F8 listing of 1 MiB without line break",
         [] { return listing(sampleText(1024 * 1024, 0), "mnuKKM866"); }},
        {"f7page", "page step in that F7 listing (median of 15)",
         [] { return listingScroll(sampleText(1024 * 1024, 0), "mnuKKM1251", false); }},
        {"f7jump", "scroll bar jump in that F7 listing (median of 15)",
         [] { return listingScroll(sampleText(1024 * 1024, 0), "mnuKKM1251", true); }},
        {"check10k", "cliche check window on 10K, checked, listed, painted", checkWindow},
    };
    return all;
}

} // namespace

int main(int argc, char *argv[]) {
    return windowbench::runCases(argc, argv, "main window (offscreen)", cases());
}
