#include "windowsettings.h"

#include <QSettings>

namespace windowsettings {
namespace {

const QString textBesideKey = QStringLiteral("dump/textBeside");
const QString valuesPanelKey = QStringLiteral("dump/valuesPanel");

} // namespace

// Stored as the code page's number, so the file reads as the menu does.
bool textBesideCp866() {
    return QSettings().value(textBesideKey).toString() == QLatin1String("866");
}

void setTextBesideCp866(bool cp866) {
    QSettings().setValue(textBesideKey, cp866 ? QStringLiteral("866") : QStringLiteral("1251"));
}

bool valuesPanelWanted() {
    return QSettings().value(valuesPanelKey, false).toBool();
}

void setValuesPanelWanted(bool wanted) {
    QSettings().setValue(valuesPanelKey, wanted);
}

} // namespace windowsettings
