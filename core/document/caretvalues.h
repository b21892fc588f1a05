#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

class PieceTable;

// What the bytes from the caret on mean, read as each kind of value a
// register's memory holds: integers of 8, 16 and 32 bits in both byte orders,
// BCD numbers, the byte in binary, a BCD date and time, and the byte as text
// of either code page or as a control byte.
namespace caretvalues {

struct Row {
    QString label; // "uint16 LE", "BCD 2 байта", "Дата (BCD ДД ММ ГГ)"
    QString value; // the text a click copies
};

// The most bytes any row reads: a date and time, DD MM YY hh mm.
inline constexpr qsizetype bytesRead = 5;

// The rows for bytes, the first of them the byte at the caret; bytes past
// bytesRead are not read. A row is left out where the bytes do not make its
// value: too few of them (near the end of the document), a BCD nibble over 9,
// a date that is no date. No bytes, no rows.
std::vector<Row> rows(QByteArrayView bytes);

// The rows for the bytes of a document from offset on.
std::vector<Row> rowsAt(const PieceTable &document, qint64 offset);

} // namespace caretvalues
