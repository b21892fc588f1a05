#include "messagebox.h"

#include <QMessageBox>

QString applicationTitle() {
    return QStringLiteral("kktview");
}

void showMessage(QWidget *parent, const QString &text) {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    // Paths and file contents may hold '<' or '&': never take them for markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
