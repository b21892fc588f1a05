#include "displaycheck.h"

#include "io/consoleio.h"

#include <QStringList>

#include <cstdio>
#include <cstdlib>

namespace displaycheck {
namespace {

QtMessageHandler previousHandler = nullptr;
bool starting = false;
QStringList startMessages;

void onStartMessage(QtMsgType type, const QMessageLogContext &context, const QString &text) {
    if (!starting) {
        previousHandler(type, context, text);
        return;
    }
    startMessages << text;
    if (type != QtFatalMsg)
        return;
    const QString display = qEnvironmentVariable("DISPLAY");
    const QString reason = display.isEmpty() ? QStringLiteral("Qt не смог открыть окно")
                                             : QStringLiteral("«%1» недоступен").arg(display);
    QStringList details;
    for (const QString &message : std::as_const(startMessages))
        details << message.trimmed().split(u'\n', Qt::SkipEmptyParts);
    tell(reason, details);
    // Still inside Qt's start: nothing else is left to clean up.
    std::_Exit(1);
}

} // namespace

QString missingDisplay(const QString &platform, const QString &display,
                       const QString &waylandDisplay) {
    const QString noDisplay = QStringLiteral("не задан DISPLAY");
    const QString noWayland = QStringLiteral("не задан WAYLAND_DISPLAY");
    if (platform.isEmpty()) {
        if (display.isEmpty() && waylandDisplay.isEmpty())
            return QStringLiteral("не задан ни DISPLAY, ни WAYLAND_DISPLAY");
        return {};
    }
    // Qt tries the platforms of a list in turn.
    QString reason;
    for (const QString &entry : platform.split(u';', Qt::SkipEmptyParts)) {
        const QString name = entry.section(u':', 0, 0).trimmed();
        if (name == QLatin1String("xcb") && display.isEmpty())
            reason = noDisplay + QStringLiteral(" для QT_QPA_PLATFORM=") + platform;
        else if (name.startsWith(QLatin1String("wayland")) && waylandDisplay.isEmpty())
            reason = noWayland + QStringLiteral(" для QT_QPA_PLATFORM=") + platform;
        else
            return {};
    }
    return reason;
}

QString missingDisplay() {
#ifdef Q_OS_WIN
    // A Windows session always has its desktop.
    return {};
#else
    return missingDisplay(qEnvironmentVariable("QT_QPA_PLATFORM"), qEnvironmentVariable("DISPLAY"),
                          qEnvironmentVariable("WAYLAND_DISPLAY"));
#endif
}

QString message(const QString &reason, const QStringList &details) {
    QString text =
        QStringLiteral("kktview: для окна программы нужен графический дисплей: %1.\n"
                       "Без окна программа выводит виды и проверяет клише из командной строки:\n"
                       "  kktview --print hex ФАЙЛ       виды: hex, 866, 1251, names, listing866, "
                       "listing1251\n"
                       "  kktview --check МОДЕЛЬ ФАЙЛ    модели: kktview --models\n"
                       "  kktview --help                 все параметры\n"
                       "Окно без экрана открывается на виртуальном X-сервере:\n"
                       "  xvfb-run -a kktview [ФАЙЛ]\n")
            .arg(reason);
    if (!details.isEmpty())
        text += QStringLiteral("Сообщения Qt:\n  ") + details.join(QStringLiteral("\n  ")) + u'\n';
    return text;
}

void tell(const QString &reason, const QStringList &details) {
    consoleio::open(consoleio::Stream::Error)->write(message(reason, details).toUtf8());
}

ReportFailedStart::ReportFailedStart() {
    starting = true;
    startMessages.clear();
    previousHandler = qInstallMessageHandler(onStartMessage);
}

ReportFailedStart::~ReportFailedStart() {
    started();
}

void ReportFailedStart::started() {
    if (!starting)
        return;
    starting = false;
    qInstallMessageHandler(previousHandler);
    // The warnings of a start that went well are Qt's to show as usual.
    const QStringList messages = std::exchange(startMessages, {});
    for (const QString &text : messages)
        qWarning("%s", qPrintable(text));
}

} // namespace displaycheck
