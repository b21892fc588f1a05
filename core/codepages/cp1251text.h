#pragma once

#include "codepages/codepages.h"

#include <QByteArray>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// Fixed texts of the views (Russian names, the new-line mark, the "·" of the
// glyph maps) are written in UTF-8 in the sources and turned into code page
// 1251 bytes at compile time, so the per-byte tables stay constexpr.
namespace cp1251text {

static_assert(std::string_view("ё") == "\xD1\x91", "narrow literals must be UTF-8");

// A short text in code page 1251 held in a slot of W bytes: a writer copies
// the whole slot and advances by size, so tokens of different lengths cost
// the same fixed-width copy.
template <std::size_t W> struct Token {
    std::array<char, W> text{};
    std::uint8_t size = 0;
};

template <std::size_t W> using TokenTable = std::array<Token<W>, 256>;

// The code page 1251 byte of a Unicode character. Evaluated in a constant
// expression, a character outside the code page stops the build.
constexpr unsigned char encode(char32_t ch) {
    if (ch < 0x80)
        return static_cast<unsigned char>(ch);
    for (int b = 0x80; b < 256; ++b) {
        if (codepages::cp1251[b] == ch)
            return static_cast<unsigned char>(b);
    }
    throw "character outside code page 1251";
}

// The character of a UTF-8 text that starts at i; i moves past it.
constexpr char32_t nextChar(std::string_view utf8, std::size_t &i) {
    const auto lead = static_cast<unsigned char>(utf8[i]);
    const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
    char32_t ch = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k)
        ch = (ch << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
    i += 1 + extra;
    return ch;
}

template <std::size_t W> constexpr Token<W> token(std::string_view utf8) {
    Token<W> t;
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t ch = nextChar(utf8, i);
        if (t.size == W)
            throw "text wider than its token slot";
        t.text[t.size++] = static_cast<char>(encode(ch));
    }
    return t;
}

// A fixed text of the sources at run time, for messages put together from
// pieces. The texts are the program's own, so each character is in the code
// page.
inline QByteArray text(std::string_view utf8) {
    // Code page 1251 reaches up to U+2122; one lookup per character.
    static const auto bytes = [] {
        std::array<unsigned char, 0x2123> table{};
        for (int b = 0; b < 256; ++b) {
            // 152 has no character; its 0 must not take the place of NUL.
            if (codepages::cp1251[b] < table.size() && (b == 0 || codepages::cp1251[b] != 0))
                table[codepages::cp1251[b]] = static_cast<unsigned char>(b);
        }
        return table;
    }();
    QByteArray out;
    out.reserve(qsizetype(utf8.size()));
    std::size_t i = 0;
    while (i < utf8.size()) {
        const char32_t ch = nextChar(utf8, i);
        out += static_cast<char>(ch < bytes.size() ? bytes[ch] : '?');
    }
    return out;
}

// The value in decimal, without leading zeros, followed by suffix.
template <std::size_t W> constexpr Token<W> number(int value, std::string_view suffix) {
    char digits[3] = {};
    int count = 0;
    do {
        digits[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value > 0);
    Token<W> t;
    while (count > 0)
        t.text[t.size++] = digits[--count];
    for (const char c : suffix)
        t.text[t.size++] = c;
    return t;
}

} // namespace cp1251text
