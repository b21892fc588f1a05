#include "document/caretvalues.h"

#include "codepages/codepages.h"
#include "codepages/controlbytes.h"
#include "document/piecetable.h"

#include <optional>

namespace caretvalues {
namespace {

// Read most significant byte first when bigEndian.
quint32 unsignedOf(QByteArrayView bytes, int width, bool bigEndian) {
    quint32 value = 0;
    for (int i = 0; i < width; ++i) {
        const int at = bigEndian ? i : width - 1 - i;
        value = value << 8 | quint8(bytes[at]);
    }
    return value;
}

qint64 signedOf(quint32 value, int width) {
    const int bits = width * 8;
    const qint64 sign = qint64(1) << (bits - 1);
    return qint64(value) >= sign ? qint64(value) - 2 * sign : qint64(value);
}

void addIntegers(std::vector<Row> &rows, QByteArrayView bytes, int width) {
    if (bytes.size() < width)
        return;
    const QString bits = QString::number(width * 8);
    for (const bool bigEndian : {false, true}) {
        const QString order = bigEndian ? QStringLiteral(" BE") : QStringLiteral(" LE");
        const quint32 value = unsignedOf(bytes, width, bigEndian);
        rows.push_back({QStringLiteral("uint") + bits + order, QString::number(value)});
        rows.push_back(
            {QStringLiteral("int") + bits + order, QString::number(signedOf(value, width))});
    }
}

QString twoDigits(int value) {
    return QString::number(value).rightJustified(2, u'0');
}

// The two decimal digits of a BCD byte, or nothing when a nibble is over 9.
std::optional<int> bcdByte(char byte) {
    const int high = quint8(byte) >> 4;
    const int low = quint8(byte) & 15;
    if (high > 9 || low > 9)
        return std::nullopt;
    return high * 10 + low;
}

// Every digit, leading zeros too: 09 12 is "0912", as the register keeps it.
std::optional<QString> bcdDigits(QByteArrayView bytes) {
    QString digits;
    for (const char byte : bytes) {
        const std::optional<int> two = bcdByte(byte);
        if (!two)
            return std::nullopt;
        digits += twoDigits(*two);
    }
    return digits;
}

QString bcdLabel(int width) {
    static const char *const words[] = {"байт", "байта", "байта", "байта"};
    return QStringLiteral("BCD %1 ").arg(width) + QString::fromUtf8(words[width - 1]);
}

// A two-digit year stands for 2000 to 2099 or for 1901 to 1999: in both, a
// year divisible by 4 is a leap year.
int daysIn(int month, int year) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && year % 4 == 0 ? 29 : days[month - 1];
}

// DD MM YY, followed by hh mm where those two bytes make a time: the date
// and time in one row, else the date alone.
std::optional<Row> dateRow(QByteArrayView bytes) {
    if (bytes.size() < 3)
        return std::nullopt;
    const auto day = bcdByte(bytes[0]);
    const auto month = bcdByte(bytes[1]);
    const auto year = bcdByte(bytes[2]);
    if (!day || !month || !year || *month < 1 || *month > 12 || *day < 1 ||
        *day > daysIn(*month, *year))
        return std::nullopt;
    const QString date = twoDigits(*day) + u'.' + twoDigits(*month) + u'.' + twoDigits(*year);
    if (bytes.size() >= 5) {
        const auto hour = bcdByte(bytes[3]);
        const auto minute = bcdByte(bytes[4]);
        if (hour && minute && *hour < 24 && *minute < 60) {
            return Row{QStringLiteral("Дата и время (BCD ДД ММ ГГ чч мм)"),
                       date + u' ' + twoDigits(*hour) + u':' + twoDigits(*minute)};
        }
    }
    return Row{QStringLiteral("Дата (BCD ДД ММ ГГ)"), date};
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// A control byte by its name, abbreviation and key; any other byte as the
// characters the two code pages give it.
void addCharacters(std::vector<Row> &rows, quint8 byte) {
    if (byte < 32) {
        const controlbytes::ControlByte &control = controlbytes::table[byte];
        rows.push_back({QStringLiteral("Управляющий знак"),
                        QStringLiteral("%1 (%2, %3)")
                            .arg(fromUtf8(control.fullName),
                                 fromUtf8(control.abbreviation).toUpper(), fromUtf8(control.key))});
        return;
    }
    if (byte == 127) {
        rows.push_back({QStringLiteral("Управляющий знак"), QStringLiteral("Удаление (DEL, ^?)")});
        return;
    }
    rows.push_back({QStringLiteral("Знак 866"), QString(QChar(codepages::cp866[byte]))});
    // Code page 1251 leaves 0x98 undefined.
    if (codepages::cp1251[byte] != 0)
        rows.push_back({QStringLiteral("Знак 1251"), QString(QChar(codepages::cp1251[byte]))});
}

} // namespace

std::vector<Row> rows(QByteArrayView bytes) {
    std::vector<Row> rows;
    if (bytes.isEmpty())
        return rows;
    bytes = bytes.first(std::min(bytes.size(), bytesRead));
    const quint8 byte = quint8(bytes[0]);

    rows.push_back({QStringLiteral("Двоичное"), QString::number(byte, 2).rightJustified(8, u'0')});
    rows.push_back({QStringLiteral("uint8"), QString::number(byte)});
    rows.push_back({QStringLiteral("int8"), QString::number(signedOf(byte, 1))});
    addCharacters(rows, byte);
    addIntegers(rows, bytes, 2);
    addIntegers(rows, bytes, 4);
    for (int width = 1; width <= 4 && width <= bytes.size(); ++width) {
        if (const auto digits = bcdDigits(bytes.first(width)))
            rows.push_back({bcdLabel(width), *digits});
    }
    if (const auto date = dateRow(bytes))
        rows.push_back(*date);
    return rows;
}

std::vector<Row> rowsAt(const PieceTable &document, qint64 offset) {
    return rows(document.read(offset, bytesRead));
}

} // namespace caretvalues
