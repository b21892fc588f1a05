#pragma once

#include <QString>

// Offsets and byte counts as the window shows them: an offset in hex and in
// decimal, "0x00F0 (240)"; a range by its first and last byte and its length,
// "0x00F0–0x013D, 78". Every offset of one document has the same number of
// hex digits, so the text keeps its width while the caret moves: 4 up to
// 64 KiB, then 6, then 8, enough for the end of the document.
namespace carettext {

int hexDigitsFor(qint64 documentSize);

// "0x00F0 (240)"
QString offset(qint64 offset, qint64 documentSize);

// A range of at least one byte by its first and last byte: "0x00F0–0x013D".
QString range(qint64 start, qint64 length, qint64 documentSize);

// Where the caret is: "0x00F0 (240)" without a selection; with one, its
// first and last byte and its length, "0x00F0–0x013D, 78". Offsets are
// clamped to the document.
QString caret(qint64 caret, qint64 selectionStart, qint64 selectionLength, qint64 documentSize);

// A count of bytes in Russian: "1 байт", "3 байта", "12 байт", "21 байт",
// thousands set apart by a no-break space, "67 108 864 байта". (Offsets
// are not: "(240)" may be typed into Go to as it is shown.)
QString bytes(qint64 count);

} // namespace carettext
