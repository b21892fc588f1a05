#include "codepages/views.h"

#include "codepages/tokenwriter.h"

namespace views {
namespace {

using cp1251text::number;
using cp1251text::token;
using cp1251text::TokenTable;

constexpr std::string_view newLineMark = "нов.стр.";
constexpr auto newLineMarkBytes = token<8>(newLineMark);

// The registers of the 866 group number Cyrillic letters by their code page
// 866 code, except а..п (192..207 instead of 160..175) and "^" (255); every
// character outside the table gives ".".
constexpr TokenTable<8> makeListing866Table() {
    TokenTable<8> table;
    for (int b = 0; b < 256; ++b)
        table[b] = token<8>(".");
    table['\r'] = token<8>("\r\n");
    table['\n'] = newLineMarkBytes;
    for (const int b : {' ', '"', '#', '*', ',', '.', ':'})
        table[b] = number<8>(b, "_");
    for (int b = '0'; b <= '9'; ++b)
        table[b] = number<8>(b, "_");
    for (int b = 192; b <= 223; ++b) // А..Я
        table[b] = number<8>(b - 64, "_");
    for (int b = 224; b <= 239; ++b) // а..п
        table[b] = number<8>(b - 32, "_");
    for (int b = 240; b <= 255; ++b) // р..я
        table[b] = number<8>(b - 16, "_");
    table['^'] = number<8>(255, "_");
    return table;
}

// The 1251 group takes every byte by its own value; only a carriage return
// starts a new listing line, and the line feed after it is listed as "10_".
constexpr TokenTable<16> makeListing1251Table() {
    TokenTable<16> table;
    for (int b = 0; b < 256; ++b)
        table[b] = number<16>(b, "_");
    table['\r'] = token<16>("\r\nнов.стр.");
    return table;
}

constexpr TokenTable<8> listing866Table = makeListing866Table();
constexpr TokenTable<16> listing1251Table = makeListing1251Table();

constexpr QByteArrayView mark() {
    return QByteArrayView(newLineMarkBytes.text.data(), newLineMarkBytes.size);
}

} // namespace

constexpr Tokens listing866Tokens = tokensFrom(listing866Table, mark());
constexpr Tokens listing1251Tokens = tokensFrom(listing1251Table, mark());

ByteText clicheListing866(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(listing866Table, bytes, mark(), ends);
}

ByteText clicheListing1251(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(listing1251Table, bytes, mark(), ends);
}

bool listing866HasCode(unsigned char byte) {
    const auto &t = listing866Table[byte];
    return !(t.size == 1 && t.text[0] == '.');
}

} // namespace views
