#include "appicon.h"
#include "form1.h"
#include "kktview_version.h"
#include "messagebox.h"
#include "russianqt.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(KKTVIEW_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("kktview"));
    QApplication::setWindowIcon(kktview::applicationIcon());

    useRussianForQt();

    Form1 form1;
    form1.show();
    // One optional file, opened as if chosen in the open dialog ("Open with").
    const QStringList arguments = QApplication::arguments();
    if (arguments.size() > 1)
        form1.openFile(arguments.at(1));
    return app.exec();
}
