#pragma once

#include <QString>
#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

// The variables that place the program's recovery copies and settings,
// for a suite to point them at folders of its own.
namespace statevariables {

#ifdef Q_OS_WIN
inline constexpr char recoveryHome[] = "LOCALAPPDATA";
inline constexpr char settingsHome[] = "APPDATA";
inline constexpr char settingsFile[] = "kktview/kktview.ini";
#else
inline constexpr char recoveryHome[] = "XDG_STATE_HOME";
inline constexpr char settingsHome[] = "XDG_CONFIG_HOME";
inline constexpr char settingsFile[] = "kktview/kktview.conf";
#endif

inline QString value(const char *name) {
    return qEnvironmentVariable(name);
}

// Qt reads the variables from the system's block on Windows, which the C
// runtime's putenv does not always reach (wine's does not): both are set.
inline void set(const char *name, const QString &value) {
    qputenv(name, value.toLocal8Bit());
#ifdef Q_OS_WIN
    SetEnvironmentVariableW(QString::fromLatin1(name).toStdWString().c_str(),
                            value.isNull() ? nullptr : value.toStdWString().c_str());
#endif
}

} // namespace statevariables
