#include "helpcommands.h"

#include "checks/helptext.h"
#include "codetablewindow.h"
#include "kktview_version.h"
#include "messagebox.h"
#include "windowplacement.h"

HelpCommands::HelpCommands(QWidget *window, QObject *parent) : QObject(parent), window(window) {}

QString HelpCommands::helpText() {
    return helptext::message();
}

QString HelpCommands::aboutText() {
    return QStringLiteral("         Version %1.%2.%3\n"
                          "          Автор: ЕЛ\n"
                          "Благодарю К.Сурминова")
        .arg(KKTVIEW_VERSION_MAJOR)
        .arg(KKTVIEW_VERSION_MINOR)
        .arg(KKTVIEW_VERSION_PATCH);
}

void HelpCommands::showAbout() {
    showMessage(window, aboutText());
}

void HelpCommands::showHelp() {
    showMessage(window, helpText());
}

// One at a time, brought to the front while open, made anew after it was
// closed.
void HelpCommands::showCodeTable() {
    if (!codeTable) {
        codeTable = new CodeTableWindow;
        windowplacement::placeOver(codeTable, window);
    }
    windowplacement::bringToFront(codeTable);
}

void HelpCommands::closeWindows() {
    if (codeTable)
        codeTable->close();
}
