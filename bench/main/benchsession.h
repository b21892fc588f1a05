#pragma once

#include <QString>
#include <QtGlobal>

// What every window benchmark sets up first: the offscreen platform unless
// another is asked for, and output of figures only. Two notes of Qt's about
// the session the benchmark runs in (no runtime directory; an offscreen
// platform that keeps no size hints) say nothing about the program and are
// dropped; every other message still shows.
namespace benchsession {

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

inline void start() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qtHandler() = qInstallMessageHandler(dropSessionNotes);
}

} // namespace benchsession
