#include "form1.h"

#include <QDragEnterEvent>
#include <QDropEvent>

// Open and save. Placeholders until the file commands are written.

void Form1::mnuOpen() {}

void Form1::mnuSave() {}

bool Form1::openFile(const QString &path) {
    Q_UNUSED(path);
    return false;
}

void Form1::dragEnterEvent(QDragEnterEvent *event) {
    QMainWindow::dragEnterEvent(event);
}

void Form1::dropEvent(QDropEvent *event) {
    QMainWindow::dropEvent(event);
}
