#include "clichecheck.h"

#include "controlbytes.h"
#include "cp1251text.h"
#include "views.h"

#include <algorithm>
#include <array>

namespace cliche {
namespace {

using cp1251text::countOf;
using cp1251text::text;

constexpr char cr = '\r';
constexpr char lf = '\n';

// The break that starts a new printed line when it stands alone.
char newLineByte(Group group) {
    return group == Group::Cp866 ? lf : cr;
}

const char *groupName(Group group) {
    return group == Group::Cp866 ? "866" : "1251";
}

// Characters that would not show between quotation marks go by their value.
bool isInvisible(unsigned char b) {
    return b < 32 || b == 127 || b == 152 || b == 160 || b == 173;
}

// Line breaks aside, which have findings of their own.
bool isControlByte(unsigned char b) {
    return (b < 32 && b != cr && b != lf) || b == 127;
}

ByteText character(unsigned char b) {
    if (isInvisible(b))
        return text("байт ") + QByteArray::number(b);
    return text("знак \"") + char(b) + '"';
}

ByteText controlByteMessage(unsigned char b, Group group) {
    const QByteArray abbreviation =
        b == 127 ? QByteArray("DEL")
                 : QByteArray(controlbytes::table[b].abbreviation.data(),
                              qsizetype(controlbytes::table[b].abbreviation.size()))
                       .toUpper();
    return text("управляющий символ ") + abbreviation + text(" (байт ") + QByteArray::number(b) +
           text(") не печатается в группе ") + groupName(group) + text(": это команда, а не знак");
}

ByteText unprintableMessage(unsigned char b, Group group) {
    if (isControlByte(b))
        return controlByteMessage(b, group);
    ByteText message = character(b) + text(" не печатается в группе ") + groupName(group);
    message +=
        text(group == Group::Cp866 ? ": для него нет кода" : ": в кодировке 1251 у него нет знака");
    return message;
}

constexpr qsizetype quotedAtMost = 16;

// A run of small letters is one finding: the word it stands in, its first
// letters quoted.
ByteText smallLettersMessage(QByteArrayView quoted, qsizetype runLength) {
    // A binary file has a run every few bytes: the fixed parts are made once.
    static const ByteText one = text("строчная буква \"");
    static const ByteText several = text("строчные буквы \"");
    static const ByteText end = text("\": модель печатает только большие буквы");
    static const ByteText more = text("…");
    ByteText message;
    message.reserve(several.size() + quotedAtMost + more.size() + end.size());
    message += runLength == 1 ? one : several;
    message += quoted;
    if (runLength > quotedAtMost)
        message += more;
    return message + end;
}

ByteText loneBreakMessage(char b, Group group) {
    ByteText message = text(b == lf ? "одиночный LF (байт 10)" : "одиночный CR (байт 13)");
    message += text(" вместо CR LF: группа ") + groupName(group);
    message += text(b == newLineByte(group) ? " начинает с него новую строку"
                                            : " не начинает с него новой строки");
    return message;
}

ByteText tooWideMessage(qsizetype characters, int width) {
    return text("в строке ") + countOf(characters, "знак", "знака", "знаков") +
           text(", модель печатает ") + countOf(width, "знак", "знака", "знаков");
}

ByteText tooManyLinesMessage(qsizetype lines, int limit) {
    return text("в клише ") + countOf(lines, "строка", "строки", "строк") +
           text(", модель печатает ") + countOf(limit, "строку", "строки", "строк");
}

ByteText tooLongMessage(qsizetype size) {
    return text("текст клише ") + countOf(size, "байт", "байта", "байт") +
           text(": должен быть меньше 10К (") + QByteArray::number(textLimit) + text(" байт)");
}

} // namespace

QList<Line> printedLines(QByteArrayView document, Group group) {
    QList<Line> lines;
    const char newLine = newLineByte(group);
    const char *data = document.data();
    const qsizetype n = document.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i < n;) {
        int breakLength = 0;
        if (data[i] == cr && i + 1 < n && data[i + 1] == lf)
            breakLength = 2;
        else if (data[i] == newLine)
            breakLength = 1;
        if (breakLength == 0) {
            ++i;
            continue;
        }
        lines.append({start, i - start, breakLength});
        i += breakLength;
        start = i;
    }
    if (start < n)
        lines.append({start, n - start, 0});
    return lines;
}

CharClass classify(unsigned char byte, const RegisterModel &model) {
    if (byte == cr || byte == lf)
        return CharClass::StrayBreak;
    // The 1251 listing gives every byte a code; only a control byte is a
    // command rather than a character, and 152 has no character to print.
    const bool prints = model.group == Group::Cp866 ? views::listing866HasCode(byte)
                                                    : !isControlByte(byte) && byte != 152;
    if (!prints)
        return CharClass::Unprintable;
    if (model.capitalsOnly && isSmallLetter(byte))
        return CharClass::SmallLetter;
    return CharClass::Printable;
}

CheckStream::CheckStream(const RegisterModel &model, Sink sink)
    : model(model), sink(std::move(sink)) {
    for (int b = 0; b < 256; ++b)
        classes[b] = classify(static_cast<unsigned char>(b), model);
    smallRunLetters.reserve(quotedAtMost);
}

// One message per byte value, shared by every finding of that value.
const ByteText &CheckStream::byteMessage(unsigned char b) {
    ByteText &message = byteMessages[b];
    if (message.isEmpty()) {
        message = classes[b] == CharClass::Unprintable ? unprintableMessage(b, model.group)
                                                       : loneBreakMessage(char(b), model.group);
    }
    return message;
}

void CheckStream::feed(QByteArrayView piece) {
    const auto *data = reinterpret_cast<const unsigned char *>(piece.data());
    const qsizetype n = piece.size();
    const qsizetype width = model.hasWidth() ? model.width : -1;
    for (qsizetype i = 0; i < n; ++i) {
        const unsigned char b = data[i];
        // Most bytes print inside a line and are nothing more.
        if (classes[b] == CharClass::Printable && lineOpen && !carriageReturnWaits &&
            smallRunStart < 0 && position != textLimit - 1 && position - lineStart != width) {
            ++position;
            continue;
        }
        step(b);
    }
}

void CheckStream::step(unsigned char b) {
    const qsizetype offset = position++;
    const auto noteTextLimit = [&] {
        if (offset == textLimit - 1)
            tooLong = {true, lines, offset - lineStart + 1, offset};
    };
    if (carriageReturnWaits) {
        carriageReturnWaits = false;
        if (b == lf) {
            // The LF belongs to the line its CR ends.
            noteTextLimit();
            endLine(offset - 1, 2, cr);
            return;
        }
        resolveCarriageReturn(offset - 1);
    }
    if (!lineOpen)
        openLine(offset);
    noteTextLimit();
    if (b == cr)
        carriageReturnWaits = true;
    else if (b == newLineByte(model.group))
        endLine(offset, 1, b);
    else
        character(offset, b);
}

// A CR that no LF follows.
void CheckStream::resolveCarriageReturn(qsizetype offset) {
    if (newLineByte(model.group) == cr)
        endLine(offset, 1, cr);
    else
        character(offset, cr);
}

void CheckStream::openLine(qsizetype offset) {
    lineOpen = true;
    ++lines;
    lineStart = offset;
    if (model.lineLimit > 0 && lines == model.lineLimit + 1)
        tooManyLines = {true, lines, 1, offset};
}

void CheckStream::character(qsizetype offset, unsigned char b) {
    const qsizetype k = offset - lineStart;
    if (model.hasWidth() && k == model.width)
        tooWide = {true, lines, k + 1, offset};
    const CharClass cls = classes[b];
    if (cls == CharClass::SmallLetter) {
        if (smallRunStart < 0) {
            smallRunStart = offset;
            smallRunLetters.clear();
        }
        if (smallRunLetters.size() < quotedAtMost)
            smallRunLetters += char(b);
        return;
    }
    endSmallRun(offset);
    if (cls == CharClass::Printable)
        return;
    const FindingKind kind =
        cls == CharClass::Unprintable ? FindingKind::Unprintable : FindingKind::LoneLineBreak;
    sink({lines, k + 1, offset, 1, kind, byteMessage(b)});
}

void CheckStream::endSmallRun(qsizetype end) {
    if (smallRunStart < 0)
        return;
    sink({lines, smallRunStart - lineStart + 1, smallRunStart, end - smallRunStart,
          FindingKind::SmallLetter, smallLettersMessage(smallRunLetters, end - smallRunStart)});
    smallRunStart = -1;
}

void CheckStream::endLine(qsizetype offset, int breakLength, unsigned char breakByte) {
    const qsizetype length = offset - lineStart;
    endSmallRun(offset);
    if (tooWide.active) {
        // Lines of one length, as the lines of a file often are, share one message.
        if (length != tooWideLength) {
            tooWideLength = length;
            tooWideText = tooWideMessage(length, model.width);
        }
        sink({tooWide.line, tooWide.column, tooWide.offset, length - (tooWide.column - 1),
              FindingKind::LineTooWide, tooWideText});
        tooWide.active = false;
    }
    if (breakLength == 1)
        sink({lines, length + 1, offset, 1, FindingKind::LoneLineBreak, byteMessage(breakByte)});
    lineOpen = false;
}

void CheckStream::finish() {
    if (carriageReturnWaits) {
        carriageReturnWaits = false;
        resolveCarriageReturn(position - 1);
    }
    if (lineOpen)
        endLine(position, 0, 0);
    if (tooManyLines.active) {
        sink({tooManyLines.line, 1, tooManyLines.offset, position - tooManyLines.offset,
              FindingKind::TooManyLines, tooManyLinesMessage(lines, model.lineLimit)});
    }
    if (tooLong.active) {
        sink({tooLong.line, tooLong.column, tooLong.offset, position - tooLong.offset,
              FindingKind::TextTooLong, tooLongMessage(position)});
    }
    tooManyLines.active = false;
    tooLong.active = false;
}

namespace {

// check()'s order among findings at one offset: the line's own before the
// width's, those before the byte's, the 10K limit last.
int rankAtOneOffset(FindingKind kind) {
    switch (kind) {
    case FindingKind::TooManyLines:
        return 0;
    case FindingKind::LineTooWide:
        return 1;
    case FindingKind::TextTooLong:
        return 3;
    default:
        return 2;
    }
}

} // namespace

QList<Finding> check(QByteArrayView document, const RegisterModel &model) {
    QList<Finding> findings;
    CheckStream stream(model, [&findings](const Finding &f) { findings.append(f); });
    stream.feed(document);
    stream.finish();
    std::stable_sort(findings.begin(), findings.end(), [](const Finding &a, const Finding &b) {
        if (a.offset != b.offset)
            return a.offset < b.offset;
        return rankAtOneOffset(a.kind) < rankAtOneOffset(b.kind);
    });
    return findings;
}

} // namespace cliche
