#include "inputrowpainter.h"

#include <QGlyphRun>
#include <QPainter>
#include <algorithm>

namespace {

qreal pixels(qint32 fixed) {
    return fixed / 64.0;
}

} // namespace

InputRowPainter::InputRowPainter(QPainter &painter, const RowLayout &rows,
                                 const GlyphStyles &styles, const QPalette &palette, bool active,
                                 qreal left, qreal ascent)
    : painter(painter), rows(rows), styles(styles), palette(palette),
      group(active ? QPalette::Active : QPalette::Inactive), left(left), ascent(ascent) {}

void InputRowPainter::paint(qint64 rowIndex, const QRectF &rect) {
    const RowLayout::Row row = rows.row(rowIndex);

    // The selection's background, a selected line break as a space's width.
    const qint64 from = std::max(row.start, selStart);
    const qint64 to = std::min(row.end, selEnd);
    if (from < to || (selStart < row.start && selEnd > row.end)) {
        const qreal x1 = left + pixels(rows.xOf(row, from));
        qreal x2 = left + pixels(rows.xOf(row, std::min(to, row.textEnd())));
        if (row.lineBreak && to == row.end)
            x2 += pixels(rows.advancesOf(0)[' ']);
        painter.fillRect(QRectF(x1, rect.top(), x2 - x1, rect.height()),
                         palette.color(group, QPalette::Highlight));
    }
    if (marked && *marked) {
        const QColor mark = byteMarkColor(palette);
        rows.forEachGlyph(row, [&](qint64 at, unsigned char byte, int style, qint32 x) {
            if ((at < selStart || at >= selEnd) && (*marked)(at))
                painter.fillRect(QRectF(left + pixels(x), rect.top(),
                                        pixels(styles.at(style).advances()[byte]), rect.height()),
                                 mark);
        });
    }

    paintGlyphs(row, rect);

    // A row cut short where the layout was cut: a dotted leader to the edge
    // shows that the line goes on.
    if (rows.endsShort(rowIndex)) {
        const qreal x = left + pixels(rows.xOf(row, row.end)) + 2;
        const qreal y = rect.top() + rect.height() / 2;
        painter.setPen(QPen(palette.color(QPalette::Mid), 1, Qt::DotLine));
        painter.drawLine(QPointF(x, y), QPointF(rect.width() - left, y));
    }
}

// Glyphs of one font, colour and selection state go in one run; the lines
// of an underlined or struck out style run under all of them.
void InputRowPainter::paintGlyphs(const RowLayout::Row &row, const QRectF &rect) {
    const qreal baseline = rect.top() + ascent;
    QVarLengthArray<quint32, 256> indexes;
    QVarLengthArray<QPointF, 256> positions;
    int runStyle = -1;
    int runFont = -1;
    bool runSelected = false;
    qreal runLeft = 0;
    qreal runRight = 0;
    const auto flush = [&] {
        if (runStyle < 0)
            return;
        const GlyphStyle &style = styles.at(runStyle);
        const QColor color = runSelected ? palette.color(group, QPalette::HighlightedText)
                             : style.color().isValid() ? style.color()
                                                       : palette.color(group, QPalette::Text);
        if (!indexes.isEmpty()) {
            QGlyphRun glyphs;
            glyphs.setRawFont(style.rawFonts()[std::size_t(runFont)]);
            glyphs.setGlyphIndexes(QList<quint32>(indexes.begin(), indexes.end()));
            glyphs.setPositions(QList<QPointF>(positions.begin(), positions.end()));
            painter.setPen(color);
            painter.drawGlyphRun(QPointF(0, 0), glyphs);
        }
        const QFont &font = style.font();
        const GlyphStyle::Decoration &lines = style.decoration();
        for (const auto &[on, y] : {std::pair{font.underline(), lines.underline},
                                    std::pair{font.strikeOut(), lines.strikeOut},
                                    std::pair{font.overline(), lines.overline}}) {
            if (on)
                painter.fillRect(QRectF(runLeft, baseline + y, runRight - runLeft, lines.width),
                                 color);
        }
        indexes.clear();
        positions.clear();
    };
    rows.forEachGlyph(row, [&](qint64 at, unsigned char byte, int style, qint32 x) {
        const GlyphStyle &paneStyle = styles.at(style);
        const GlyphStyle::Glyph &glyph = paneStyle.glyph(byte);
        const bool isSelected = at >= selStart && at < selEnd;
        if (style != runStyle || glyph.font != runFont || isSelected != runSelected) {
            flush();
            runStyle = style;
            runFont = glyph.font;
            runSelected = isSelected;
            runLeft = left + pixels(x);
        }
        runRight = left + pixels(x + paneStyle.advances()[byte]);
        if (glyph.drawn) {
            indexes.append(glyph.index);
            positions.append(QPointF(left + pixels(x), baseline));
        }
    });
    flush();
}
