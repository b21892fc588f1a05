#pragma once

#include "views.h"

#include <QAbstractScrollArea>
#include <QFontMetricsF>
#include <QTextCharFormat>
#include <QTimer>
#include <QVarLengthArray>
#include <memory>
#include <vector>

// A read-only pane for the text of a byte view or listing. The text is a row
// of tokens (one per byte, see views.h) and rows break only between tokens,
// so a number or a name is never cut; the pane's text stays exactly the
// view's text. Rows either wrap at the pane's width or hold a fixed number
// of tokens each. Only the rows in sight are drawn, from per-character
// advances cached per font, so a listing of millions of characters shows at
// once. Selection by mouse and keys, copy, and fonts per range as the Font
// command sets them.
class TokenView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // What the pane shows: which view of which bytes of the document.
    struct Source {
        qint64 offset = -1; // of the first byte, -1 when not known
        qint64 length = 0;  // in bytes
        views::View view = nullptr;
    };

    explicit TokenView(QWidget *parent = nullptr);
    ~TokenView() override;

    // Content.
    void clear();
    // Appends a text whose k-th token ends at ends[k] (relative to text).
    void appendTokens(const QString &text, const views::TokenEnds &ends, const Source &source);
    void appendTokens(const QString &text, const views::TokenEnds &ends);
    // A plain text, every character a token of its own.
    void setPlainText(const QString &text);
    QString toPlainText() const { return content; }
    bool isEmpty() const { return content.isEmpty(); }
    const Source &source() const { return shown; }
    // Gives token k a new text; the text after it moves along.
    void replaceToken(qsizetype k, const QString &text);
    // The same view of the same bytes anew: the fonts by position, the
    // cursor and the rows in sight stay where they still fit.
    void resetTokens(const QString &text, const views::TokenEnds &ends);

    qsizetype tokenCount() const { return qsizetype(ends.size()); }
    qsizetype tokenStart(qsizetype k) const { return k <= 0 ? 0 : ends[k - 1]; }
    qsizetype tokenEnd(qsizetype k) const { return ends[k]; }
    // The token holding the character at position (the last one at the end).
    qsizetype tokenAt(qsizetype position) const;

    // Rows: 0 wraps at the pane's width, n > 0 puts n tokens in each row.
    void setTokensPerRow(int n);
    int tokensPerRow() const { return perRow; }
    qsizetype rowCount() const;
    qsizetype rowStart(qsizetype row) const;
    qsizetype rowOf(qsizetype position) const;
    int rowHeight() const;
    // The height of a row in the pane's fonts alone.
    int naturalRowHeight() const;
    // Rows at least this high, so two panes side by side can line up.
    void setMinimumRowHeight(int height);
    qsizetype firstVisibleRow() const;

    // Selection and cursor, in characters of the text.
    qsizetype cursorPosition() const { return position; }
    qsizetype anchorPosition() const { return anchor; }
    qsizetype selectionStart() const { return qMin(anchor, position); }
    qsizetype selectionEnd() const { return qMax(anchor, position); }
    bool hasSelection() const { return anchor != position; }
    QString selectedText() const;
    void setSelection(qsizetype anchor, qsizetype position);
    void selectAll();
    void copy() const;
    // Scrolls so the row of position is in sight.
    void ensureVisible(qsizetype position);
    // The caret's place before position, in viewport coordinates.
    QRectF positionRect(qsizetype position) const;
    qsizetype positionAt(const QPointF &viewportPoint) const;

    // The Font command: merges format into the selection's fonts and colour,
    // or into the insertion point's when nothing is selected. Text appended
    // later takes the insertion point's format.
    void mergeCurrentCharFormat(const QTextCharFormat &format);
    QTextCharFormat charFormatAt(qsizetype position) const;

signals:
    void selectionChanged();
    void cursorPositionChanged();
    // The text was replaced or cleared (not a single token).
    void contentReset();
    // Rows, row height or the places of characters changed.
    void layoutChanged();

protected:
    struct Style {
        QFont font;
        QColor color; // invalid: the palette's text colour
        QFontMetricsF metrics;
        mutable std::unique_ptr<float[]> advances; // per UTF-16 unit, < 0 until measured
        Style(const QFont &font, const QColor &color);
        // Laying out a long text asks this for every character.
        float advance(char16_t ch) const {
            if (advances && advances[ch] >= 0)
                return advances[ch];
            return measure(ch);
        }
        float measure(char16_t ch) const;
    };

    // Left edge of the text (after any margin), before horizontal scrolling.
    virtual qreal textLeft() const;
    // The x of every character of a row and of its end, without scrolling.
    virtual void placeRow(qsizetype row, QVarLengthArray<qreal, 256> &xs) const;
    // Whole width of the content, for horizontal scrolling.
    virtual qreal contentWidth() const;
    // Draws what stands left of a row (nothing here).
    virtual void paintRowMargin(QPainter &painter, qsizetype row, const QRectF &rowRect);
    // Called when the layout was computed anew.
    virtual void layoutUpdated() const {}

    const Style &styleAt(qsizetype position) const;
    // The styles the text and the insertion point use.
    std::vector<const Style *> stylesInUse() const;
    qreal rowTop(qsizetype row) const;
    qreal baseline() const { return ascent; }
    void ensureLayout() const;
    void invalidateLayout();
    void moveCursorTo(qsizetype anchor, qsizetype position, bool scroll);
    void setCaretVisible(bool on);

    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

    // A cursor move by keys; select extends the selection.
    enum class Move {
        Left,
        Right,
        WordLeft,
        WordRight,
        Up,
        Down,
        RowStart,
        RowEnd,
        Start,
        End,
        PageUp,
        PageDown
    };
    virtual void moveCursor(Move move, bool select);
    // The position a move by keys leads to from position.
    qsizetype movedPosition(qsizetype from, Move move) const;
    // A press (extend false) or a drag (extend true) of the mouse.
    virtual void mouseSelect(const QPointF &viewportPoint, bool extend);
    virtual void mouseSelectToken(const QPointF &viewportPoint);

    QString content;
    std::vector<quint32> ends;

private:
    struct Run {
        qsizetype start;
        int style;
    };

    void addTokens(const QString &text, const views::TokenEnds &ends);
    int addStyle(const QFont &font, const QColor &color);
    int mergedStyle(int style, const QTextCharFormat &format);
    void splitRunAt(qsizetype position);
    void joinRuns();
    void setRunsForAppend(qsizetype from, qsizetype to);
    void computeLayout() const;
    void wrapRows(qreal width) const;
    void updateScrollBars() const;
    qsizetype visibleRows() const;
    void dragScroll();

    std::vector<std::unique_ptr<Style>> styles;
    std::vector<Run> runs;
    int insertionStyle = 0;
    Source shown;
    int perRow = 0;
    int minimumRowHeight = 0;

    // Laid out on demand.
    mutable bool layoutDirty = true;
    bool layoutQueued = false;
    mutable std::vector<quint32> rowStarts; // wrap mode
    mutable qreal ascent = 0;
    mutable int rowPixels = 0;
    mutable qreal contentPixels = 0;
    mutable int laidOutWidth = -1;

    qsizetype anchor = 0;
    qsizetype position = 0;
    qreal preferredX = -1; // kept over Up/Down moves
    bool caretOn = false;
    QTimer caretTimer;
    QTimer dragTimer;
    QPoint lastDragPoint;
};
