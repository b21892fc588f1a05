#include "cp1251codec.h"

#include "codepages.h"
#include "controlbytes.h"

#include <array>

namespace cp1251 {
namespace {

constexpr char16_t paragraphSeparator = 0x2029;

constexpr std::array<char16_t, 256> makeByteToChar() {
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = codepages::cp1251[b];
    for (int b = 0; b < 32; ++b)
        table[b] = controlbytes::table[b].standIn;
    table[127] = controlbytes::deleteStandIn;
    table[152] = controlbytes::undefinedStandIn;
    return table;
}

constexpr std::array<char16_t, 256> byteToChar = makeByteToChar();

// -1 for a character without a byte.
const std::array<short, 65536> &charToByte() {
    static const std::array<short, 65536> table = [] {
        std::array<short, 65536> t;
        t.fill(-1);
        for (int b = 0; b < 256; ++b)
            t[byteToChar[b]] = static_cast<short>(b);
        return t;
    }();
    return table;
}

// One character per byte, but a CR LF pair becomes the one character lineBreak.
QString decodeLines(QByteArrayView bytes, char16_t lineBreak) {
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    const qsizetype n = bytes.size();
    for (qsizetype i = 0; i < n; ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b == '\r' && i + 1 < n && bytes[i + 1] == '\n') {
            *out++ = QChar(lineBreak);
            ++i;
        } else {
            *out++ = QChar(byteToChar[b]);
        }
    }
    text.truncate(out - text.constData());
    return text;
}

} // namespace

QChar toChar(unsigned char byte) {
    return QChar(byteToChar[byte]);
}

std::optional<unsigned char> toByte(QChar ch) {
    const short b = charToByte()[ch.unicode()];
    if (b < 0)
        return std::nullopt;
    return static_cast<unsigned char>(b);
}

bool isStandIn(QChar ch) {
    const auto b = toByte(ch);
    return b && (*b < 32 || *b == 127 || *b == 152);
}

QString toPaneText(QByteArrayView bytes) {
    return decodeLines(bytes, paragraphSeparator);
}

std::optional<ByteText> fromPaneText(QStringView text) {
    const auto &table = charToByte();
    ByteText bytes(text.size() * 2, Qt::Uninitialized);
    char *out = bytes.data();
    for (const QChar ch : text) {
        if (ch.unicode() == paragraphSeparator) {
            *out++ = '\r';
            *out++ = '\n';
            continue;
        }
        const short b = table[ch.unicode()];
        if (b < 0)
            return std::nullopt;
        *out++ = static_cast<char>(b);
    }
    bytes.truncate(out - bytes.constData());
    return bytes;
}

QString toDisplayText(QByteArrayView bytes) {
    return decodeLines(bytes, u'\n');
}

} // namespace cp1251
