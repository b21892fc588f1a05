#pragma once

// What the main window remembers between runs, in the user's settings file
// of the program, kktview/kktview.conf under $XDG_CONFIG_HOME: the code page
// of the text beside the dump and whether the panel "Значения" shows beside
// the hex-edit layout.
namespace windowsettings {

bool textBesideCp866();
void setTextBesideCp866(bool cp866);

bool valuesPanelWanted();
void setValuesPanelWanted(bool wanted);

} // namespace windowsettings
