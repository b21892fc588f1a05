#pragma once

#include <QEvent>
#include <QObject>
#include <QString>
#include <QWidget>
#include <QtGlobal>

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

} // namespace windowbench
