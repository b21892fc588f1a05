#include "glyphstyle.h"

#include "cp1251codec.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QTextLayout>
#include <cmath>

namespace {

// Measuring and drawing must agree glyph by glyph: no kerning.
QFont unkerned(QFont font) {
    font.setKerning(false);
    return font;
}

} // namespace

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

GlyphStyles::GlyphStyles(const QFont &paneFont) {
    styles.push_back(std::make_unique<GlyphStyle>(paneFont, QColor()));
    tables.push_back(&styles.back()->advances());
}

int GlyphStyles::styleOf(const QFont &font, const QColor &color) {
    const QFont wanted = unkerned(font);
    for (std::size_t i = 0; i < styles.size(); ++i) {
        if (styles[i]->font() == wanted && styles[i]->color() == color)
            return int(i);
    }
    styles.push_back(std::make_unique<GlyphStyle>(wanted, color));
    tables.push_back(&styles.back()->advances());
    return int(styles.size()) - 1;
}

QTextCharFormat GlyphStyles::format(int style) const {
    QTextCharFormat format;
    format.setFont(at(style).font());
    if (at(style).color().isValid())
        format.setForeground(at(style).color());
    return format;
}

int GlyphStyles::merged(int style, const QTextCharFormat &change) {
    QTextCharFormat merged = format(style);
    merged.merge(change);
    const QColor color =
        merged.hasProperty(QTextFormat::ForegroundBrush) ? merged.foreground().color() : QColor();
    return styleOf(merged.font().resolve(at(0).font()), color);
}

void GlyphStyles::setPaneFont(const QFont &font) {
    styles[0] = std::make_unique<GlyphStyle>(font, QColor());
    tables[0] = &styles[0]->advances();
}
