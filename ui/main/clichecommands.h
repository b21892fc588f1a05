#pragma once

#include "windowparts.h"

#include <QObject>
#include <QPointer>

class ClicheCheckWindow;

// The cliche check window on the document, and the recoding of the
// document between code pages 866 and 1251.
class ClicheCommands : public QObject {
    Q_OBJECT

public:
    explicit ClicheCommands(const WindowParts &parts, QObject *parent = nullptr);

    void showCheckWindow();
    void recodeTo1251() { recodeDocument(true); }
    void recodeTo866() { recodeDocument(false); }
    // The check window closes with the main window.
    void closeWindows();

private:
    // Converts the selection, or else the whole document, as one undo step.
    void recodeDocument(bool from866);

    const WindowParts &parts;
    // The check window, while it is open.
    QPointer<ClicheCheckWindow> checkWindow;
};
