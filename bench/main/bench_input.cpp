// The input pane with large documents, as a user feels it (offscreen, the
// main window at its start size): open, keystrokes and moves in the middle of
// the longest paragraph, scrolling, select all and a refused View command,
// the byte API the other commands use, and peak memory. Each kind of document
// runs in a process of its own, so its peak memory is its own.
//
//   bench_input                 every kind at 16 MiB
//   BENCH_MIB=64 bench_input    another size
//   bench_input ff              one kind only

#include "bytepane.h"
#include "form1.h"
#include "openlimits.h"
#include "windowbench.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Kind {
    const char *name;
    const char *what;
    QByteArray (*make)(qsizetype size);
};

QByteArray filled(qsizetype size, char byte) {
    return QByteArray(size, byte);
}

QByteArray randomBytes(qsizetype size, bool lineBreaks) {
    QRandomGenerator random(866);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes) {
        byte = char(random.bounded(256));
        if (!lineBreaks && (byte == '\r' || byte == '\n'))
            byte = 'r';
    }
    return bytes;
}

// Cliche-like text with CR LF after every 58 characters.
QByteArray text60(qsizetype size) {
    static const char alphabet[] = "0123456789 ABCDEFGHIJ abcdefghij "
                                   "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xE0\xE1\xE2\xE3\xE4\xE5";
    QRandomGenerator random(1251);
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i) {
        const qsizetype column = i % 60;
        bytes[i] = column == 58   ? '\r'
                   : column == 59 ? '\n'
                                  : alphabet[random.bounded(int(sizeof alphabet - 1))];
    }
    return bytes;
}

const std::vector<Kind> kinds = {
    {"ff", "all 0xFF", [](qsizetype n) { return filled(n, '\xFF'); }},
    {"00", "all 0x00", [](qsizetype n) { return filled(n, '\0'); }},
    {"binary", "random, no 13/10", [](qsizetype n) { return randomBytes(n, false); }},
    {"random", "random 0..255", [](qsizetype n) { return randomBytes(n, true); }},
    {"text", "CR LF every 60", text60},
};

// The byte offset in the middle of the longest run without a CR LF.
qsizetype middleOfLongestParagraph(const QByteArray &bytes) {
    qsizetype bestStart = 0, bestLength = 0, start = 0;
    for (;;) {
        const qsizetype at = bytes.indexOf("\r\n", start);
        const qsizetype end = at < 0 ? bytes.size() : at;
        if (end - start > bestLength) {
            bestStart = start;
            bestLength = end - start;
        }
        if (at < 0)
            break;
        start = at + 2;
    }
    return bestStart + bestLength / 2;
}

using windowbench::PaintWatcher;

struct Bench {
    Form1 form;
    BytePane *pane = form.findChild<BytePane *>(QStringLiteral("RTB1"));
    PaintWatcher watcher{pane->viewport()};
    std::map<std::string, double> results;

    // Runs step until the pane has painted its result; the whole viewport is
    // painted, which every scroll costs anyway.
    double timed(const std::function<void()> &step) {
        const int before = watcher.paints;
        QElapsedTimer timer;
        timer.start();
        step();
        pane->viewport()->update();
        while (watcher.paints == before && timer.elapsed() < 600000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        return timer.nsecsElapsed() / 1e6;
    }
    void settle() {
        timed([] {});
    }

    // The median of 15 runs, or of 3 when one run takes over a second.
    void median(const char *name, const std::function<void()> &prepare,
                const std::function<void()> &step) {
        std::vector<double> times;
        for (int i = 0; i < 15; ++i) {
            if (prepare) {
                prepare();
                settle();
            }
            times.push_back(timed(step));
            if (times.back() > 1000 && times.size() >= 3)
                break;
        }
        std::sort(times.begin(), times.end());
        results[name] = times[times.size() / 2];
    }

    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier, const QString &text = {}) {
        QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
        QApplication::sendEvent(pane, &press);
        QApplication::sendEvent(pane, &release);
    }
    void placeCursor(int position) {
        QTextCursor cursor = pane->textCursor();
        cursor.setPosition(position);
        pane->setTextCursor(cursor);
        pane->centerCursor();
    }
    void trigger(const char *action) {
        form.findChild<QAction *>(QLatin1String(action))->trigger();
    }

    // A View command that ends in a message: the time until the message
    // shows; the box is closed at once.
    double refusal(const char *action) {
        QElapsedTimer timer;
        double shown = -1;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                if (shown < 0)
                    shown = timer.nsecsElapsed() / 1e6;
                box->accept();
            }
        });
        poll.start(0);
        timer.start();
        trigger(action);
        return shown;
    }

    void run(const QByteArray &document, const QString &path) {
        form.show();
        settle();
        results["open"] = timed([&] {
            if (document.size() <= maxDocumentBytes)
                form.openFile(path);
            else
                form.setDocument(document);
        });
        results["rss after open"] = residentMiB();

        const qsizetype middle = middleOfLongestParagraph(document);
        const int position = pane->positionOfByte(middle);
        pane->setFocus();
        placeCursor(position);
        settle();
        median("keystroke", {}, [&] { key(Qt::Key_X, Qt::NoModifier, QStringLiteral("x")); });
        median("Backspace", {}, [&] { key(Qt::Key_Backspace); });
        median("Right", {}, [&] { key(Qt::Key_Right); });
        median("Down", {}, [&] { key(Qt::Key_Down); });
        median("Shift+Right", {}, [&] { key(Qt::Key_Right, Qt::ShiftModifier); });
        placeCursor(position);
        median("PageDown", {}, [&] { key(Qt::Key_PageDown); });
        placeCursor(position);
        QScrollBar *bar = pane->verticalScrollBar();
        median("scroll step", {},
               [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); });
        median(
            "scroll bar to middle", [&] { bar->setValue(0); },
            [&] { bar->setValue(bar->maximum() / 2); });
        median(
            "scroll bar to end", [&] { bar->setValue(0); }, [&] { bar->setValue(bar->maximum()); });
        median(
            "Ctrl+End", [&] { placeCursor(position); },
            [&] { key(Qt::Key_End, Qt::ControlModifier); });
        placeCursor(position);
        settle();
        results["F2 refused, no selection"] = refusal("mnuComand");
        median(
            "select all", [&] { placeCursor(position); }, [&] { trigger("mnuSelectAll"); });
        results["F2 refused after select all"] = refusal("mnuComand");
        median("Font on select all", {}, [&] {
            QTextCharFormat format;
            format.setFontItalic(!pane->currentCharFormat().fontItalic());
            pane->mergeCurrentCharFormat(format);
        });
        QElapsedTimer timer;
        timer.start();
        const ByteText all = pane->bytes();
        results["bytes()"] = timer.nsecsElapsed() / 1e6;
        if (all.size() != pane->byteCount())
            results["bytes() WRONG SIZE"] = all.size();
        median("replaceBytes of 1 byte", {},
               [&] { pane->replaceBytes(middle, 1, QByteArray(1, 'h')); });
        median("positionOfByte", {}, [&] { pane->positionOfByte(middle); });
    }

    static double residentMiB() {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return -1;
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
        return -1;
    }
};

qsizetype benchSize() {
    const int mib = qEnvironmentVariableIntValue("BENCH_MIB");
    return qsizetype(mib > 0 ? mib : 16) * 1024 * 1024;
}

int runKind(int argc, char *argv[], const Kind &kind) {
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);
    QTemporaryDir dir;
    const QByteArray document = kind.make(benchSize());
    const QString path = dir.filePath(QStringLiteral("dump.bin"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size())
        return 1;
    file.close();
    Bench bench;
    bench.run(document, path);
    for (const auto &[name, value] : bench.results)
        std::printf("%s\t%.2f\n", name.c_str(), value);
    return 0;
}

// Runs one kind in a child process; its lines come back with the peak RSS.
std::map<std::string, double> runChild(const char *self, const Kind &kind) {
    std::map<std::string, double> results;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return results;
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        execl("/proc/self/exe", self, "--child", kind.name, static_cast<char *>(nullptr));
        _exit(127);
    }
    close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    ssize_t got;
    while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0)
        output.append(buffer, size_t(got));
    close(pipeFds[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    size_t at = 0;
    while (at < output.size()) {
        const size_t end = output.find('\n', at);
        const std::string line = output.substr(at, end - at);
        const size_t tab = line.find('\t');
        if (tab != std::string::npos)
            results[line.substr(0, tab)] = std::atof(line.c_str() + tab + 1);
        at = end == std::string::npos ? output.size() : end + 1;
    }
    results["peak RSS MiB"] = usage.ru_maxrss / 1024.0;
    return results;
}

} // namespace

int main(int argc, char *argv[]) {
    windowbench::start();
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0) {
        for (const Kind &kind : kinds)
            if (std::strcmp(kind.name, argv[2]) == 0)
                return runKind(1, argv, kind);
        return 1;
    }

    std::vector<const Kind *> chosen;
    for (const Kind &kind : kinds)
        if (argc < 2 || std::strcmp(argv[1], kind.name) == 0)
            chosen.push_back(&kind);
    std::vector<std::map<std::string, double>> columns;
    for (const Kind *kind : chosen) {
        std::fprintf(stderr, "running %s...\n", kind->name);
        columns.push_back(runChild(argv[0], *kind));
    }

    std::printf("input pane, %lld MiB (ms; medians of 15, of 3 where a run took >1 s)\n",
                static_cast<long long>(benchSize() >> 20));
    std::printf("%-30s", "");
    for (const Kind *kind : chosen)
        std::printf(" %16s", kind->what);
    std::printf("\n");
    std::map<std::string, bool> names;
    for (const auto &column : columns)
        for (const auto &entry : column)
            names[entry.first] = true;
    for (const auto &entry : names) {
        std::printf("%-30s", entry.first.c_str());
        for (const auto &column : columns) {
            const auto found = column.find(entry.first);
            if (found == column.end())
                std::printf(" %16s", "-");
            else
                std::printf(" %16.1f", found->second);
        }
        std::printf("\n");
    }
    return 0;
}
