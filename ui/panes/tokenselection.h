#pragma once

#include "panecontent.h"

#include <utility>

// The document's selection counts whole bytes; a token view's places stand
// between the characters of its tokens (a nibble of a hex value, a part of
// a control character's name). The two ways between them, for a view that
// shows the bytes from base on, a token a byte.
namespace tokenselection {

// The document's anchor and caret as places: token starts, clamped to the
// tokens shown; a selection never stands the wrong way round.
std::pair<TokenPlace, TokenPlace> placesOf(qint64 anchor, qint64 caret, qint64 base, qint64 tokens);

// Places as the document's anchor and caret: a selection that ends inside a
// token takes the whole token; a caret inside one stands on its byte.
std::pair<qint64, qint64> offsetsOf(TokenPlace anchor, TokenPlace caret, qint64 base);

} // namespace tokenselection
