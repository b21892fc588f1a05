#pragma once

#include "panecontent.h"
#include "panestyles.h"

#include <QPointF>
#include <QVarLengthArray>
#include <vector>

// Where a display pane's characters stand: the rows of its content and the
// place of every character in a row, in the pane's own coordinates before
// scrolling (x from the pane's left edge, y from its top; row r starts at
// margin + r * rowHeight()). Rows are made one of three ways:
//  - wrapped at a width: a row breaks between tokens only (or inside a token
//    wider than the whole row), and after a line break; the start of every
//    16th row is kept, and the rows between are wrapped again from it when
//    asked for, so a listing of millions of rows costs half a byte a row;
//  - a fixed number of tokens a row, the characters at their advances;
//  - a fixed number of tokens a row in fixed columns, for tokens of one
//    length: each character of a token in a cell as wide as the widest
//    character any token has at that place in any of the fonts in use, so
//    the columns stand still under a ruler (the hex dump's digits and
//    spaces) and a text column keeps one even cell a byte.
// The fixed ways keep nothing per row, whatever the content's size.
class TokenLayout {
public:
    // Room around the text, as a text document keeps by default.
    static constexpr qreal margin = 4;

    struct Cell {
        TokenPlace place;
        qreal x = 0;
        char16_t ch = 0;
        int style = 0;
    };
    struct Row {
        TokenPlace start;
        TokenPlace end; // the next row's start
        QVarLengthArray<Cell, 256> cells;
        qreal endX = 0; // after the last character
        bool endsWithBreak() const { return !cells.isEmpty() && cells.back().ch == u'\n'; }
    };

    TokenLayout(const PaneContent &content, const PaneStyles &styles);

    // 0 wraps at the width; n > 0 puts n tokens in each row.
    void setTokensPerRow(int n);
    int tokensPerRow() const { return perRow; }
    // Fixed columns, while rows hold a fixed number of tokens of one length.
    void setColumns(bool on);
    bool inColumns() const;
    // The pane's width, margins included; rows wrap within it.
    void setWidth(qreal width);
    // Where the text starts, after anything drawn left of it.
    void setTextLeft(qreal left);
    qreal textLeft() const { return left; }
    void setMinimumRowHeight(int height);
    // The content or the fonts changed: worked out anew when next asked.
    void invalidate();
    // Tokens [first, first + removed) became [first, first + added).
    void tokensChanged(qint64 first, qint64 removed, qint64 added);

    int rowHeight() const;
    // The height of a row in the fonts alone.
    int naturalRowHeight() const;
    qreal ascent() const;
    qint64 rowCount() const;
    // The first place of a row; the content's end from rowCount() on.
    TokenPlace rowStart(qint64 row) const;
    qint64 rowOf(TokenPlace place) const;
    qreal rowTop(qint64 row) const { return margin + qreal(row) * rowHeight(); }
    void placeRow(qint64 row, Row &out) const;

    // The caret's top left before place.
    QPointF pointOf(TokenPlace place) const;
    // The place nearest to a point: the character boundary closest in its row.
    TokenPlace placeAt(const QPointF &point) const;
    // The character whose cell holds a point: the first of its row left of
    // the row, the row's end (its line break) right of it.
    TokenPlace characterAt(const QPointF &point) const;
    // How wide the content is, for scrolling across.
    qreal contentWidth() const;

    // Fixed columns: a token's pitch, and the cell of its first character
    // (a hex digit's).
    qreal columnPitch() const;
    qreal digitCell() const;
    // The middle of the second character of column k.
    qreal columnCentre(int k) const;

private:
    void ensure() const;
    // Wraps rows from a row's start: newRow(start) for each next row, until
    // it returns false or the content ends.
    template <class NewRow> void wrap(TokenPlace start, NewRow &&newRow) const;
    void wrapRows() const;
    // The starts of the rows from checkpoint b on, one block of them.
    void wrapBlock(qint64 b) const;
    qreal widestFixedRow() const;
    void measureCells() const;
    // The row at y, clamped to the rows.
    qint64 rowAt(qreal y) const;
    // The place of the first character of a row whose cell reaches past x
    // (its whole cell, or half of it), else the row's end.
    TokenPlace hit(const QPointF &point, bool wholeCell) const;
    static quint64 pack(TokenPlace place) {
        return quint64(place.token) << 8 | quint8(place.offset);
    }
    static TokenPlace unpack(quint64 packed) { return {qint64(packed >> 8), int(packed & 0xFF)}; }

    const PaneContent &content;
    const PaneStyles &styles;
    int perRow = 0;
    bool columns = false;
    qreal width = 0;
    qreal left = margin;
    int minimumRowHeight = 0;

    mutable bool dirty = true;
    mutable int rowPixels = 1;
    mutable qreal rowAscent = 0;
    // Fixed columns: the cell of each character of a token, and their sum.
    mutable QVarLengthArray<qreal, 4> cells;
    mutable qreal pitch = 0;
    mutable qreal widest = -1; // fixed rows, measured when asked
    // Wrapped rows: how many, and the start of every rowsPerCheckpoint-th
    // row, token and offset in one number.
    static constexpr qint64 rowsPerCheckpoint = 16;
    mutable qint64 wrappedRows = 1;
    mutable std::vector<quint64> checkpoints;
    // The starts of rows [b * rowsPerCheckpoint, (b + 1) * rowsPerCheckpoint]
    // of the block asked for last.
    mutable qint64 wrappedBlock = -1;
    mutable std::vector<TokenPlace> blockRows;
};
