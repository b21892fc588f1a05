#pragma once

#include "base/bytetext.h"
#include "document/piecetable.h"

#include <QString>
#include <QStringView>
#include <array>
#include <optional>

// Finding a run of bytes in the document. The user gives the run as text in
// one of the two code pages the registers use, or as hex bytes; text can
// match regardless of case.
namespace search {

enum class PatternKind { Text1251, Text866, Hex };

struct Pattern {
    ByteText bytes;
    PatternKind kind = PatternKind::Hex;
    // Only text folds case; hex bytes always match exactly.
    bool ignoreCase = false;
};

struct ParsedPattern {
    std::optional<Pattern> pattern;
    QString error; // why the text gives no pattern, when there is none
};

// Text in code page 1251 takes the characters the input pane shows (the
// stand-ins of control bytes included), text in code page 866 the
// characters of that code page; a character without a byte there is an
// error. Hex bytes are pairs of digits, either case, run together or apart
// by spaces or "-": "0D 0A", "0d0a" and "0D-0A" are the same two bytes.
ParsedPattern parsePattern(QStringView text, PatternKind kind, bool ignoreCase);

struct Match {
    qsizetype offset = -1;
    // Found only by going round from the start of the bytes.
    bool wrapped = false;

    bool found() const { return offset >= 0; }
};

// The first match that starts at `from` or after it; failing that, the first
// one that starts before it.
Match findNext(QByteArrayView bytes, const Pattern &pattern, qsizetype from);
// The same over the pieces of a document, read a window at a time: the
// document is never copied whole, and a match may span any number of pieces.
Match findNext(const PieceTable &bytes, const Pattern &pattern, qint64 from);

// Each byte's lower-case letter in the code page, or the byte itself.
const std::array<unsigned char, 256> &caseFold(PatternKind kind);

} // namespace search
