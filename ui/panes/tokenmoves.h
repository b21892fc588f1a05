#pragma once

#include "caretmove.h"
#include "panecontent.h"
#include "tokenlayout.h"

// Where a caret move by keys leads in a token view: by characters, by whole
// tokens as words, by rows as the layout placed them (preferredX kept over
// Up, Down and pages when it is not negative), to a row's end before its
// line break.
namespace tokenmoves {

TokenPlace moved(const PaneContent &text, const TokenLayout &rows, TokenPlace from, CaretMove move,
                 qreal preferredX, qint64 pageRows);

} // namespace tokenmoves
