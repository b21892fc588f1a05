#include "checks/clichecheck.h"

#include "base/russiancount.h"
#include "codepages/controlbytes.h"
#include "codepages/cp1251codec.h"
#include "codepages/views.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace cliche {
namespace {

using russiancount::countOf;

constexpr char cr = '\r';
constexpr char lf = '\n';

// The break that starts a new printed line when it stands alone.
char newLineByte(Group group) {
    return group == Group::Cp866 ? lf : cr;
}

QString groupName(Group group) {
    return group == Group::Cp866 ? QStringLiteral("866") : QStringLiteral("1251");
}

// Characters that would not show between quotation marks go by their value.
bool isInvisible(unsigned char b) {
    return b < 32 || b == 127 || b == 152 || b == 160 || b == 173;
}

// Line breaks aside, which have findings of their own.
bool isControlByte(unsigned char b) {
    return (b < 32 && b != cr && b != lf) || b == 127;
}

QString character(unsigned char b) {
    if (isInvisible(b))
        return QStringLiteral("байт ") + QString::number(b);
    return QStringLiteral("знак \"") + cp1251::toChar(b) + u'"';
}

QString controlByteMessage(unsigned char b, Group group) {
    const QString abbreviation =
        b == 127 ? QStringLiteral("DEL")
                 : QString::fromLatin1(controlbytes::table[b].abbreviation.data(),
                                       qsizetype(controlbytes::table[b].abbreviation.size()))
                       .toUpper();
    return QStringLiteral("управляющий символ ") + abbreviation + QStringLiteral(" (байт ") +
           QString::number(b) + QStringLiteral(") не печатается в группе ") + groupName(group) +
           QStringLiteral(": это команда, а не знак");
}

QString unprintableMessage(unsigned char b, Group group) {
    if (isControlByte(b))
        return controlByteMessage(b, group);
    return character(b) + QStringLiteral(" не печатается в группе ") + groupName(group) +
           (group == Group::Cp866 ? QStringLiteral(": для него нет кода")
                                  : QStringLiteral(": в кодировке 1251 у него нет знака"));
}

constexpr qsizetype quotedAtMost = 16;

QByteArrayView viewOf(const std::string &text) {
    return QByteArrayView(text.data(), qsizetype(text.size()));
}

void appendUtf8(std::string &to, char16_t c) {
    if (c < 0x80) {
        to += char(c);
    } else if (c < 0x800) {
        to += char(0xC0 | (c >> 6));
        to += char(0x80 | (c & 0x3F));
    } else {
        to += char(0xE0 | (c >> 12));
        to += char(0x80 | ((c >> 6) & 0x3F));
        to += char(0x80 | (c & 0x3F));
    }
}

// A binary file has a run of small letters every few bytes, and a text a line
// of another length every line: their messages are made in UTF-8 in place.
void appendCount(std::string &to, qint64 n, const char *one, const char *few, const char *many) {
    char digits[24];
    to.append(digits, std::size_t(std::to_chars(digits, digits + sizeof digits, n).ptr - digits));
    to += ' ';
    const russiancount::Form form = russiancount::formOf(n);
    to += form == russiancount::Form::One ? one : form == russiancount::Form::Few ? few : many;
}

// A run of small letters is one finding: the word it stands in, its first
// letters quoted.
void smallLettersMessage(std::string &to, QByteArrayView quoted, qsizetype runLength) {
    to += runLength == 1 ? "строчная буква \"" : "строчные буквы \"";
    for (const char letter : quoted)
        appendUtf8(to, cp1251::toChar(static_cast<unsigned char>(letter)).unicode());
    if (runLength > quotedAtMost)
        to += "…";
    to += "\": модель печатает только большие буквы";
}

QString loneBreakMessage(char b, Group group) {
    return (b == lf ? QStringLiteral("одиночный LF (байт 10)")
                    : QStringLiteral("одиночный CR (байт 13)")) +
           QStringLiteral(" вместо CR LF: группа ") + groupName(group) +
           (b == newLineByte(group) ? QStringLiteral(" начинает с него новую строку")
                                    : QStringLiteral(" не начинает с него новой строки"));
}

void tooWideMessage(std::string &to, qsizetype characters, int width) {
    to += "в строке ";
    appendCount(to, characters, "знак", "знака", "знаков");
    to += ", модель печатает ";
    appendCount(to, width, "знак", "знака", "знаков");
}

QString tooManyLinesMessage(qsizetype lines, int limit) {
    return QStringLiteral("в клише ") + countOf(lines, "строка", "строки", "строк") +
           QStringLiteral(", модель печатает ") + countOf(limit, "строку", "строки", "строк");
}

QString tooLongMessage(qsizetype size) {
    return QStringLiteral("текст клише ") + countOf(size, "байт", "байта", "байт") +
           QStringLiteral(": должен быть меньше 10К (") + QString::number(textLimit) +
           QStringLiteral(" байт)");
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

CheckStream::CheckStream(const RegisterModel &model, Sink sink) : CheckStream(model, TextSink()) {
    this->sink = std::move(sink);
}

CheckStream::CheckStream(const RegisterModel &model, TextSink sink)
    : model(model), textSink(std::move(sink)) {
    for (int b = 0; b < 256; ++b)
        classes[b] = classify(static_cast<unsigned char>(b), model);
    smallRunLetters.reserve(quotedAtMost);
}

void CheckStream::sendUtf8(Finding &&finding, QByteArrayView utf8Message) {
    if (textSink) {
        textSink(finding, utf8Message);
        return;
    }
    finding.message = QString::fromUtf8(utf8Message);
    sink(finding);
}

void CheckStream::sendString(Finding &&finding, const QString &message) {
    if (textSink) {
        textSink(finding, message.toUtf8());
        return;
    }
    finding.message = message;
    sink(finding);
}

void CheckStream::sendByte(Finding &&finding, unsigned char byte) {
    if (!textSink) {
        sendString(std::move(finding), byteMessage(byte));
        return;
    }
    QByteArray &utf8 = byteMessagesUtf8[byte];
    if (utf8.isEmpty())
        utf8 = byteMessage(byte).toUtf8();
    textSink(finding, utf8);
}

// One message per byte value, shared by every finding of that value.
const QString &CheckStream::byteMessage(unsigned char b) {
    QString &message = byteMessages[b];
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
            smallRunLetters.resize(0); // keeps the memory
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
    sendByte({lines, k + 1, offset, 1, kind, {}}, b);
}

void CheckStream::endSmallRun(qsizetype end) {
    if (smallRunStart < 0)
        return;
    scratch.clear();
    smallLettersMessage(scratch, smallRunLetters, end - smallRunStart);
    sendUtf8({lines,
              smallRunStart - lineStart + 1,
              smallRunStart,
              end - smallRunStart,
              FindingKind::SmallLetter,
              {}},
             viewOf(scratch));
    smallRunStart = -1;
}

void CheckStream::endLine(qsizetype offset, int breakLength, unsigned char breakByte) {
    const qsizetype length = offset - lineStart;
    endSmallRun(offset);
    if (tooWide.active) {
        Finding finding{tooWide.line,
                        tooWide.column,
                        tooWide.offset,
                        length - (tooWide.column - 1),
                        FindingKind::LineTooWide,
                        {}};
        if (textSink) {
            scratch.clear();
            tooWideMessage(scratch, length, model.width);
            textSink(finding, viewOf(scratch));
        } else {
            // Lines of one length, as the lines of a file often are, share
            // one message.
            if (length != tooWideLength) {
                tooWideLength = length;
                scratch.clear();
                tooWideMessage(scratch, length, model.width);
                tooWideText = QString::fromUtf8(viewOf(scratch));
            }
            sendString(std::move(finding), tooWideText);
        }
        tooWide.active = false;
    }
    if (breakLength == 1)
        sendByte({lines, length + 1, offset, 1, FindingKind::LoneLineBreak, {}}, breakByte);
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
        sendString({tooManyLines.line,
                    1,
                    tooManyLines.offset,
                    position - tooManyLines.offset,
                    FindingKind::TooManyLines,
                    {}},
                   tooManyLinesMessage(lines, model.lineLimit));
    }
    if (tooLong.active) {
        sendString({tooLong.line,
                    tooLong.column,
                    tooLong.offset,
                    position - tooLong.offset,
                    FindingKind::TextTooLong,
                    {}},
                   tooLongMessage(position));
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
