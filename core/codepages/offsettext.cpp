#include "codepages/offsettext.h"

#include "base/hexdigit.h"

#include <QString>
#include <limits>

namespace {

int digitValue(QChar ch, int base) {
    const int value = hexDigitValue(ch);
    return value < base ? value : -1;
}

std::optional<qint64> parseDigits(QStringView digits, int base) {
    if (digits.isEmpty())
        return std::nullopt;
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    qint64 value = 0;
    for (const QChar ch : digits) {
        const int digit = digitValue(ch, base);
        if (digit < 0)
            return std::nullopt;
        value = value > (largest - digit) / base ? largest : value * base + digit;
    }
    return value;
}

} // namespace

std::optional<qint64> parseOffset(QStringView text) {
    text = text.trimmed();
    if (text.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        return parseDigits(text.mid(2), 16);
    if (text.endsWith(QLatin1Char('h'), Qt::CaseInsensitive))
        return parseDigits(text.chopped(1), 16);
    return parseDigits(text, 10);
}
