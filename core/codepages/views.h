#pragma once

#include "base/bytetext.h"

#include <QList>

#include <array>

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

// The same glyphs as a hex editor's text column, one character a byte:
// "." for every control byte (delete too), the code page's own guillemets
// where the 1251 view writes "<<" and ">>".
ByteText cp866Column(QByteArrayView bytes, TokenEnds *ends = nullptr);
ByteText cp1251Column(QByteArrayView bytes, TokenEnds *ends = nullptr);

// The Russian name of every control byte 0..31, "." for every other byte.
ByteText controlNames(QByteArrayView bytes, TokenEnds *ends = nullptr);

// The cliche code listings of the two register groups, each starting with
// the new-line mark "нов.стр.".
ByteText clicheListing866(QByteArrayView bytes, TokenEnds *ends = nullptr);
ByteText clicheListing1251(QByteArrayView bytes, TokenEnds *ends = nullptr);

// Any of the above.
using View = ByteText (*)(QByteArrayView, TokenEnds *);

// The width of one byte in the hex dump, in characters: two digits and two
// spaces. The dump, the hex pane, its selection counter and the hex-edit
// link all count by it.
inline constexpr int hexGroupWidth = 4;

// A view one byte at a time, for a pane that writes only the rows it shows:
// the view of any bytes is lead followed by the token of each byte, in
// order. The texts are code page 1251 bytes from the tables the views above
// write with.
struct Tokens {
    QByteArrayView lead;
    std::array<QByteArrayView, 256> byByte;

    QByteArrayView operator[](unsigned char byte) const { return byByte[byte]; }
};

extern const Tokens hexDumpTokens;
extern const Tokens cp866GlyphTokens;
extern const Tokens cp1251GlyphTokens;
extern const Tokens cp866ColumnTokens;
extern const Tokens cp1251ColumnTokens;
extern const Tokens controlNameTokens;
extern const Tokens listing866Tokens;
extern const Tokens listing1251Tokens;

// The tokens of one of the views above; nullptr for any other function.
const Tokens *tokensOf(View view);

// The view a text column beside a hex dump shows for a view: the column of
// the 866 or the 1251 glyphs, any other view itself.
View textColumnOf(View view);

// What the tables above know about one byte, for the cliche check:
// the 866 cliche listing gives the byte a code or a line break, not ".".
bool listing866HasCode(unsigned char byte);

} // namespace views
