#pragma once

#include "bytemarks.h"
#include "glyphstyle.h"
#include "rowlayout.h"

class QPainter;

// Draws the input pane's rows as its layout placed them: the selection's
// background (a selected line break as a space's width), the marks behind
// marked bytes, the glyphs of one font, colour and selection state in one
// run with the lines of underlined and struck out styles under them, and a
// dotted leader where the layout cut a long line short.
class InputRowPainter {
public:
    InputRowPainter(QPainter &painter, const RowLayout &rows, const GlyphStyles &styles,
                    const QPalette &palette, bool active, qreal left, qreal ascent);

    void setSelection(qint64 start, qint64 end) { selStart = start, selEnd = end; }
    void setMarks(const ByteMarks &marks) { marked = &marks; }

    // Row index, its rectangle in the viewport the whole width of it.
    void paint(qint64 index, const QRectF &rect);

private:
    void paintGlyphs(const RowLayout::Row &row, const QRectF &rect);

    QPainter &painter;
    const RowLayout &rows;
    const GlyphStyles &styles;
    const QPalette &palette;
    QPalette::ColorGroup group;
    qreal left;
    qreal ascent;
    qint64 selStart = 0;
    qint64 selEnd = 0;
    const ByteMarks *marked = nullptr;
};
