#include "appicon.h"
#include "form1.h"
#include "kktview_version.h"
#include "messagebox.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(KKTVIEW_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kktview"));
    QApplication::setWindowIcon(kktview::applicationIcon());

    // Qt's own dialogs and buttons speak Russian like the rest of the window.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::Russian), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);

    Form1 form1;
    form1.show();
    // One optional file, opened as if chosen in the open dialog ("Open with").
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        form1.openFile(arguments.at(1));
    return app.exec();
}
