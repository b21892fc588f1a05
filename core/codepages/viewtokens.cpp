#include "codepages/views.h"

#include <utility>

namespace views {

const Tokens *tokensOf(View view) {
    const std::pair<View, const Tokens *> known[] = {
        {hexDump, &hexDumpTokens},
        {cp866Glyphs, &cp866GlyphTokens},
        {cp1251Glyphs, &cp1251GlyphTokens},
        {cp866Column, &cp866ColumnTokens},
        {cp1251Column, &cp1251ColumnTokens},
        {controlNames, &controlNameTokens},
        {clicheListing866, &listing866Tokens},
        {clicheListing1251, &listing1251Tokens},
    };
    for (const auto &[each, tokens] : known) {
        if (each == view)
            return tokens;
    }
    return nullptr;
}

View textColumnOf(View view) {
    if (view == cp866Glyphs)
        return cp866Column;
    if (view == cp1251Glyphs)
        return cp1251Column;
    return view;
}

} // namespace views
