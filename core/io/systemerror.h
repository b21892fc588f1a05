#pragma once

#include <QString>

// The reason a system call failed, in Russian like the rest of the program:
// the C library's own texts are English where no Russian messages are
// installed, and Qt translates only a few of them. An errno value without a
// text of its own here gets the C library's.
QString systemErrorText(int errnoValue);
