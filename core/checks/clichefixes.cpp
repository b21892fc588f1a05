#include "checks/clichefixes.h"

#include "checks/clichecheck.h"
#include "codepages/cp1251text.h"

#include <array>
#include <optional>

namespace cliche {

ByteText toCapitals(QByteArrayView text) {
    ByteText out = text.toByteArray();
    for (char &c : out) {
        const auto b = static_cast<unsigned char>(c);
        // A capital is 32 below its small letter, but for Ё (168) and ё (184).
        if (b == 184)
            c = char(168);
        else if (isSmallLetter(b))
            c = char(b - 32);
    }
    return out;
}

const QList<Replacement> &replacements866() {
    static const QList<Replacement> rows = [] {
        using cp1251text::encode;
        using cp1251text::text;
        return QList<Replacement>{
            {encode(U'Ё'), text("Е")},      {encode(U'ё'), text("е")},  {encode(U'«'), text("\"")},
            {encode(U'»'), text("\"")},     {encode(U'„'), text("\"")}, {encode(U'“'), text("\"")},
            {encode(U'”'), text("\"")},     {encode(U'№'), text("#")},  {encode(U'…'), text("...")},
            {encode(U'\u00A0'), text(" ")}, // no-break space
        };
    }();
    return rows;
}

ByteText replaceUnprintable866(QByteArrayView text) {
    std::array<std::optional<ByteText>, 256> standIn;
    for (const Replacement &row : replacements866())
        standIn[row.from] = row.to;
    ByteText out;
    out.reserve(text.size());
    for (const char c : text) {
        if (const auto &to = standIn[static_cast<unsigned char>(c)])
            out += *to;
        else
            out += c;
    }
    return out;
}

} // namespace cliche
