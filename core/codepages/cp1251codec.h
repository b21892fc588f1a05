#pragma once

#include "base/bytetext.h"

#include <QChar>
#include <QList>
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

// A pane's line break and the bytes it stands for: CR LF, so a break is one
// character of the pane but two bytes of the document. A pane shows it as a
// line separator (U+2028), which breaks the line inside a paragraph; a
// paragraph separator (U+2029) that a pane keeps stands for CR LF as well.
inline constexpr QChar lineBreak(QChar::LineSeparator);
inline constexpr int lineBreakBytes = 2;

// Pane text: a CR LF pair becomes one line break; every other byte is one
// character, a lone CR or LF included.
QString toPaneText(QByteArrayView bytes);

// The reverse of toPaneText: a line break or a paragraph separator becomes
// CR LF. Returns nothing if the text holds a character that has no byte.
std::optional<ByteText> fromPaneText(QStringView text);

// Appends the bytes of pane text to bytes, as fromPaneText gives them, for a
// pane that converts its text piece by piece. Returns false, having appended
// nothing, if the text holds a character that has no byte.
bool appendFromPaneText(ByteText &bytes, QStringView text);

// Text from outside a pane (keys, input method, paste, drop) as pane text.
// Every form of line break becomes a pane line break; a tab and the other
// control characters become their byte's stand-in. A character that has no
// byte is left out whole, with the marks that combine with it ("e" followed
// by a combining acute is not the byte "e"), and counted.
struct PaneInput {
    QString text;
    // How many characters were left out, and the first of them.
    qsizetype refused = 0;
    QString firstRefused;
};
PaneInput toPaneInput(QStringView text);

// Pane text for the clipboard: line breaks and paragraph separators become
// line feeds, so other programs see lines and a paste gives CR LF back.
QString toClipboardText(QStringView paneText);

// Plain text of a view or listing: CR LF pairs become '\n', every other byte
// goes through toChar. For the display panes.
QString toDisplayText(QByteArrayView bytes);

// The same text in UTF-8, appended to out: for writing a view out, without
// the UTF-16 text in between.
void appendDisplayUtf8(QByteArray &out, QByteArrayView bytes);

// The same, and moves offsets into bytes (ascending, none between a CR and
// its LF) to the same places in the text.
QString toDisplayText(QByteArrayView bytes, QList<quint32> &offsets);

} // namespace cp1251
