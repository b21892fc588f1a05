#include "codepages/recode.h"

#include "base/russiancount.h"
#include "codepages/codepages.h"
#include "codepages/cp1251codec.h"

#include <array>

namespace recode {
namespace {

using CodePage = std::array<char16_t, 256>;

// -1 where the target code page has no byte for the source's character.
constexpr std::array<short, 256> makeMap(const CodePage &from, const CodePage &to) {
    std::array<short, 256> map{};
    for (int b = 0; b < 256; ++b) {
        map[b] = -1;
        if (b < 32 || b == 127) {
            map[b] = short(b);
            continue;
        }
        for (int c = 32; c < 256; ++c) {
            if (c != 127 && from[b] != 0 && to[c] == from[b]) {
                map[b] = short(c);
                break;
            }
        }
    }
    return map;
}

constexpr auto map866To1251 = makeMap(codepages::cp866, codepages::cp1251);
constexpr auto map1251To866 = makeMap(codepages::cp1251, codepages::cp866);

Result convert(QByteArrayView text, const std::array<short, 256> &map) {
    Result result;
    result.bytes.resize(text.size());
    bool seen[256] = {};
    for (qsizetype i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (map[b] >= 0) {
            result.bytes[i] = char(map[b]);
            continue;
        }
        result.bytes[i] = char(b);
        ++result.unmatchedCount;
        if (!seen[b]) {
            seen[b] = true;
            result.unmatched += char(b);
        }
    }
    return result;
}

} // namespace

Result cp866ToCp1251(QByteArrayView text) {
    return convert(text, map866To1251);
}

Result cp1251ToCp866(QByteArrayView text) {
    return convert(text, map1251To866);
}

QString unmatchedNotice(const Result &result, bool from866) {
    if (result.unmatchedCount == 0)
        return {};
    QString notice = russiancount::countOf(result.unmatchedCount, "символ", "символа", "символов") +
                     QStringLiteral(" без соответствия: ");
    // Code page 1251 has none of the 866 characters without a counterpart,
    // nor a character for 152: those go by their code, as does the invisible
    // soft hyphen.
    constexpr qsizetype shownAtMost = 10;
    for (qsizetype i = 0; i < result.unmatched.size(); ++i) {
        if (i == shownAtMost) {
            notice += QStringLiteral(", …");
            break;
        }
        if (i > 0)
            notice += QStringLiteral(", ");
        const auto b = static_cast<unsigned char>(result.unmatched[i]);
        if (from866 || b == 152 || b == 173)
            notice += QStringLiteral("код ") + QString::number(b);
        else
            notice += cp1251::toChar(b);
    }
    return notice;
}

} // namespace recode
