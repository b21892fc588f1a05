#include "form1.h"
#include "messagebox.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationDisplayName(applicationTitle());
    QApplication::setApplicationVersion(QStringLiteral(KKTVIEW_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/kktview.svg")));

    Form1 form1;
    form1.show();
    return app.exec();
}
