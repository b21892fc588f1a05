#pragma once

#include "base/bytetext.h"

#include <QList>

// The fixes the check window offers. Each returns the whole text with only
// its own change made; the user applies it, as one undoable step.
namespace cliche {

// Russian and Latin small letters to capitals, ё to Ё; nothing else changes.
ByteText toCapitals(QByteArrayView text);

// A character the 866 group cannot print and the printable text that stands
// in for it (code page 1251 bytes). Characters without a sensible stand-in
// (Latin letters, "!", "-", ...) have no row: they are only reported.
struct Replacement {
    unsigned char from;
    ByteText to;
};
const QList<Replacement> &replacements866();

// Every character that has a row above replaced by its stand-in.
ByteText replaceUnprintable866(QByteArrayView text);

} // namespace cliche
