#pragma once

#include <QString>

// Where the program keeps what it remembers between runs: the settings and
// the recovery copies. On Windows a file named "portable" beside the program
// keeps both in the program's own folder, so a copy on a flash drive leaves
// nothing on the machine it ran on.
namespace statepaths {

// True where the "portable" marker stands beside the program (Windows).
bool isPortable();
// The program's folder where it is portable, else an empty string.
QString portableFolder();

// The settings file in INI form, or an empty string where the system's own
// place is used (~/.config/kktview/kktview.conf on Linux).
QString settingsFile();

} // namespace statepaths
