#pragma once

#include "document/piecetable.h"

// What the input pane steps over and selects, found in the bytes: a
// character is one byte or a CR LF pair; a word is a run of letters and
// digits, of spaces or of other signs, as the pane shows them (a pair stands
// alone); a line runs from one line break to the next.
namespace textunits {

// A word is looked for this far at most, so a key never scans a run of
// megabytes (a flash-erased dump is one long word).
inline constexpr qint64 wordScanLimit = 4096;

bool pairAt(const PieceTable &bytes, qint64 offset);
// offset inside a CR LF pair moves before it.
qint64 snapDown(const PieceTable &bytes, qint64 offset);
// ... or after it.
qint64 snapUp(const PieceTable &bytes, qint64 offset);

qint64 nextCharacter(const PieceTable &bytes, qint64 offset);
qint64 previousCharacter(const PieceTable &bytes, qint64 offset);

// Where Ctrl+Right and Ctrl+Left go: past the word and the spaces after
// it; back over spaces to the start of the word before.
qint64 nextWord(const PieceTable &bytes, qint64 offset);
qint64 previousWord(const PieceTable &bytes, qint64 offset);

struct Range {
    qint64 start = 0;
    qint64 end = 0;
};
// The word that holds the byte at offset (a double click).
Range wordAt(const PieceTable &bytes, qint64 offset);
// The line around offset with its line break (a triple click).
Range lineAt(const PieceTable &bytes, qint64 offset);
// Where the line ends: before its line break, or the document's end.
qint64 lineEnd(const PieceTable &bytes, qint64 offset);

} // namespace textunits
