#pragma once

#include <QString>

#include <cstddef>

// The reason a system call failed, in Russian like the rest of the program:
// the C library's own texts are English where no Russian messages are
// installed, and Qt translates only a few of them. An errno value without a
// text of its own here gets the C library's.
QString systemErrorText(int errnoValue);

// A system's code and the program's words for it, in a table of such.
template <class Code> struct CodeText {
    Code code;
    const char *text;
};

// The words of the table for code, or an empty string when it has none.
template <class Code, std::size_t N>
QString textOfCode(const CodeText<Code> (&table)[N], Code code) {
    for (const CodeText<Code> &known : table) {
        if (known.code == code)
            return QString::fromUtf8(known.text);
    }
    return {};
}
