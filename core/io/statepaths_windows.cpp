#include "io/statepaths.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

#include <iterator>

namespace statepaths {
namespace {

QString programFolder() {
    // Known before the application object exists too.
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, DWORD(std::size(path)));
    return QFileInfo(QString::fromWCharArray(path, int(length))).absolutePath();
}

} // namespace

bool isPortable() {
    return QFileInfo(programFolder() + QStringLiteral("/portable")).isFile();
}

QString portableFolder() {
    return isPortable() ? programFolder() : QString();
}

QString settingsFile() {
    if (isPortable())
        return programFolder() + QStringLiteral("/kktview.ini");
    QString appData = qEnvironmentVariable("APPDATA");
    if (appData.isEmpty())
        appData = QDir::homePath() + QStringLiteral("/AppData/Roaming");
    return QDir::fromNativeSeparators(appData) + QStringLiteral("/kktview/kktview.ini");
}

} // namespace statepaths
