#include "rowpredictor.h"

#include "cp1251codec.h"

#include <QFontMetricsF>
#include <QTextBoundaryFinder>
#include <algorithm>

namespace {

constexpr unsigned char softHyphen = 0xAD;

int fixedPoint(qreal pixels) {
    return qRound(pixels * 64);
}

} // namespace

RowPredictor::RowPredictor(const QFont &font, qreal width)
    : usedFont(font), usedWidth(width), lineWidth(fixedPoint(width)) {
    const QFontMetricsF metrics(font);
    byteOfChar.fill('?');
    for (int b = 0; b < 256; ++b) {
        const QChar ch = cp1251::toChar(static_cast<unsigned char>(b));
        byteOfChar[ch.unicode()] = static_cast<unsigned char>(b);
        advance[b] = fixedPoint(metrics.horizontalAdvance(ch));
        overhang[b] = std::max(0, fixedPoint(-metrics.rightBearing(ch)));
        QTextBoundaryFinder lines(QTextBoundaryFinder::Line, QStringLiteral("a\u00AD") + ch);
        lines.setPosition(2);
        breakAfterSoftHyphen[b] = lines.isAtBoundary();
    }
    softHyphenWidth = advance[softHyphen];
    advance[softHyphen] = 0;
    overhang[softHyphen] = 0;
}

qsizetype RowPredictor::rowEnd(QStringView text, qsizetype from) const {
    const qsizetype n = text.size();
    int width = 0;
    int spaces = 0;
    bool filled = false;
    qsizetype i = from;
    while (i < n) {
        const QChar ch = text[i];
        if (ch == cp1251::lineBreak)
            return i + 1;
        if (ch == u' ') {
            while (i < n && text[i] == u' ') {
                spaces += advance[' '];
                ++i;
            }
            if (spaces > lineWidth)
                return i;
            continue;
        }
        const unsigned char b = byteOf(ch);
        int needed = advance[b] + overhang[b];
        if (b == softHyphen) {
            // At the end of the text or before a line separator (which is a
            // run of its own) the hyphen shows too.
            const bool breakable = i + 1 == n || text[i + 1] == cp1251::lineBreak ||
                                   breakAfterSoftHyphen[byteOf(text[i + 1])];
            needed = breakable ? softHyphenWidth : 0;
        }
        if (filled && width + spaces + needed > lineWidth)
            return i;
        width += spaces + advance[b];
        spaces = 0;
        filled = true;
        ++i;
    }
    return n;
}

int RowPredictor::rowCount(QStringView text) const {
    int rows = 1;
    for (qsizetype at = rowEnd(text, 0); at < text.size(); at = rowEnd(text, at))
        ++rows;
    // A line break at the end leaves an empty row after it.
    if (!text.isEmpty() && text.back() == cp1251::lineBreak)
        ++rows;
    return rows;
}
