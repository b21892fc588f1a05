#include "views.h"

#include "tokenwriter.h"

namespace views {
namespace {

using cp1251text::Token;
using cp1251text::TokenTable;

// Two upper-case digits and two spaces: four characters per byte.
constexpr TokenTable<4> makeHexTable() {
    constexpr char digits[] = "0123456789ABCDEF";
    TokenTable<4> table;
    for (int b = 0; b < 256; ++b)
        table[b] = Token<4>{{digits[b >> 4], digits[b & 15], ' ', ' '}, 4};
    return table;
}

constexpr TokenTable<4> hexTable = makeHexTable();

} // namespace

ByteText hexDump(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(hexTable, bytes, {}, ends);
}

} // namespace views
