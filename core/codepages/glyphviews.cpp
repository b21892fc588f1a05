#include "codepages/views.h"

#include "codepages/codepages.h"
#include "codepages/tokenwriter.h"

#include <string_view>

namespace views {
namespace {

using cp1251text::token;
using cp1251text::TokenTable;

// A run of byte values whose glyph differs from the published code page:
// either a text of its own or no entry, shown as ".".
struct Deviation {
    int from;
    int to;
    bool listed;
    std::string_view text;
};

constexpr bool noEntry = false;
constexpr bool shows = true;

// The widest glyph is "del" or "<<"; a four-byte slot keeps the copy one store.
using GlyphTable = TokenTable<4>;

// Every byte shows the character its code page gives it, re-encoded in code
// page 1251, unless a deviation row names it. A published character outside
// code page 1251 without a row stops the build.
template <std::size_t N>
constexpr GlyphTable makeGlyphTable(const std::array<char16_t, 256> &published,
                                    const Deviation (&deviations)[N]) {
    GlyphTable table;
    bool deviates[256] = {};
    for (const Deviation &d : deviations) {
        for (int b = d.from; b <= d.to; ++b) {
            table[b] = token<4>(d.listed ? d.text : ".");
            deviates[b] = true;
        }
    }
    for (int b = 0; b < 256; ++b) {
        if (!deviates[b])
            table[b] = GlyphTable::value_type{{char(cp1251text::encode(published[b]))}, 1};
    }
    return table;
}

constexpr Deviation cp866Deviations[] = {
    {0, 31, noEntry, {}},     // control bytes, CR and LF among them
    {127, 127, shows, "del"}, // delete
    {176, 223, noEntry, {}},  // shades, box drawing and blocks
    {244, 248, noEntry, {}},  // Ї ї Ў ў and the degree sign
    {249, 249, shows, "·"},   // the bullet operator
    {251, 251, shows, "v"},   // the square-root sign
    {253, 255, noEntry, {}},  // currency sign, black square, no-break space
};

constexpr Deviation cp1251Deviations[] = {
    {0, 31, noEntry, {}},     // control bytes, CR and LF among them
    {127, 127, shows, "del"}, // delete
    {129, 149, noEntry, {}},  // Ѓ to the bullet
    {150, 150, shows, "-"},   // en dash
    {151, 151, shows, "_"},   // em dash
    {152, 154, noEntry, {}},  // undefined, trade mark sign, љ
    {155, 155, shows, ">"},   // single right-pointing angle quotation mark
    {156, 159, noEntry, {}},  // њ ќ ћ џ
    {160, 160, shows, " "},   // no-break space
    {161, 165, noEntry, {}},  // Ў ў Ј ¤ Ґ
    {169, 169, noEntry, {}},  // copyright sign
    {171, 171, shows, "<<"},  // left guillemet
    {172, 176, noEntry, {}},  // not sign, soft hyphen, registered sign, Ї, degree sign
    {180, 182, noEntry, {}},  // ґ µ ¶
    {183, 183, shows, "."},   // middle dot
    {187, 187, shows, ">>"},  // right guillemet
    {188, 188, shows, "j"},   // Cyrillic ј
    {189, 189, shows, "S"},   // Cyrillic Ѕ
    {190, 190, shows, "s"},   // Cyrillic ѕ
};

constexpr GlyphTable cp866Table = makeGlyphTable(codepages::cp866, cp866Deviations);
constexpr GlyphTable cp1251Table = makeGlyphTable(codepages::cp1251, cp1251Deviations);

using ColumnTable = TokenTable<1>;

// One character a byte, so every byte keeps a cell of its own under the
// dump: a control byte, delete among them, is "."; a glyph written wider
// ("<<", ">>") is its code page's own character, which code page 1251 has.
constexpr ColumnTable makeColumnTable(const std::array<char16_t, 256> &published,
                                      const GlyphTable &glyphs) {
    ColumnTable table;
    for (int b = 0; b < 256; ++b) {
        if (b < 32 || b == 127)
            table[b] = token<1>(".");
        else if (glyphs[b].size == 1)
            table[b] = ColumnTable::value_type{{glyphs[b].text[0]}, 1};
        else
            table[b] = ColumnTable::value_type{{char(cp1251text::encode(published[b]))}, 1};
    }
    return table;
}

constexpr ColumnTable cp866ColumnTable = makeColumnTable(codepages::cp866, cp866Table);
constexpr ColumnTable cp1251ColumnTable = makeColumnTable(codepages::cp1251, cp1251Table);

} // namespace

constexpr Tokens cp866GlyphTokens = tokensFrom(cp866Table);
constexpr Tokens cp1251GlyphTokens = tokensFrom(cp1251Table);
constexpr Tokens cp866ColumnTokens = tokensFrom(cp866ColumnTable);
constexpr Tokens cp1251ColumnTokens = tokensFrom(cp1251ColumnTable);

ByteText cp866Glyphs(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(cp866Table, bytes, {}, ends);
}

ByteText cp1251Glyphs(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(cp1251Table, bytes, {}, ends);
}

ByteText cp866Column(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(cp866ColumnTable, bytes, {}, ends);
}

ByteText cp1251Column(QByteArrayView bytes, TokenEnds *ends) {
    return writeTokens(cp1251ColumnTable, bytes, {}, ends);
}

} // namespace views
