#pragma once

#include <QString>

#include <string>

// Names on Windows as the Win32 calls take them. Only the Windows build
// compiles the definitions.
namespace windowspaths {

// The path made absolute, with backslashes and the "\\?\" prefix, so that a
// name longer than 260 characters, or one ending in a dot or a space, reaches
// the file system as it is. A path already in the device namespace stays.
std::wstring longPath(const QString &path);

// Why the name is no disk file by its name alone, or an empty string: the
// reserved device names (CON, NUL, COM1, LPT1 ... with any extension, in any
// folder) and the device namespace ("\\.\PhysicalDrive0", "\\.\pipe\x",
// "\\?\GLOBALROOT\..."). Opening such a name may wait for a device or signal
// it, so it is refused before it is opened.
QString deviceNameReason(const QString &path);

// The reason for a Win32 error code, in Russian for the errors a user of
// files meets, else the system's own text.
QString errorText(unsigned long code);

} // namespace windowspaths
