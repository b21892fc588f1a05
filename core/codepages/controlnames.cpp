#include "codepages/views.h"

#include "codepages/controlbytes.h"
#include "codepages/tokenwriter.h"

namespace views {
namespace {

using cp1251text::TokenTable;

// The longest name, "Отрицательное подтверждение", is 27 bytes.
constexpr std::size_t slot = 32;

constexpr TokenTable<slot> nameTable = tableOf<slot>(
    [](int b) { return cp1251text::token<slot>(b < 32 ? controlbytes::table[b].viewName : "."); });

} // namespace

constexpr Tokens controlNameTokens = tokensFrom(nameTable);

ByteText controlNames(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(nameTable, bytes, {}, ends);
}

} // namespace views
