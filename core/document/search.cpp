#include "document/search.h"

#include "base/hexdigit.h"
#include "codepages/codepages.h"
#include "codepages/cp1251codec.h"

#include <algorithm>
#include <cstring>
#include <functional>

namespace search {
namespace {

using Fold = std::array<unsigned char, 256>;

const QString hexSpellings = QStringLiteral("0D 0A, 0d0a или 0D-0A");

// A character as the user can read it back in a message.
QString shown(QChar ch) {
    if (ch.isPrint() && !ch.isSpace())
        return QStringLiteral("«%1»").arg(ch);
    return QStringLiteral("U+%1").arg(ch.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

std::optional<unsigned char> byteIn(const std::array<char16_t, 256> &page, QChar ch) {
    for (int b = 0; b < 256; ++b) {
        // 0 marks the one byte code page 1251 leaves undefined.
        if (page[b] == ch.unicode() && (page[b] != 0 || b == 0))
            return static_cast<unsigned char>(b);
    }
    return std::nullopt;
}

ParsedPattern parseText(QStringView text, PatternKind kind, bool ignoreCase) {
    const bool is866 = kind == PatternKind::Text866;
    Pattern pattern{ByteText(), kind, ignoreCase};
    pattern.bytes.reserve(text.size());
    for (const QChar ch : text) {
        // In code page 1251 the pane's own characters come first, so text
        // copied from the input pane finds its control bytes too.
        std::optional<unsigned char> byte =
            is866 ? byteIn(codepages::cp866, ch) : cp1251::toByte(ch);
        if (!byte && !is866)
            byte = byteIn(codepages::cp1251, ch);
        if (!byte) {
            return {std::nullopt,
                    QStringLiteral("Символа %1 нет в кодировке %2.")
                        .arg(shown(ch), is866 ? QStringLiteral("866") : QStringLiteral("1251"))};
        }
        pattern.bytes.append(char(*byte));
    }
    return {pattern, {}};
}

bool isHexSeparator(QChar ch) {
    return ch.isSpace() || ch == QLatin1Char('-');
}

ParsedPattern parseHex(QStringView text) {
    Pattern pattern{ByteText(), PatternKind::Hex, false};
    pattern.bytes.reserve(text.size() / 2);
    qsizetype i = 0;
    while (i < text.size()) {
        if (isHexSeparator(text[i])) {
            ++i;
            continue;
        }
        const qsizetype groupStart = i;
        while (i < text.size() && !isHexSeparator(text[i])) {
            if (hexDigitValue(text[i]) < 0) {
                return {std::nullopt,
                        QStringLiteral("%1 — не шестнадцатеричная цифра. Байты пишутся "
                                       "парами цифр 0–9, A–F: %2.")
                            .arg(shown(text[i]), hexSpellings)};
            }
            ++i;
        }
        const QStringView group = text.mid(groupStart, i - groupStart);
        if (group.size() % 2 != 0) {
            return {std::nullopt, QStringLiteral("Неполный байт в «%1»: каждый байт — две "
                                                 "шестнадцатеричные цифры (%2).")
                                      .arg(group.toString(), hexSpellings)};
        }
        for (qsizetype d = 0; d < group.size(); d += 2)
            pattern.bytes.append(char(hexDigitValue(group[d]) * 16 + hexDigitValue(group[d + 1])));
    }
    return {pattern, {}};
}

Fold identityFold() {
    Fold fold;
    for (int b = 0; b < 256; ++b)
        fold[b] = static_cast<unsigned char>(b);
    return fold;
}

// Upper-case letters fold onto their lower case where the code page has
// both: Latin, Russian with Ё, and the other Cyrillic letters of the page.
Fold letterFold(const std::array<char16_t, 256> &page) {
    Fold fold = identityFold();
    for (int b = 0; b < 256; ++b) {
        const QChar ch(page[b]);
        const QChar lower = ch.toLower();
        if (lower == ch)
            continue;
        if (const auto lowerByte = byteIn(page, lower))
            fold[b] = *lowerByte;
    }
    return fold;
}

// The first match that lies wholly in [begin, end). glibc's memmem finds a
// byte or a pair fastest; longer patterns take Boyer-Moore, which stays
// linear where memmem does not: in a flash-erased dump (all FF) a pattern
// of FF bytes with one other byte among them takes memmem four times as
// long.
qsizetype findIn(const char *bytes, qsizetype begin, qsizetype end, const ByteText &pattern) {
    if (pattern.isEmpty() || end - begin < pattern.size())
        return -1;
    if (pattern.size() <= 2) {
#ifdef Q_OS_WIN
        // No memmem in Windows' C library; Qt's search takes memchr for a byte.
        const qsizetype at = QByteArrayView(bytes + begin, end - begin).indexOf(pattern);
        return at < 0 ? -1 : begin + at;
#else
        const void *at =
            memmem(bytes + begin, size_t(end - begin), pattern.constData(), size_t(pattern.size()));
        return at ? static_cast<const char *>(at) - bytes : -1;
#endif
    }
    const char *at = std::search(bytes + begin, bytes + end,
                                 std::boyer_moore_searcher(pattern.begin(), pattern.end()));
    return at == bytes + end ? -1 : at - bytes;
}

ByteText folded(QByteArrayView bytes, const Fold &fold) {
    ByteText out(bytes.size(), Qt::Uninitialized);
    std::transform(bytes.begin(), bytes.end(), out.begin(),
                   [&fold](char b) { return char(fold[static_cast<unsigned char>(b)]); });
    return out;
}

// The first match that starts in [begin, end) of the table, which may end
// past `end`. Each window is searched together with the pattern's length
// less one byte of the next, so no match is missed at a window's edge; a
// window that lies in one piece is searched where it is, any other is read
// (and folded) into a buffer of its own.
qint64 findInTable(const PieceTable &table, qint64 begin, qint64 end, const ByteText &needle,
                   const Fold *fold) {
    constexpr qint64 window = qint64(1) << 20;
    const qint64 m = needle.size();
    ByteText buffer;
    for (qint64 at = begin; at < end && m > 0; at += window) {
        const qint64 length = std::min(std::min(window, end - at) + m - 1, table.size() - at);
        if (length < m)
            break;
        QByteArrayView view = table.chunkAt(at, length);
        if (view.size() < length || fold) {
            buffer = table.read(at, length);
            if (fold)
                buffer = folded(buffer, *fold);
            view = buffer;
        }
        if (const qsizetype found = findIn(view.data(), 0, view.size(), needle); found >= 0)
            return at + found;
    }
    return -1;
}

} // namespace

ParsedPattern parsePattern(QStringView text, PatternKind kind, bool ignoreCase) {
    ParsedPattern parsed =
        kind == PatternKind::Hex ? parseHex(text) : parseText(text, kind, ignoreCase);
    if (parsed.pattern && parsed.pattern->bytes.isEmpty())
        return {std::nullopt, QStringLiteral("Введите, что искать.")};
    return parsed;
}

const Fold &caseFold(PatternKind kind) {
    static const Fold identity = identityFold();
    static const Fold fold1251 = letterFold(codepages::cp1251);
    static const Fold fold866 = letterFold(codepages::cp866);
    switch (kind) {
    case PatternKind::Text1251:
        return fold1251;
    case PatternKind::Text866:
        return fold866;
    case PatternKind::Hex:
        break;
    }
    return identity;
}

Match findNext(QByteArrayView bytes, const Pattern &pattern, qsizetype from) {
    const qsizetype n = bytes.size();
    from = std::clamp<qsizetype>(from, 0, n);
    // Ignoring case is an exact search of both folded to lower case.
    ByteText foldedBytes;
    ByteText needle = pattern.bytes;
    if (pattern.ignoreCase && pattern.kind != PatternKind::Hex) {
        foldedBytes = folded(bytes, caseFold(pattern.kind));
        needle = folded(pattern.bytes, caseFold(pattern.kind));
        bytes = foldedBytes;
    }

    if (const qsizetype at = findIn(bytes.data(), from, n, needle); at >= 0)
        return {at, false};
    // Round from the start: every match that starts before `from`.
    if (const qsizetype at = findIn(bytes.data(), 0, std::min(n, from + needle.size() - 1), needle);
        at >= 0)
        return {at, true};
    return {};
}

Match findNext(const PieceTable &bytes, const Pattern &pattern, qint64 from) {
    from = std::clamp<qint64>(from, 0, bytes.size());
    const bool folding = pattern.ignoreCase && pattern.kind != PatternKind::Hex;
    const Fold *fold = folding ? &caseFold(pattern.kind) : nullptr;
    const ByteText needle = fold ? folded(pattern.bytes, *fold) : pattern.bytes;
    if (const qint64 at = findInTable(bytes, from, bytes.size(), needle, fold); at >= 0)
        return {at, false};
    if (const qint64 at = findInTable(bytes, 0, from, needle, fold); at >= 0)
        return {at, true};
    return {};
}

} // namespace search
