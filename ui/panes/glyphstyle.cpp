#include "glyphstyle.h"

#include "codepages/cp1251codec.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>
#include <cmath>

QChar GlyphStyle::shownChar(unsigned char byte) {
    return byte == 0xAD ? QLatin1Char('-') : cp1251::toChar(byte);
}

GlyphStyle::GlyphStyle(const QFont &font, const QColor &color)
    : usedFont(unkerned(font)), usedColor(color) {
    const QFontMetricsF metrics(usedFont);
    fontAscent = metrics.ascent();
    fontDescent = metrics.descent();
    lines = {metrics.underlinePos(), -metrics.strikeOutPos(), -metrics.overlinePos(),
             std::max<qreal>(1, metrics.lineWidth())};
    // Each character laid out alone, as Qt would draw it: the glyph and the
    // font that has it, the primary one or a fallback.
    for (int b = 0; b < 256; ++b) {
        QTextLayout layout(QString(shownChar(static_cast<unsigned char>(b))), usedFont);
        layout.beginLayout();
        const QTextLine line = layout.createLine();
        layout.endLayout();
        const qreal width = line.isValid() ? line.horizontalAdvance() : 0;
        // Every byte takes room, so every caret position is a place of its own.
        advance[b] = std::max<qint32>(64, qint32(std::lround(width * 64)));
        const QList<QGlyphRun> runs = layout.glyphRuns();
        if (runs.isEmpty() || runs.front().glyphIndexes().isEmpty())
            continue;
        const QRawFont raw = runs.front().rawFont();
        std::size_t index = 0;
        while (index < fonts.size() && !(fonts[index] == raw))
            ++index;
        if (index == fonts.size())
            fonts.push_back(raw);
        glyphs[b] = {runs.front().glyphIndexes().front(), quint8(index), true};
    }
}

std::vector<const ByteAdvances *> GlyphStyles::advanceTables() const {
    std::vector<const ByteAdvances *> tables;
    tables.reserve(std::size_t(count()));
    for (int style = 0; style < count(); ++style)
        tables.push_back(&at(style).advances());
    return tables;
}
