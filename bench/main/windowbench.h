#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <QWidget>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// Runs each case (with a name and a description, what) in a process of its
// own, this program again with "--case NAME", so that the peak memory is the
// case's alone; the child writes its milliseconds to standard output. A
// line per case under the title.
template <typename Cases>
int runCasesInChildren(const char *title, char *self, const Cases &cases) {
    std::printf("%-55s %10s %12s\n", title, "ms", "peak RSS MiB");
    for (const auto &c : cases) {
        std::fflush(stdout);
        int pipeFds[2];
        if (pipe(pipeFds) != 0)
            return 1;
        const pid_t child = fork();
        if (child == 0) {
            dup2(pipeFds[1], STDOUT_FILENO);
            close(pipeFds[0]);
            execl("/proc/self/exe", self, "--case", c.name, static_cast<char *>(nullptr));
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
}

} // namespace windowbench
