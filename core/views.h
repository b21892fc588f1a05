#pragma once

#include "bytetext.h"

#include <QList>

// The byte views and cliche listings. Each takes any number of bytes and
// returns its text as code page 1251 bytes; line breaks are CR LF.
//
// A text is a row of tokens: every view writes one token per input byte, in
// input order, and a cliche listing writes its new-line mark as a token of
// its own before them. Given ends, a view also tells where each token ends
// in its text, so a pane can break rows between tokens only and find the
// token of a byte.
namespace views {

// Entry k is the offset in the text just past token k.
using TokenEnds = QList<quint32>;

// Two upper-case hex digits and two spaces per byte, one unbroken line.
ByteText hexDump(QByteArrayView bytes, TokenEnds *ends = nullptr);

// The bytes read as code page 866 / 1251 glyphs, "." for a byte without one.
ByteText cp866Glyphs(QByteArrayView bytes, TokenEnds *ends = nullptr);
ByteText cp1251Glyphs(QByteArrayView bytes, TokenEnds *ends = nullptr);

// The Russian name of every control byte 0..31, "." for every other byte.
ByteText controlNames(QByteArrayView bytes, TokenEnds *ends = nullptr);

// The cliche code listings of the two register groups, each starting with
// the new-line mark "нов.стр.".
ByteText clicheListing866(QByteArrayView bytes, TokenEnds *ends = nullptr);
ByteText clicheListing1251(QByteArrayView bytes, TokenEnds *ends = nullptr);

// Any of the above.
using View = ByteText (*)(QByteArrayView, TokenEnds *);

// What the tables above know about one byte, for the cliche check:
// the 866 cliche listing gives the byte a code or a line break, not ".".
bool listing866HasCode(unsigned char byte);

} // namespace views
