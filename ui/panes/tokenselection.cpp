#include "tokenselection.h"

#include <algorithm>

namespace tokenselection {

std::pair<TokenPlace, TokenPlace> placesOf(qint64 anchor, qint64 caret, qint64 base,
                                           qint64 tokens) {
    const qint64 anchorAt = anchor - base;
    const qint64 caretAt = caret - base;
    const qint64 from = std::clamp<qint64>(std::min(anchorAt, caretAt), 0, tokens);
    const qint64 to = std::clamp<qint64>(std::max(anchorAt, caretAt), 0, tokens);
    if (from == to || anchorAt < caretAt)
        return {{from, 0}, {to, 0}};
    return {{to, 0}, {from, 0}};
}

std::pair<qint64, qint64> offsetsOf(TokenPlace anchor, TokenPlace caret, qint64 base) {
    if (anchor == caret)
        return {base + caret.token, base + caret.token};
    const TokenPlace from = std::min(anchor, caret);
    const TokenPlace to = std::max(anchor, caret);
    const qint64 first = base + from.token;
    const qint64 last = base + (to.offset > 0 ? to.token + 1 : to.token);
    if (anchor < caret)
        return {first, last};
    return {last, first};
}

} // namespace tokenselection
