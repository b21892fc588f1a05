#include "appicon.h"
#include "appsetup.h"
#include "commandline.h"
#include "displaycheck.h"
#include "io/consoleio.h"
#include "keepunsaved.h"
#include "mainwindow.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    const QStringList arguments = consoleio::arguments(argc, argv);
    // Qt would take options of its own out of argv (a file named "-reverse"
    // after "--" among them); this program's parser reads them all.
    int qtArgc = 1;

    // Help, version, the views for scripts and every error run without a
    // display.
    if (!CommandLine(arguments).opensWindow()) {
        QCoreApplication app(qtArgc, argv);
        appsetup::configureApplication();
        const auto out = consoleio::open(consoleio::Stream::Output);
        const auto err = consoleio::open(consoleio::Stream::Error);
        // Parsed again now that Qt's messages about it are Russian.
        return CommandLine(arguments).runWithoutWindow(*out, *err);
    }

    // Without a display Qt would abort with a message in English.
    if (const QString missing = displaycheck::missingDisplay(); !missing.isEmpty()) {
        displaycheck::tell(missing);
        return 1;
    }
    displaycheck::ReportFailedStart reportFailedStart;
    QApplication app(qtArgc, argv);
    reportFailedStart.started();
    appsetup::configureApplication();
    QApplication::setDesktopFileName(QStringLiteral("kktview"));
    QApplication::setWindowIcon(kktview::applicationIcon());

    MainWindow window;
    const KeepUnsaved keepUnsaved(window);
    window.show();
    // Opened as if chosen in the open dialog ("Open with" too).
    const QString file = CommandLine(arguments).fileToOpen();
    if (!file.isEmpty())
        window.openFile(file);
    window.offerRecovery();
    return app.exec();
}
