#pragma once

#include "base/bytetext.h"
#include "checks/registermodels.h"

#include <QList>
#include <QString>
#include <array>
#include <functional>
#include <string>

// The cliche check: what a register model will make of the document, found
// before the trip to the register. Pure functions; the document is never
// changed.
//
// Lines are what the group's listing starts a new printed line with: a CR LF
// pair in both groups; alone, an LF in the 866 group and a CR in the 1251
// group (the listings' new-line marks). The other byte alone starts no line
// and takes a column like any other character. Either lone byte is reported.
// A line break at the very end of the text ends the last line and starts no
// new one. Width counts characters, one per byte.
//
// What the group prints is what its listing gives a code: in the 1251 group
// every byte but the control bytes and 152, which code page 1251 leaves
// undefined; in the 866 group the bytes its listing does not write as ".".
namespace cliche {

enum class FindingKind {
    LineTooWide,   // the characters of a line beyond the model's width
    TooManyLines,  // the lines beyond the model's limit
    Unprintable,   // a character the group cannot print, a control byte among them
    SmallLetter,   // a small letter on a model that prints capitals only
    TextTooLong,   // the bytes from the 10K limit on
    LoneLineBreak, // a CR or LF that is not part of a CR LF pair
};

struct Finding {
    qint64 line = 0;      // 1-based
    qint64 column = 0;    // 1-based, in characters of that line
    qsizetype offset = 0; // of the first byte concerned, in the document
    qsizetype length = 0; // bytes concerned
    FindingKind kind = FindingKind::Unprintable;
    QString message; // Russian
};

} // namespace cliche

// A finding moves as its bytes: a list of a million grows without copying each.
Q_DECLARE_TYPEINFO(cliche::Finding, Q_RELOCATABLE_TYPE);

namespace cliche {

// "Текст клише не должен превышать 10К": 10 × 1024 bytes, line breaks
// counted; a text of that size or more is reported.
inline constexpr qsizetype textLimit = 10 * 1024;

// A printed line: its characters, then the break that ends it (0 at the end
// of the text, 1 for a lone break, 2 for CR LF).
struct Line {
    qsizetype start = 0;
    qsizetype length = 0;
    int breakLength = 0;
};
QList<Line> printedLines(QByteArrayView document, Group group);

// A small letter in code page 1251: a..z, а..я, ё.
inline bool isSmallLetter(unsigned char byte) {
    return (byte >= 'a' && byte <= 'z') || byte >= 224 || byte == 184;
}

// How a character inside a line prints on the model.
enum class CharClass { Printable, Unprintable, SmallLetter, StrayBreak };
CharClass classify(unsigned char byte, const RegisterModel &model);

// Every finding, in the order of their offsets.
QList<Finding> check(QByteArrayView document, const RegisterModel &model);

// The same check over a text that comes in pieces, of any size and cut
// anywhere, in constant memory. A finding is reported as soon as it is
// whole: most at their byte; a line too wide at the end of its line, after
// those inside it; too many lines and a text too long at finish(). Sorted by
// offset, the findings are check()'s.
class CheckStream {
public:
    using Sink = std::function<void(const Finding &)>;
    // The finding without its message, and the message in UTF-8, valid during
    // the call only: no string is made per finding, so a file of millions of
    // them checks as fast as their lines can be written.
    using TextSink = std::function<void(const Finding &, QByteArrayView utf8Message)>;

    CheckStream(const RegisterModel &model, Sink sink);
    CheckStream(const RegisterModel &model, TextSink sink);

    void feed(QByteArrayView piece);
    // The end of the text; the stream takes nothing after it.
    void finish();

private:
    struct Pending {
        bool active = false;
        qint64 line = 0;
        qint64 column = 0;
        qsizetype offset = 0;
    };

    void step(unsigned char byte);
    void openLine(qsizetype offset);
    void character(qsizetype offset, unsigned char byte);
    void endLine(qsizetype offset, int breakLength, unsigned char breakByte);
    void endSmallRun(qsizetype end);
    void resolveCarriageReturn(qsizetype offset);
    const QString &byteMessage(unsigned char byte);
    void sendUtf8(Finding &&finding, QByteArrayView utf8Message);
    void sendString(Finding &&finding, const QString &message);
    void sendByte(Finding &&finding, unsigned char byte);

    RegisterModel model;
    Sink sink;
    TextSink textSink;
    std::array<CharClass, 256> classes{};
    std::array<QString, 256> byteMessages;
    std::array<QByteArray, 256> byteMessagesUtf8;
    std::string scratch; // a message being made, its memory kept

    qsizetype position = 0; // of the next byte
    qint64 lines = 0;       // begun so far; the current one is the last
    qsizetype lineStart = 0;
    bool lineOpen = false;
    bool carriageReturnWaits = false; // a CR whose meaning the next byte decides

    qsizetype smallRunStart = -1;
    ByteText smallRunLetters; // the first of them, as many as a message quotes

    Pending tooWide;
    qsizetype tooWideLength = -1; // of the line tooWideText was made for
    QString tooWideText;
    Pending tooManyLines;
    Pending tooLong;
};

} // namespace cliche
