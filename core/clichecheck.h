#pragma once

#include "bytetext.h"
#include "registermodels.h"

#include <QList>

// The cliche check: what a register model will make of the document, found
// before the trip to the register. Pure functions; the document is never
// changed.
//
// Lines are what the group's listing starts a new printed line with: a CR LF
// pair in both groups; alone, an LF in the 866 group and a CR in the 1251
// group (the listings' new-line marks). The other byte alone starts no line
// and takes a column like any other character. Either lone byte is reported.
// A line break at the very end of the text ends the last line and starts no
// new one. Width counts characters, one per byte.
namespace cliche {

enum class FindingKind {
    LineTooWide,   // the characters of a line beyond the model's width
    TooManyLines,  // the lines beyond the model's limit
    Unprintable,   // a character the group cannot print
    SmallLetter,   // a small letter on a model that prints capitals only
    TextTooLong,   // the bytes from the 10K limit on
    LoneLineBreak, // a CR or LF that is not part of a CR LF pair
};

struct Finding {
    int line = 0;         // 1-based
    int column = 0;       // 1-based, in characters of that line
    qsizetype offset = 0; // of the first byte concerned, in the document
    qsizetype length = 0; // bytes concerned
    FindingKind kind = FindingKind::Unprintable;
    ByteText message; // Russian, code page 1251
};

// "Текст клише не должен превышать 10К": 10 × 1024 bytes, line breaks
// counted; a text of that size or more is reported.
inline constexpr qsizetype textLimit = 10 * 1024;

// A printed line: its characters, then the break that ends it (0 at the end
// of the text, 1 for a lone break, 2 for CR LF).
struct Line {
    qsizetype start = 0;
    qsizetype length = 0;
    int breakLength = 0;
};
QList<Line> printedLines(QByteArrayView document, Group group);

// A small letter in code page 1251: a..z, а..я, ё.
inline bool isSmallLetter(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || byte >= 224 || byte == 184;
}

// How a character inside a line prints on the model.
enum class CharClass { Printable, Unprintable, SmallLetter, StrayBreak };
CharClass classify(unsigned char byte, const RegisterModel &model);

// Every finding, in the order of their offsets.
QList<Finding> check(QByteArrayView document, const RegisterModel &model);

} // namespace cliche
