#include "tokenrowpainter.h"

#include "bytemarks.h"

#include <QPainter>
#include <QPalette>

TokenRowPainter::TokenRowPainter(QPainter &painter, const PaneStyles &styles,
                                 const QPalette &palette, bool active, qreal scrollX, int rowHeight,
                                 qreal ascent)
    : painter(painter), styles(styles), scrollX(scrollX), height(rowHeight), baseline(ascent) {
    const QPalette::ColorGroup group = active ? QPalette::Active : QPalette::Inactive;
    highlight = palette.color(group, QPalette::Highlight);
    highlightedText = palette.color(group, QPalette::HighlightedText);
    textColor = palette.color(group, QPalette::Text);
    markColor = byteMarkColor(palette);
}

void TokenRowPainter::paint(const TokenLayout::Row &row, qreal top) {
    const auto &cells = row.cells;
    // The selection's background, a line break's included.
    qsizetype a = 0;
    while (a < cells.size() && cells[a].place < selFrom)
        ++a;
    qsizetype b = a;
    while (b < cells.size() && cells[b].place < selTo)
        ++b;
    if (a < b) {
        qreal right = b < cells.size() ? cells[b].x : row.endX;
        if (cells[b - 1].ch == u'\n')
            right += styles.style(cells[b - 1].style).advance(u' ');
        painter.fillRect(QRectF(cells[a].x - scrollX, top, right - cells[a].x, height), highlight);
    }
    if (marks)
        paintMarks(row, a, b, top);
    paintText(row, a, b, top);
}

// A token's characters are marked, but not the spaces that part it from the
// next (a byte that is a space itself is marked).
void TokenRowPainter::paintMarks(const TokenLayout::Row &row, qsizetype a, qsizetype b, qreal top) {
    const auto &cells = row.cells;
    qint64 token = -1;
    bool marked = false;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const TokenLayout::Cell &cell = cells[i];
        if (cell.place.token != token) {
            token = cell.place.token;
            marked = marks(token);
        }
        if (!marked || (i >= a && i < b) || cell.ch == u'\n' ||
            (cell.ch == u' ' && cell.place.offset > 0))
            continue;
        const qreal right = i + 1 < cells.size() ? cells[i + 1].x : row.endX;
        painter.fillRect(QRectF(cell.x - scrollX, top, right - cell.x, height), markColor);
    }
}

void TokenRowPainter::paintText(const TokenLayout::Row &row, qsizetype a, qsizetype b, qreal top) {
    const auto &cells = row.cells;
    qsizetype i = 0;
    while (i < cells.size()) {
        if (cells[i].ch == u'\n') {
            ++i;
            continue;
        }
        const int style = cells[i].style;
        const PaneStyles::Style &shown = styles.style(style);
        const bool selected = i >= a && i < b;
        qsizetype j = i + 1;
        while (j < cells.size() && cells[j].ch != u'\n' && cells[j].style == style &&
               (j >= a && j < b) == selected &&
               qAbs(cells[j].x - cells[j - 1].x - shown.advance(cells[j - 1].ch)) < 0.01)
            ++j;
        run.resize(j - i);
        for (qsizetype k = i; k < j; ++k)
            run[k - i] = QChar(cells[k].ch);
        painter.setFont(shown.font());
        painter.setPen(selected ? highlightedText
                                : (shown.color().isValid() ? shown.color() : textColor));
        painter.drawText(QPointF(cells[i].x - scrollX, top + baseline), run);
        i = j;
    }
}
