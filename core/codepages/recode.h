#pragma once

#include "base/bytetext.h"

#include <QString>

// Code page conversion of a text between 866 and 1251, through the program's
// own tables of the two code pages. Line breaks and the other control bytes
// (0..31, 127) are never converted; a character the other code page lacks
// keeps its byte and is counted.
namespace recode {

struct Result {
    ByteText bytes;
    qsizetype unmatchedCount = 0; // characters that kept their byte
    ByteText unmatched;           // their distinct bytes, in order of first appearance
};

Result cp866ToCp1251(QByteArrayView text);
Result cp1251ToCp866(QByteArrayView text);

// "3 символа без соответствия: «, », №"; a character that code page 1251
// cannot show goes by its code ("код 176"). Empty when every character had a
// counterpart.
QString unmatchedNotice(const Result &result, bool from866);

} // namespace recode
