#include "form1.h"

// Font, Help, About and the code table. Placeholders until these commands
// are written.

void Form1::mnuFont() {}

void Form1::mnuAbout() {}

void Form1::mnuHelpt() {}

void Form1::mnuTable() {}
