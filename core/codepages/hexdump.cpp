#include "codepages/views.h"

#include "codepages/tokenwriter.h"

namespace views {
namespace {

using cp1251text::Token;
using cp1251text::TokenTable;

constexpr std::size_t width = hexGroupWidth;

// Two upper-case digits and two spaces.
static_assert(width == 4, "a group is two digits and two spaces");
constexpr TokenTable<width> hexTable = tableOf<width>([](int b) {
    constexpr char digits[] = "0123456789ABCDEF";
    return Token<width>{{digits[b >> 4], digits[b & 15], ' ', ' '}, width};
});

} // namespace

constexpr Tokens hexDumpTokens = tokensFrom(hexTable);

ByteText hexDump(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(hexTable, bytes, {}, ends);
}

} // namespace views
