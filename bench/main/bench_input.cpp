// The input pane with large documents, as a user feels it (offscreen, the
// main window at its start size): opening a file (wall and CPU time, memory
// after it and at most), keystrokes and moves in the middle of the longest
// line, page steps, scrolling, Ctrl+End, select all and a refused View
// command, a Font command on everything, and peak memory. The parent writes
// each file; a child process opens it, so its memory is the program's own.
// Where the X display and GNOME's hex editor ghex are at hand, both programs
// are also started on the same file as a user starts them, and timed from
// start until they are idle with the file shown, with their peak memory
// (from 256 MiB on the comparison is left out).
//
//   bench_input                       every kind at 16 MiB
//   BENCH_MIB=64 bench_input          another size
//   BENCH_MIB=1024 bench_input ff     one kind; from 256 MiB on, opening only
//   xvfb-run -a bench_input           with the external comparison

#include "benchtools.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "windowbench.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <map>
#include <signal.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

// A kind of file, made piece by piece (a piece is 1 MiB, its index given).
struct Kind {
    const char *name;
    const char *what;
    void (*fill)(QByteArray &piece, qint64 index);
};

void randomBytes(QByteArray &piece, qint64 index, bool lineBreaks) {
    QRandomGenerator random(quint32(866 + index));
    for (char &byte : piece) {
        byte = char(random.bounded(256));
        if (!lineBreaks && (byte == '\r' || byte == '\n'))
            byte = 'r';
    }
}

// Cliche-like text in lines of the given length, CR LF included.
void text(QByteArray &piece, qint64 index, int line) {
    static const char alphabet[] = "0123456789 ABCDEFGHIJ abcdefghij "
                                   "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xE0\xE1\xE2\xE3\xE4\xE5";
    QRandomGenerator random(quint32(1251 + index));
    const qint64 base = index * piece.size();
    for (qsizetype i = 0; i < piece.size(); ++i) {
        const qint64 column = (base + i) % line;
        piece[i] = column == line - 2   ? '\r'
                   : column == line - 1 ? '\n'
                                        : alphabet[random.bounded(int(sizeof alphabet - 1))];
    }
}

const std::vector<Kind> kinds = {
    {"ff", "all 0xFF", [](QByteArray &p, qint64) { p.fill('\xFF'); }},
    {"0a", "all 0x0A", [](QByteArray &p, qint64) { p.fill('\n'); }},
    {"binary", "random, no 13/10", [](QByteArray &p, qint64 i) { randomBytes(p, i, false); }},
    {"random", "random 0..255", [](QByteArray &p, qint64 i) { randomBytes(p, i, true); }},
    {"text", "CR LF every 60", [](QByteArray &p, qint64 i) { text(p, i, 60); }},
    {"lines4k", "CR LF every 4096", [](QByteArray &p, qint64 i) { text(p, i, 4096); }},
};

qint64 benchSize() {
    const int mib = qEnvironmentVariableIntValue("BENCH_MIB");
    return qint64(mib > 0 ? mib : 16) * 1024 * 1024;
}

// Large files are only opened: the other cases would only take longer.
bool openOnly() {
    return benchSize() >= 256 * 1024 * 1024;
}

bool writeFile(const Kind &kind, const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    QByteArray piece(1024 * 1024, Qt::Uninitialized);
    for (qint64 i = 0; i < benchSize() / piece.size(); ++i) {
        kind.fill(piece, i);
        if (file.write(piece) != piece.size())
            return false;
    }
    return true;
}

// The byte offset in the middle of the longest run without a CR LF.
qint64 middleOfLongestLine(const PieceTable &bytes) {
    qint64 bestStart = 0, bestLength = 0, start = 0, at = 0;
    char previous = 0;
    bytes.forEachChunk(0, bytes.size(), [&](QByteArrayView chunk) {
        for (const char c : chunk) {
            if (previous == '\r' && c == '\n') {
                if (at - 1 - start > bestLength) {
                    bestStart = start;
                    bestLength = at - 1 - start;
                }
                start = at + 1;
            }
            previous = c;
            ++at;
        }
    });
    if (at - start > bestLength) {
        bestStart = start;
        bestLength = at - start;
    }
    return bestStart + bestLength / 2;
}

double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

using windowbench::PaintWatcher;

struct Bench {
    MainWindow form;
    InputPane *pane = form.findChild<InputPane *>(QStringLiteral("RTB1"));
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
    void placeCaret(qint64 offset) {
        pane->selection()->moveCaret(offset);
        pane->centerCaret();
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

    void run(const QString &path) {
        form.show();
        settle();
        const double cpuBefore = cpuSeconds();
        results["open"] = timed([&] { form.openFile(path); });
        results["open, CPU"] = (cpuSeconds() - cpuBefore) * 1000;
        results["RSS after open, MiB"] = bench::statusMiB(QStringLiteral("self"), "VmRSS:");
        results["peak RSS at open, MiB"] = bench::statusMiB(QStringLiteral("self"), "VmHWM:");
        if (openOnly())
            return;

        ByteDocument *doc = pane->document();
        const qint64 middle = middleOfLongestLine(doc->bytes());
        pane->setFocus();
        placeCaret(middle);
        settle();
        median("keystroke", {}, [&] { key(Qt::Key_X, Qt::NoModifier, QStringLiteral("x")); });
        median("Backspace", {}, [&] { key(Qt::Key_Backspace); });
        median("Right", {}, [&] { key(Qt::Key_Right); });
        median("Down", {}, [&] { key(Qt::Key_Down); });
        median("Shift+Right", {}, [&] { key(Qt::Key_Right, Qt::ShiftModifier); });
        placeCaret(middle);
        median("PageDown", {}, [&] { key(Qt::Key_PageDown); });
        placeCaret(middle);
        QScrollBar *bar = pane->verticalScrollBar();
        median("scroll step", {},
               [&] { bar->triggerAction(QAbstractSlider::SliderSingleStepAdd); });
        median(
            "scroll bar to middle", [&] { bar->setValue(0); },
            [&] { bar->setValue(bar->maximum() / 2); });
        median(
            "scroll bar to end", [&] { bar->setValue(0); }, [&] { bar->setValue(bar->maximum()); });
        median(
            "Ctrl+End", [&] { placeCaret(middle); },
            [&] { key(Qt::Key_End, Qt::ControlModifier); });
        median(
            "Ctrl+Home", [&] { placeCaret(middle); },
            [&] { key(Qt::Key_Home, Qt::ControlModifier); });
        placeCaret(middle);
        settle();
        results["F2 refused, no selection"] = refusal("mnuComand");
        median(
            "select all", [&] { placeCaret(middle); }, [&] { trigger("mnuSelectAll"); });
        results["F2 refused after select all"] = refusal("mnuComand");
        median("Font on select all", {}, [&] {
            QTextCharFormat format;
            format.setFontItalic(!pane->charFormatAt(0).fontItalic());
            pane->mergeCurrentCharFormat(format);
        });
        median("edit by another window", {}, [&] { doc->replace(middle, 1, QByteArray(1, 'h')); });
        QElapsedTimer timer;
        timer.start();
        const ByteText all = form.document();
        results["copy of the document"] = timer.nsecsElapsed() / 1e6;
        if (all.size() != doc->size())
            results["copy WRONG SIZE"] = double(all.size());
    }
};

int runChild(int argc, char *argv[], const char *path) {
    QApplication app(argc, argv);
    QApplication::setCursorFlashTime(0);
    Bench bench;
    bench.run(QString::fromLocal8Bit(path));
    for (const auto &[name, value] : bench.results)
        std::printf("%s\t%.2f\n", name.c_str(), value);
    return 0;
}

// Runs the child on a file; its lines come back with its peak memory.
std::map<std::string, double> runChild(const char *self, const QString &path) {
    std::map<std::string, double> results;
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return results;
    const QByteArray file = QFile::encodeName(path);
    const pid_t child = fork();
    if (child == 0) {
        dup2(pipeFds[1], STDOUT_FILENO);
        close(pipeFds[0]);
        // The offscreen platform: the comparison alone uses the display.
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        execl("/proc/self/exe", self, "--child", file.constData(), static_cast<char *>(nullptr));
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
    results["peak RSS of the run, MiB"] = usage.ru_maxrss / 1024.0;
    return results;
}

// A program started on a file as a user starts it, on the X display: the
// time from its start to the last moment it worked before it fell idle (the
// file shown), its CPU time until then, and its peak memory. It is ended
// once idle.
struct External {
    double wallMs = -1;
    double cpuMs = -1;
    double peakMiB = -1;
};

double cpuMsOf(pid_t pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray line = stat.readAll();
    const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
    if (fields.size() < 13)
        return -1;
    return (fields[11].toDouble() + fields[12].toDouble()) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

External startExternal(const QString &program, const QString &path) {
    External result;
    const QByteArray programName = QFile::encodeName(program);
    const QByteArray file = QFile::encodeName(path);
    QElapsedTimer clock;
    clock.start();
    const pid_t pid = fork();
    if (pid == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        unsetenv("QT_QPA_PLATFORM");
        // A virtual display has no GPU: GTK draws with cairo, as fast as it
        // can there, rather than emulating OpenGL.
        setenv("GSK_RENDERER", "cairo", 1);
        execlp(programName.constData(), programName.constData(), file.constData(),
               static_cast<char *>(nullptr));
        _exit(127);
    }
    // Idle: under 2 % of a core for a second, after a second at least.
    double lastCpu = 0;
    qint64 lastBusy = 0;
    std::vector<std::pair<qint64, double>> samples;
    while (clock.elapsed() < 120000) {
        usleep(10000);
        const double cpu = cpuMsOf(pid);
        if (cpu < 0)
            break;
        const qint64 now = clock.elapsed();
        if (cpu > lastCpu) {
            samples.push_back({now, cpu});
            if (cpu - lastCpu > 1)
                lastBusy = now;
            lastCpu = cpu;
        }
        double recent = 0;
        for (auto it = samples.rbegin(); it != samples.rend() && it->first > now - 1000; ++it)
            recent = lastCpu - it->second;
        if (now > 1000 && now - lastBusy > 1000 && recent < 20) {
            result.wallMs = double(lastBusy);
            result.cpuMs = lastCpu;
            break;
        }
    }
    result.peakMiB = bench::statusMiB(QString::number(pid), "VmHWM:");
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
    return result;
}

} // namespace

int main(int argc, char *argv[]) {
    windowbench::start();
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return runChild(1, argv, argv[2]);

    std::vector<const Kind *> chosen;
    for (const Kind &kind : kinds)
        if (argc < 2 || std::strcmp(argv[1], kind.name) == 0)
            chosen.push_back(&kind);
    // The program itself beside the benchmarks, and the peer if installed.
    const QString self = QFileInfo(QString::fromLocal8Bit(argv[0])).absolutePath();
    const QString program = QDir(self).absoluteFilePath(QStringLiteral("../../app/kktview"));
    const bool compare = !qEnvironmentVariableIsEmpty("DISPLAY") && QFile::exists(program) &&
                         !QStandardPaths::findExecutable(QStringLiteral("ghex")).isEmpty() &&
                         !openOnly();
    QTemporaryDir dir;
    std::vector<std::map<std::string, double>> columns;
    for (const Kind *kind : chosen) {
        std::fprintf(stderr, "running %s...\n", kind->name);
        const QString path = dir.filePath(QStringLiteral("%1.bin").arg(kind->name));
        if (!writeFile(*kind, path))
            return 1;
        columns.push_back(runChild(argv[0], path));
        if (compare) {
            const External ours = startExternal(program, path);
            const External ghex = startExternal(QStringLiteral("ghex"), path);
            auto &column = columns.back();
            column["started: kktview, to idle"] = ours.wallMs;
            column["started: kktview, CPU"] = ours.cpuMs;
            column["started: kktview, peak MiB"] = ours.peakMiB;
            column["started: ghex, to idle"] = ghex.wallMs;
            column["started: ghex, CPU"] = ghex.cpuMs;
            column["started: ghex, peak MiB"] = ghex.peakMiB;
        }
        QFile::remove(path);
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
