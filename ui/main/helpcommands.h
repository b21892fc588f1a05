#pragma once

#include <QObject>
#include <QPointer>

class CodeTableWindow;
class QWidget;

// "Помощь": the instructions, the code table window and the About message.
class HelpCommands : public QObject {
    Q_OBJECT

public:
    explicit HelpCommands(QWidget *window, QObject *parent = nullptr);

    void showHelp();
    void showCodeTable();
    void showAbout();
    // The code table closes with the main window.
    void closeWindows();

    // The texts of the About and Help messages.
    static QString aboutText();
    static QString helpText();

private:
    QWidget *window;
    // The code table window, while it is open.
    QPointer<CodeTableWindow> codeTable;
};
