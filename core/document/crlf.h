#pragma once

#include "document/piecetable.h"

#include <QByteArrayView>

// A CR LF pair is one line break wherever the program shows or edits text:
// a caret never stands between its bytes, an edit never cuts it, a
// selection that splits it takes it whole. The one place that says what a
// pair is and where it stands.
namespace crlf {

inline bool isPair(unsigned char first, unsigned char second) {
    return first == '\r' && second == '\n';
}

// A pair starts at offset.
inline bool pairAt(const PieceTable &bytes, qint64 offset) {
    return offset >= 0 && offset + 1 < bytes.size() &&
           isPair(bytes.at(offset), bytes.at(offset + 1));
}
inline bool pairAt(QByteArrayView bytes, qsizetype offset) {
    return offset >= 0 && offset + 1 < bytes.size() &&
           isPair(static_cast<unsigned char>(bytes[offset]),
                  static_cast<unsigned char>(bytes[offset + 1]));
}

// offset stands between the CR and the LF of a pair.
inline bool splits(const PieceTable &bytes, qint64 offset) {
    return pairAt(bytes, offset - 1);
}
inline bool splits(QByteArrayView bytes, qsizetype offset) {
    return pairAt(bytes, offset - 1);
}

// offset inside a pair moves before it.
inline qint64 snapDown(const PieceTable &bytes, qint64 offset) {
    return splits(bytes, offset) ? offset - 1 : offset;
}
// ... or after it.
inline qint64 snapUp(const PieceTable &bytes, qint64 offset) {
    return splits(bytes, offset) ? offset + 1 : offset;
}

// A character is one byte or a pair.
inline qint64 nextCharacter(const PieceTable &bytes, qint64 offset) {
    if (offset >= bytes.size())
        return bytes.size();
    return offset + (pairAt(bytes, offset) ? 2 : 1);
}
inline qint64 previousCharacter(const PieceTable &bytes, qint64 offset) {
    if (offset <= 0)
        return 0;
    return offset - (pairAt(bytes, offset - 2) ? 2 : 1);
}

} // namespace crlf
