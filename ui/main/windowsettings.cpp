#include "windowsettings.h"

#include "io/statepaths.h"

#include <QSettings>

namespace windowsettings {
namespace {

const QString textBesideKey = QStringLiteral("dump/textBeside");
const QString valuesPanelKey = QStringLiteral("dump/valuesPanel");

// $XDG_CONFIG_HOME/kktview/kktview.conf (~/.config/kktview/kktview.conf),
// named by the program alone: the program sets no organisation. On Windows
// an INI file under %APPDATA%\kktview (or beside a portable program), not
// the registry, so a portable copy takes its settings along.
QSettings settings() {
    if (const QString file = statepaths::settingsFile(); !file.isEmpty())
        return QSettings(file, QSettings::IniFormat);
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("kktview"),
                     QStringLiteral("kktview"));
}

} // namespace

// Stored as the code page's number, so the file reads as the menu does.
bool textBesideCp866() {
    return settings().value(textBesideKey).toString() == QLatin1String("866");
}

void setTextBesideCp866(bool cp866) {
    settings().setValue(textBesideKey, cp866 ? QStringLiteral("866") : QStringLiteral("1251"));
}

bool valuesPanelWanted() {
    return settings().value(valuesPanelKey, false).toBool();
}

void setValuesPanelWanted(bool wanted) {
    settings().setValue(valuesPanelKey, wanted);
}

} // namespace windowsettings
