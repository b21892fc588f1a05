#pragma once

#include "bytemarks.h"
#include "caretblink.h"
#include "caretmove.h"
#include "document/byteselection.h"
#include "dragscroll.h"
#include "panecontent.h"
#include "panestyles.h"
#include "paneview.h"
#include "tokenlayout.h"

#include <QPointer>
#include <QTextCharFormat>

class ByteDocument;

// A read-only pane for byte views and listings. It keeps the bytes it shows
// (a snapshot, or a live range of the document) and the views' tables, not
// their text: each row's tokens are made from the bytes when the row is
// drawn. Rows break only between tokens, so a number or a name is never
// cut; they either wrap at the pane's width or hold a fixed number of tokens
// each. Selection by mouse and keys, copy, and fonts per range as the Font
// command sets them. Positions are counted in characters of the pane's text
// as a text widget counts them; places (token and character in it) name the
// same spots without counting the text before them.
class TokenView : public PaneView {
    Q_OBJECT

public:
    using Source = PaneContent::Source;

    explicit TokenView(QWidget *parent = nullptr);
    ~TokenView() override;

    // Content: views of bytes, each appended after the last.
    void clear();
    // The view of bytes, a snapshot: later edits of the document leave it as
    // it is. The bytes stand at documentOffset in the document (-1 when not
    // known).
    void append(views::View view, const PieceTable &bytes, qint64 documentOffset = -1);
    // The view of the document's bytes from offset on, at most length of
    // them, as they are: an edit shows at once. It replaces the content.
    void follow(views::View view, const ByteDocument *document, qint64 offset,
                qint64 length = PieceTable::toEnd);
    // The range shown took other bytes: the same view of them. Fonts, caret
    // and the rows in sight stay where they still fit. False when the
    // bytes were the same.
    bool replaceBytes(const PieceTable &bytes);
    // A followed content keeps what it shows now and follows no more.
    void freeze();

    // While the pane follows a range of the document's bytes one token a
    // byte, its selection is the document's selection where that falls in
    // the range: token k stands for byte offset + k. The pane keeps no copy
    // of it: a selection made here (whole tokens) is made in the document,
    // one made elsewhere shows here and scrolls its caret into sight, and
    // the part of it outside the range shows nothing (the caret stands at
    // the range's nearer end). When dropped (the content is cleared,
    // appended to or followed anew) the pane keeps what it showed.
    void shareSelection(ByteSelection *selection);
    ByteSelection *sharedSelection() const { return shared; }

    // Bytes to mark (differences from a compared file), asked for each byte
    // of a followed range the pane paints, by its document offset; an empty
    // function marks none.
    void setMarkedBytes(ByteMarks marked);

    const PaneContent &content() const { return text; }
    Source source() const { return text.source(); }
    bool isEmpty() const { return text.isEmpty(); }
    // The pane's whole text, made from its bytes.
    QString toPlainText() const { return text.text(); }

    // Tokens, with their places in characters.
    qsizetype tokenCount() const { return text.tokenCount(); }
    qsizetype tokenStart(qsizetype k) const { return text.charOf({k, 0}); }
    qsizetype tokenEnd(qsizetype k) const { return text.charOf({k + 1, 0}); }
    // The token holding the character at position (the last one at the end).
    qsizetype tokenAt(qsizetype position) const;

    // Rows: 0 wraps at the pane's width, n > 0 puts n tokens in each row.
    void setTokensPerRow(int n);
    // In rows of n tokens of one length, each character in a cell of a fixed
    // column (TokenLayout's fixed columns).
    void setColumns(bool on);
    int tokensPerRow() const { return rows.tokensPerRow(); }
    qsizetype rowCount() const { return layout().rowCount(); }
    qsizetype rowStart(qsizetype row) const { return text.charOf(layout().rowStart(row)); }
    qsizetype rowOf(qsizetype position) const { return layout().rowOf(text.placeOf(position)); }
    int rowHeight() const { return layout().rowHeight(); }
    // The height of a row in the pane's fonts alone.
    int naturalRowHeight() const { return layout().naturalRowHeight(); }
    // Rows at least this high, so two panes side by side can line up.
    void setMinimumRowHeight(int height);
    qsizetype firstVisibleRow() const;
    // Whole rows that fit in the viewport, at least one.
    qsizetype visibleRows() const;
    // The rows as they stand at the pane's width and fonts.
    const TokenLayout &layout() const;

    // Selection and cursor, in characters of the text.
    qsizetype cursorPosition() const { return text.charOf(cursorPlace()); }
    qsizetype selectionStart() const { return text.charOf(selectionFrom()); }
    qsizetype selectionEnd() const { return text.charOf(selectionTo()); }
    bool hasSelection() const { return anchorPlace() != cursorPlace(); }
    QString selectedText() const { return text.text(selectionFrom(), selectionTo()); }
    void setSelection(qsizetype anchor, qsizetype position);
    void selectAll();
    void copy();
    // Scrolls so the row of position is in sight.
    void ensureVisible(qsizetype position);
    // The caret's place before position, in viewport coordinates.
    QRectF positionRect(qsizetype position) const;
    qsizetype positionAt(const QPointF &viewportPoint) const;
    // The character whose cell holds a point (TokenLayout::characterAt).
    qsizetype characterAt(const QPointF &viewportPoint) const;

    // The same by places, and by whole tokens.
    TokenPlace cursorPlace() const { return places().second; }
    TokenPlace anchorPlace() const { return places().first; }
    void setSelection(TokenPlace anchor, TokenPlace cursor, bool scroll = false);
    // Tokens [first, last) selected; the cursor before token first when
    // last is first.
    void selectTokens(qint64 first, qint64 last, bool scroll = false);
    // The tokens the selection touches, [first, last); the cursor's token
    // twice without a selection.
    std::pair<qint64, qint64> selectedTokens() const;
    void ensureVisible(TokenPlace place);
    QRectF placeRect(TokenPlace place) const;
    TokenPlace placeAt(const QPointF &viewportPoint) const;

    // The Font command: merges format into the selection's fonts and colour,
    // or into the insertion point's when nothing is selected. Text appended
    // later takes the insertion point's format.
    void mergeCurrentCharFormat(const QTextCharFormat &format);
    QTextCharFormat charFormatAt(qsizetype position) const;
    // The characters around position that share its format, [first, second).
    std::pair<qsizetype, qsizetype> formatRange(qsizetype position) const;

signals:
    void selectionChanged();
    void cursorPositionChanged();
    // The text was replaced, appended to or cleared (not by replaceBytes()).
    void contentReset();
    // Rows, row height or the places of characters changed.
    void layoutChanged();

protected:
    // Where the text starts: after the margin and anything drawn left of it.
    virtual qreal textLeft() const;
    // Draws what stands left of a row (nothing here).
    virtual void paintRowMargin(QPainter &painter, qsizetype row, const QRectF &rowRect);
    // The layout was worked out anew (fonts, content or width changed).
    virtual void layoutUpdated() {}

    TokenLayout &mutableLayout() { return rows; }
    void ensureLayout() const;
    void invalidateLayout();
    // Viewport and layout coordinates.
    QPointF toLayout(const QPointF &viewportPoint) const;
    qreal rowTopInViewport(qsizetype row) const;
    void moveCursorTo(TokenPlace anchor, TokenPlace caret, bool scroll);
    TokenPlace selectionFrom() const { return qMin(anchorPlace(), cursorPlace()); }
    TokenPlace selectionTo() const { return qMax(anchorPlace(), cursorPlace()); }

    // Copy and select all.
    bool ownsShortcut(const QKeyEvent *key) const override;

    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

    // A cursor move by keys; select extends the selection.
    using Move = CaretMove;
    virtual void moveCursor(Move move, bool select);
    // The place a move by keys leads to from place.
    TokenPlace movedPlace(TokenPlace from, Move move) const;
    // A press (extend false) or a drag (extend true) of the mouse.
    virtual void mouseSelect(const QPointF &viewportPoint, bool extend);
    virtual void mouseSelectToken(const QPointF &viewportPoint);

    PaneContent text;
    PaneStyles styles;

private:
    void documentChanged(qint64 offset, qint64 removed, qint64 added);
    void dropFollowing();
    // The anchor and the caret shown: the document's selection in tokens of
    // the range followed while the pane shares it, else the pane's own.
    std::pair<TokenPlace, TokenPlace> places() const;
    std::pair<TokenPlace, TokenPlace> sharedPlaces() const;
    void writeShared(TokenPlace anchor, TokenPlace caret);
    void sharedMoved();
    // Repaints and tells listeners and assistive technology of a move.
    void selectionShown(bool selectionMoved, bool cursorMoved);
    bool applyChange(const PaneContent::TokenChange &change);
    void updateScrollBars() const;
    void repaintCaret() override;
    void dragTo(const QPointF &point) override;
    void fontChanged() override;
    void mouseDragged(const QMouseEvent *event) override;
    // Tells assistive technology of a change of the text.
    void announce(qint64 position, qint64 removedChars, qint64 addedChars) const;

    TokenLayout rows;
    int minimumRowHeight = 0;
    QList<QMetaObject::Connection> followConnections;
    QPointer<ByteSelection> shared;
    QMetaObject::Connection sharedConnection;
    // The document counts whole bytes: the places inside tokens that the
    // pane's own last move chose (a nibble of the hex pane, a part of a
    // name), shown while the document's selection is the one it made.
    struct Refined {
        qint64 anchorAt = -1;
        qint64 caretAt = -1;
        TokenPlace anchor;
        TokenPlace caret;
    } refined;
    // Set while the pane moves the shared selection itself: a move it makes
    // scrolls only where it asks to.
    bool ownChange = false;
    ByteMarks markedBytes;

    mutable bool layoutDirty = true;
    bool layoutQueued = false;

    // The pane's selection while it shares none.
    TokenPlace ownAnchor;
    TokenPlace ownCaret;
    qreal preferredX = -1; // kept over Up/Down moves
};
