#pragma once

#include <QApplication>
#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QObject>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRandomGenerator>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <vector>
#ifndef Q_OS_WIN
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

// What the window benchmarks share.
namespace windowbench {

inline QtMessageHandler &qtHandler() {
    static QtMessageHandler handler = nullptr;
    return handler;
}

inline void dropSessionNotes(QtMsgType type, const QMessageLogContext &context,
                             const QString &message) {
    if (message.startsWith(QLatin1String("QStandardPaths: XDG_RUNTIME_DIR not set")) ||
        message == QLatin1String("This plugin does not support propagateSizeHints()"))
        return;
    qtHandler()(type, context, message);
}

// Sets up what every window benchmark needs first: the offscreen platform
// unless another is asked for, and output of figures only. Two notes of
// Qt's about the session the benchmark runs in (no runtime directory; an
// offscreen platform that keeps no size hints) say nothing about the program
// and are dropped; every other message still shows.
inline void start() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler() = qInstallMessageHandler(dropSessionNotes);
}

// Counts the paints of one widget, so a case can wait until the user would
// see its result.
class PaintWatcher : public QObject {
public:
    explicit PaintWatcher(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

    bool eventFilter(QObject *, QEvent *event) override {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Lets the events run until the widget has painted once more than before
// (a minute at most).
inline void waitForPaint(const PaintWatcher &watcher, int before) {
    QElapsedTimer timeout;
    timeout.start();
    while (watcher.paints == before && timeout.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Cliche-like text: Cyrillic and Latin letters, digits and spaces, with a
// line break (CR LF) after every lineLength bytes, or none if 0.
inline QByteArray sampleText(qint64 size, int lineLength) {
    static const char alphabet[] = "0123456789 ABCDEFGHIJ abcdefghij "
                                   "\xC0\xC1\xC2\xC3\xC4\xC5\xC6\xC7\xE0\xE1\xE2\xE3\xE4\xE5";
    QRandomGenerator random(1251);
    QByteArray bytes(size, Qt::Uninitialized);
    int column = 0;
    for (qint64 i = 0; i < size; ++i) {
        if (lineLength && column == lineLength - 2 && i + 1 < size) {
            bytes[i++] = '\r';
            bytes[i] = '\n';
            column = 0;
            continue;
        }
        bytes[i] = alphabet[random.bounded(int(sizeof alphabet - 1))];
        ++column;
    }
    return bytes;
}

// A measurement of its own, in milliseconds, run by name.
struct Case {
    const char *name;
    const char *what;
    std::function<double()> run;
};

// A program opening path: from its start until its window, whose title
// holds windowName, shows, as xdotool finds it; -1 without an X display.
inline double startUntilShown(const QString &program, const QString &path,
                              const QString &windowName) {
    if (qEnvironmentVariableIsEmpty("DISPLAY"))
        return -1;
    QElapsedTimer timer;
    timer.start();
    QProcess started;
    // On the display, not offscreen as the benchmark itself.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    started.setProcessEnvironment(environment);
    started.start(program, {path});
    // Asked again and again rather than with --sync, which looks only every
    // half second.
    bool shown = false;
    while (!shown && timer.elapsed() < 60000) {
        QProcess search;
        search.start(QStringLiteral("xdotool"),
                     {QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                      QStringLiteral("--name"), windowName});
        search.waitForFinished(5000);
        shown = search.exitStatus() == QProcess::NormalExit && search.exitCode() == 0;
    }
    const double ms = timer.nsecsElapsed() / 1e6;
    started.kill();
    started.waitForFinished();
    return shown ? ms : -1;
}

// ghex, the peer.
inline double ghexOpen(const QString &path, const QString &windowName) {
    return startUntilShown(QStringLiteral("ghex"), path, windowName);
}

// The program itself, built beside the benchmarks, the same way.
inline double kktviewOpen(const QString &path) {
    return startUntilShown(QCoreApplication::applicationDirPath() +
                               QStringLiteral("/../../app/kktview"),
                           path, QStringLiteral("Просмотр бинарных файлов"));
}

// The benchmark program: with "--case NAME", or NAME alone, runs that case
// and prints its milliseconds; else runs every case in a process of its own,
// this program again with "--case NAME", so that the peak memory is the
// case's alone, and prints a line per case under the title.
inline int runCases(int argc, char *argv[], const char *title, const std::vector<Case> &cases) {
    start();
    const char *only = argc == 3 && std::strcmp(argv[1], "--case") == 0 ? argv[2]
                       : argc == 2                                      ? argv[1]
                                                                        : nullptr;
    if (only) {
        int one = 1;
        QApplication app(one, argv);
        for (const Case &c : cases) {
            if (std::strcmp(c.name, only) == 0) {
                std::printf("%.1f\n", c.run());
                return 0;
            }
        }
        return 1;
    }

#ifdef Q_OS_WIN
    // Built for Windows to set its figures beside Linux's: every case in
    // this one process, without a peak memory of its own.
    int one = 1;
    QApplication app(one, argv);
    std::printf("%-55s %10s\n", title, "ms");
    for (const Case &c : cases)
        std::printf("%-55s %10.1f\n", c.what, c.run());
    return 0;
#else
    std::printf("%-55s %10s %12s\n", title, "ms", "peak RSS MiB");
    for (const Case &c : cases) {
        std::fflush(stdout);
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return 1;
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            execl("/proc/self/exe", argv[0], "--case", c.name, static_cast<char *>(nullptr));
            _exit(127);
        }
        close(pipeFds[1]);
        char buffer[64] = {};
        const ssize_t got = read(pipeFds[0], buffer, sizeof buffer - 1);
        close(pipeFds[0]);
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        const double ms = got > 0 ? std::atof(buffer) : -1;
        std::printf("%-55s %10.1f %12.1f\n", c.what, ms, usage.ru_maxrss / 1024.0);
        std::fflush(stdout);
    }
    return 0;
#endif
}

} // namespace windowbench
