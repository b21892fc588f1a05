#pragma once

#include <QWidget>

class QTextEdit;

// The code table window: one pane (RTBT) with the reference of all byte codes,
// always filling the window. It has no owner window, so it stays beside the
// main window without blocking it, and closing it destroys it.
class CodeTableWindow : public QWidget {
    Q_OBJECT

public:
    explicit CodeTableWindow(QWidget *parent = nullptr);

private:
    QTextEdit *pane;
};
