#pragma once

#include "bytetext.h"

// The byte views and cliche listings. Each takes any number of bytes and
// returns its text as code page 1251 bytes; line breaks are CR LF.
namespace views {

// Two upper-case hex digits and two spaces per byte, one unbroken line.
ByteText hexDump(QByteArrayView bytes);

// The bytes read as code page 866 / 1251 glyphs, "." for a byte without one.
ByteText cp866Glyphs(QByteArrayView bytes);
ByteText cp1251Glyphs(QByteArrayView bytes);

// The Russian name of every control byte 0..31, "." for every other byte.
ByteText controlNames(QByteArrayView bytes);

// The cliche code listings of the two register groups, each starting with
// the new-line mark "нов.стр.".
ByteText clicheListing866(QByteArrayView bytes);
ByteText clicheListing1251(QByteArrayView bytes);

} // namespace views
