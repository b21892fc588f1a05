#include "views.h"

#include <utility>

namespace views {

const Tokens *tokensOf(View view) {
    const std::pair<View, const Tokens *> known[] = {
        {hexDump, &hexDumpTokens},
        {cp866Glyphs, &cp866GlyphTokens},
        {cp1251Glyphs, &cp1251GlyphTokens},
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

} // namespace views
