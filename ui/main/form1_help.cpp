#include "form1.h"

#include "bytepane.h"
#include "fontchoice.h"
#include "frmtabl.h"
#include "hexpane.h"
#include "kktview_version.h"
#include "messagebox.h"

#include <QStringList>

namespace {

const char *const helpLines[] = {
    "Кодировка Win1251 годится для ККМ:",
    "АМС100Мк  18 знаков",
    "АМС-миниК 18 знаков",
    "АМС-100К  18 знаков",
    "АМС 100Фв17 18 знаков",
    "АМС 200Ф ",
    "Астра200Ф 24 знака",
    "ШТРИХ-МИНИ-К 24 знака",
    "МЕРКУРИЙ К 24 знака",
    "WAB 04RK (6 строк) 24  знака",
    " ",
    "Кодировка DOS866 годится для ККМ:",
    "МЕРКУРИЙ Ф 24 знака(большие русские буквы)",
    "ЛАДОГА Ф/К 17 знаков",
    "Текст клише не должен превышать 10К!",
};

} // namespace

QString Form1::helpText() {
    QStringList lines;
    for (const char *line : helpLines)
        lines << QString::fromUtf8(line);
    return lines.join(QLatin1Char('\n'));
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
    RTB1->mergeCurrentCharFormat(format);
    RTB2->mergeCurrentCharFormat(format);
    RTB3->mergeCurrentCharFormat(format);
}

void Form1::mnuAbout() {
    showMessage(this, aboutText());
}

void Form1::mnuHelpt() {
    showMessage(this, helpText());
}

void Form1::mnuTable() {
    // One window at a time: brought to the front while open, made anew
    // after it was closed.
    if (!frmTabl)
        frmTabl = new FrmTabl;
    frmTabl->show();
    frmTabl->raise();
    frmTabl->activateWindow();
}
