#pragma once

#include "panestyles.h"
#include "tokenlayout.h"

#include <QColor>
#include <functional>

class QPainter;
class QPalette;

// Draws the rows of a token view as its layout placed them: the
// selection's background, the marks behind marked bytes, and the
// characters in their fonts and colours, those of one style and selection
// state that stand where their advances put them in one go.
class TokenRowPainter {
public:
    // Whether the byte that token k shows is marked.
    using TokenMarks = std::function<bool(qint64 token)>;

    TokenRowPainter(QPainter &painter, const PaneStyles &styles, const QPalette &palette,
                    bool active, qreal scrollX, int rowHeight, qreal ascent);

    // Tokens in [selectedFrom, selectedTo) show selected; marked, if given,
    // says which tokens to mark.
    void setSelection(TokenPlace from, TokenPlace to) { selFrom = from, selTo = to; }
    void setMarks(TokenMarks marked) { marks = std::move(marked); }

    // The row whose top stands at top in the viewport.
    void paint(const TokenLayout::Row &row, qreal top);

private:
    // Behind the characters of each marked byte outside the selection [a, b)
    // of the row's cells.
    void paintMarks(const TokenLayout::Row &row, qsizetype a, qsizetype b, qreal top);
    void paintText(const TokenLayout::Row &row, qsizetype a, qsizetype b, qreal top);

    QPainter &painter;
    const PaneStyles &styles;
    QColor highlight;
    QColor highlightedText;
    QColor textColor;
    QColor markColor;
    qreal scrollX;
    int height;
    qreal baseline;
    TokenPlace selFrom;
    TokenPlace selTo;
    TokenMarks marks;
    QString run;
};
