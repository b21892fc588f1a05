#include "clichecheck.h"

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

ByteText character(unsigned char b) {
    if (isInvisible(b))
        return text("байт ") + QByteArray::number(b);
    return text("знак \"") + char(b) + '"';
}

ByteText unprintableMessage(unsigned char b, Group group) {
    ByteText message = character(b) + text(" не печатается в группе ") + groupName(group);
    if (group == Group::Cp866)
        message += text(": для него нет кода");
    return message;
}

// A run of small letters is one finding: the word it stands in.
ByteText smallLettersMessage(QByteArrayView letters) {
    // A binary file has a run every few bytes: the fixed parts are made once.
    static const ByteText one = text("строчная буква \"");
    static const ByteText several = text("строчные буквы \"");
    static const ByteText end = text("\": модель печатает только большие буквы");
    static const ByteText more = text("…");
    constexpr qsizetype quotedAtMost = 16;
    ByteText message;
    message.reserve(several.size() + quotedAtMost + more.size() + end.size());
    message += letters.size() == 1 ? one : several;
    message += letters.first(std::min(letters.size(), quotedAtMost));
    if (letters.size() > quotedAtMost)
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
    const bool prints = model.group == Group::Cp866
                            ? views::listing866HasCode(byte)
                            : byte >= 32 && byte != 127 && views::cp1251GlyphListed(byte);
    if (!prints)
        return CharClass::Unprintable;
    if (model.capitalsOnly && isSmallLetter(byte))
        return CharClass::SmallLetter;
    return CharClass::Printable;
}

QList<Finding> check(QByteArrayView document, const RegisterModel &model) {
    std::array<CharClass, 256> classes;
    for (int b = 0; b < 256; ++b)
        classes[b] = classify(static_cast<unsigned char>(b), model);
    // One message per byte value, shared by every finding of that value.
    std::array<ByteText, 256> byteMessages;
    auto byteMessage = [&](unsigned char b) -> const ByteText & {
        ByteText &message = byteMessages[b];
        if (message.isEmpty()) {
            switch (classes[b]) {
            case CharClass::Unprintable:
                message = unprintableMessage(b, model.group);
                break;
            default:
                message = loneBreakMessage(char(b), model.group);
                break;
            }
        }
        return message;
    };

    const QList<Line> lines = printedLines(document, model.group);
    const auto *data = reinterpret_cast<const unsigned char *>(document.data());
    const qsizetype n = document.size();
    QList<Finding> findings;
    for (qsizetype li = 0; li < lines.size(); ++li) {
        const Line &line = lines[li];
        const int lineNumber = int(li + 1);
        if (model.lineLimit > 0 && lineNumber == model.lineLimit + 1) {
            findings.append({lineNumber, 1, line.start, n - line.start, FindingKind::TooManyLines,
                             tooManyLinesMessage(lines.size(), model.lineLimit)});
        }
        qsizetype smallRun = -1; // where the run of small letters began
        const auto endSmallRun = [&](qsizetype end) {
            if (smallRun < 0)
                return;
            findings.append({lineNumber, int(smallRun - line.start + 1), smallRun, end - smallRun,
                             FindingKind::SmallLetter,
                             smallLettersMessage(document.sliced(smallRun, end - smallRun))});
            smallRun = -1;
        };
        for (qsizetype k = 0; k < line.length; ++k) {
            const qsizetype offset = line.start + k;
            if (model.hasWidth() && k == model.width) {
                findings.append({lineNumber, int(k + 1), offset, line.length - k,
                                 FindingKind::LineTooWide,
                                 tooWideMessage(line.length, model.width)});
            }
            const unsigned char b = data[offset];
            const CharClass cls = classes[b];
            if (cls == CharClass::SmallLetter) {
                if (smallRun < 0)
                    smallRun = offset;
                continue;
            }
            endSmallRun(offset);
            if (cls == CharClass::Printable)
                continue;
            const FindingKind kind = cls == CharClass::Unprintable ? FindingKind::Unprintable
                                                                   : FindingKind::LoneLineBreak;
            findings.append({lineNumber, int(k + 1), offset, 1, kind, byteMessage(b)});
        }
        endSmallRun(line.start + line.length);
        if (line.breakLength == 1) {
            const qsizetype offset = line.start + line.length;
            findings.append({lineNumber, int(line.length + 1), offset, 1,
                             FindingKind::LoneLineBreak, byteMessage(data[offset])});
        }
    }

    if (n >= textLimit) {
        // The text must stay below the limit: the finding covers the byte
        // that reaches it and every byte after it.
        const qsizetype offset = textLimit - 1;
        const auto line = std::upper_bound(lines.begin(), lines.end(), offset,
                                           [](qsizetype o, const Line &l) { return o < l.start; }) -
                          1;
        const Finding tooLong{int(line - lines.begin() + 1),
                              int(offset - line->start + 1),
                              offset,
                              n - offset,
                              FindingKind::TextTooLong,
                              tooLongMessage(n)};
        findings.append(tooLong);
    }
    // A run of small letters is found at its end, a width after its start.
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding &a, const Finding &b) { return a.offset < b.offset; });
    return findings;
}

} // namespace cliche
