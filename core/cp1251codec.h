#pragma once

#include "bytetext.h"

#include <QString>
#include <QStringView>
#include <optional>

// The bridge between bytes and the text a pane shows.
//
// Every byte value has exactly one character and every such character maps
// back to its byte. Printable bytes are their code page 1251 character. The
// control bytes 0..31, 127 and the undefined 152 become visible stand-ins that
// code page 1251 does not contain (the PC screen glyphs where those are not
// themselves cp1251 characters), so an edit pane can show them and give them
// back unchanged.
namespace cp1251 {

// The character shown for a byte.
QChar toChar(unsigned char byte);

// The byte of a shown character, or nothing for a character that has none.
std::optional<unsigned char> toByte(QChar ch);

// True for the characters that stand in for control bytes, 127 and 152.
bool isStandIn(QChar ch);

// Pane text: a CR LF pair becomes one paragraph separator (U+2029); every
// other byte is one character, a lone CR or LF included.
QString toPaneText(QByteArrayView bytes);

// The reverse of toPaneText. A paragraph separator becomes CR LF. Returns
// nothing if the text holds a character that has no byte.
std::optional<ByteText> fromPaneText(QStringView text);

// Plain text of a view or listing: CR LF pairs become '\n', every other byte
// goes through toChar. For the display panes.
QString toDisplayText(QByteArrayView bytes);

} // namespace cp1251
