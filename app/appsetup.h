#pragma once

// What every run of the program sets up once its application object exists,
// with or without a window.
namespace appsetup {

// The program's name and version, and Qt's own texts (the command-line help,
// the file dialogs' buttons) in Russian like the rest of the program. No
// display name is set: Qt would append it to every window title.
void configureApplication();

} // namespace appsetup
