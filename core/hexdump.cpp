#include "codepages/views.h"

#include "codepages/tokenwriter.h"

namespace views {
namespace {

using cp1251text::Token;
using cp1251text::TokenTable;

constexpr std::size_t width = hexGroupWidth;

// Two upper-case digits and two spaces.
constexpr TokenTable<width> makeHexTable() {
    static_assert(width == 4, "a group is two digits and two spaces");
    constexpr char digits[] = "0123456789ABCDEF";
    TokenTable<width> table;
    for (int b = 0; b < 256; ++b)
        table[b] = Token<width>{{digits[b >> 4], digits[b & 15], ' ', ' '}, width};
    return table;
}

constexpr TokenTable<width> hexTable = makeHexTable();

} // namespace

constexpr Tokens hexDumpTokens = tokensFrom(hexTable);

ByteText hexDump(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(hexTable, bytes, {}, ends);
}

} // namespace views
