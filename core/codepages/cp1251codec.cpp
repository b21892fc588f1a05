#include "codepages/cp1251codec.h"

#include "codepages/codepages.h"
#include "codepages/controlbytes.h"
#include "document/crlf.h"

#include <QTextBoundaryFinder>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace cp1251 {
namespace {

constexpr char16_t paragraphSeparator = QChar::ParagraphSeparator;

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
        if (crlf::pairAt(bytes, i)) {
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
    return decodeLines(bytes, lineBreak.unicode());
}

std::optional<ByteText> fromPaneText(QStringView text) {
    ByteText bytes;
    if (!appendFromPaneText(bytes, text))
        return std::nullopt;
    return bytes;
}

bool appendFromPaneText(ByteText &bytes, QStringView text) {
    const auto &table = charToByte();
    const qsizetype start = bytes.size();
    bytes.resize(start + text.size() * 2);
    char *out = bytes.data() + start;
    for (const QChar ch : text) {
        if (ch == lineBreak || ch.unicode() == paragraphSeparator) {
            *out++ = '\r';
            *out++ = '\n';
            continue;
        }
        const short b = table[ch.unicode()];
        if (b < 0) {
            bytes.truncate(start);
            return false;
        }
        *out++ = static_cast<char>(b);
    }
    bytes.truncate(out - bytes.constData());
    return true;
}

namespace {

bool isLineBreak(char16_t ch) {
    return ch == u'\r' || ch == u'\n' || ch == QChar::LineSeparator || ch == paragraphSeparator;
}

bool isControl(char16_t ch) {
    return ch < 32 || ch == 127;
}

// One character of outside text that stands alone (not part of a cluster):
// true if it goes into the pane, appended to out.
bool appendPaneInput(QString &out, QChar ch) {
    const char16_t unit = ch.unicode();
    if (isLineBreak(unit)) {
        out += lineBreak;
    } else if (isControl(unit)) {
        out += toChar(static_cast<unsigned char>(unit));
    } else if (charToByte()[unit] >= 0) {
        out += ch;
    } else {
        return false;
    }
    return true;
}

} // namespace

PaneInput toPaneInput(QStringView text) {
    PaneInput input;
    input.text.reserve(text.size());
    const auto &table = charToByte();
    const bool plain = std::all_of(text.begin(), text.end(), [&table](QChar ch) {
        return table[ch.unicode()] >= 0 || isLineBreak(ch.unicode()) || isControl(ch.unicode());
    });
    if (plain) {
        // No character without a byte, so no cluster to look at.
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            appendPaneInput(input.text, text[i]);
        }
        return input;
    }
    // A user sees grapheme clusters, not code units: a surrogate pair, an
    // emoji sequence or a letter with a combining mark is one character. CR LF
    // is one cluster too.
    const QString copy = text.toString();
    QTextBoundaryFinder clusters(QTextBoundaryFinder::Grapheme, copy);
    qsizetype start = 0;
    for (qsizetype end = clusters.toNextBoundary(); end > 0; end = clusters.toNextBoundary()) {
        const QStringView cluster = QStringView(copy).mid(start, end - start);
        start = end;
        if (cluster == u"\r\n") {
            input.text += lineBreak;
        } else if (cluster.size() == 1 && appendPaneInput(input.text, cluster.front())) {
            continue;
        } else if (cluster.size() > 1 && std::all_of(cluster.begin(), cluster.end(), [&](QChar ch) {
                       return table[ch.unicode()] >= 0;
                   })) {
            input.text += cluster;
        } else {
            if (input.refused++ == 0)
                input.firstRefused = cluster.toString();
        }
    }
    return input;
}

QString toClipboardText(QStringView paneText) {
    QString text = paneText.toString();
    for (QChar &ch : text)
        if (ch == lineBreak || ch.unicode() == paragraphSeparator)
            ch = QLatin1Char('\n');
    return text;
}

QString toDisplayText(QByteArrayView bytes) {
    return decodeLines(bytes, u'\n');
}

void appendDisplayUtf8(QByteArray &out, QByteArrayView bytes) {
    // Each byte's character in UTF-8, in a slot of four so that a copy is one
    // fixed-width store; the length says how much of it counts.
    struct Utf8 {
        char text[4];
        std::uint8_t size;
    };
    static const auto table = [] {
        std::array<Utf8, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QByteArray utf8 = QString(QChar(byteToChar[b])).toUtf8();
            std::memcpy(t[b].text, utf8.constData(), std::size_t(utf8.size()));
            t[b].size = std::uint8_t(utf8.size());
        }
        return t;
    }();
    const qsizetype n = bytes.size();
    const qsizetype start = out.size();
    out.resize(start + 4 * n);
    char *o = out.data() + start;
    const auto *in = reinterpret_cast<const unsigned char *>(bytes.data());
    for (qsizetype i = 0; i < n; ++i) {
        if (crlf::pairAt(bytes, i)) {
            *o++ = '\n';
            ++i;
            continue;
        }
        const Utf8 &c = table[in[i]];
        std::memcpy(o, c.text, 4);
        o += c.size;
    }
    out.truncate(o - out.constData());
}

QString toDisplayText(QByteArrayView bytes, QList<quint32> &offsets) {
    QString text = decodeLines(bytes, u'\n');
    if (text.size() == bytes.size())
        return text;
    // Every CR LF pair before an offset moves it back by one.
    quint32 pairs = 0;
    qsizetype i = 0;
    for (quint32 &offset : offsets) {
        for (; qsizetype(i) + 1 < qsizetype(offset); ++i) {
            if (crlf::pairAt(bytes, i)) {
                ++pairs;
                ++i;
            }
        }
        offset -= pairs;
    }
    return text;
}

} // namespace cp1251
