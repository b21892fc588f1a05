#include "form1.h"

#include "checks/helptext.h"
#include "fontchoice.h"
#include "frmtabl.h"
#include "hexpane.h"
#include "inputpane.h"
#include "kktview_version.h"
#include "messagebox.h"
#include "windowplacement.h"

QString Form1::helpText() {
    return helptext::message();
}

QString Form1::aboutText() {
    return QStringLiteral("         Version %1.%2.%3\n"
                          "          Автор: ЕЛ\n"
                          "Благодарю К.Сурминова")
        .arg(KKTVIEW_VERSION_MAJOR)
        .arg(KKTVIEW_VERSION_MINOR)
        .arg(KKTVIEW_VERSION_PATCH);
}

void Form1::mnuFont() {
    const FontChoice initial{gcdgFont, gcdgColor.isValid() ? gcdgColor : QColor(Qt::black)};
    const std::optional<FontChoice> chosen = chooseFont(this, initial);
    // A cancelled dialog changes nothing.
    if (!chosen)
        return;
    gcdgFont = chosen->font;
    gcdgColor = chosen->color;

    // The selection of each pane, or its insertion point, takes the choice.
    const QTextCharFormat format = chosen->charFormat();
    inputPane->mergeCurrentCharFormat(format);
    hexPane->mergeCurrentCharFormat(format);
    outputPane->mergeCurrentCharFormat(format);
}

void Form1::mnuAbout() {
    showMessage(this, aboutText());
}

void Form1::mnuHelpt() {
    showMessage(this, helpText());
}

void Form1::mnuTable() {
    if (!frmTabl) {
        frmTabl = new FrmTabl;
        windowplacement::placeOver(frmTabl, this);
    }
    bringToFront(frmTabl);
}
