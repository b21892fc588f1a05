#pragma once

#include "base/bytetext.h"
#include "bytemarks.h"
#include "caretblink.h"
#include "caretmove.h"
#include "glyphstyle.h"
#include "paneview.h"
#include "rowlayout.h"
#include "styleruns.h"

#include <QPointer>
#include <QTextCharFormat>
#include <functional>
#include <memory>
#include <optional>

class ByteDocument;
class ByteSelection;
class InputPaneDrop;
class InputPaneEditing;
class InputPaneKeys;
class InputPaneMouse;

// The input pane: the document, drawn from its bytes, one glyph per byte
// (the cp1251 character, a visible stand-in for control bytes, 127 and
// 152), a CR LF pair as a line break, rows wrapped anywhere at the pane's
// width. The caret and the selection are the document's one selection, in
// byte offsets; here they never stand inside a CR LF pair (a selection made
// elsewhere that splits one shows the whole pair). Everything that changes
// the bytes goes through the document, which keeps the undo history; the
// pane keeps no copy of them. Keys, input methods, the clipboard and drops
// bring text in through cp1251::toPaneInput: what has no byte is left out
// and named in a notice at the pane's foot. The Font command's fonts and
// colours are kept per range of bytes and move with the edits.
//
// The pane lays out, paints and keeps the caret; input goes to one small
// controller a kind: a key press to InputPaneKeys (which decides what the
// key asks for, moves the caret itself and hands edits on), characters and
// the clipboard to InputPaneEditing, the mouse to InputPaneMouse, drags
// and drops to InputPaneDrop, the context menu to InputPaneMenu.
class InputPane : public PaneView {
    Q_OBJECT

public:
    InputPane(ByteDocument *document, ByteSelection *selection, QWidget *parent = nullptr);
    ~InputPane() override;

    ByteDocument *document() const { return doc; }
    ByteSelection *selection() const { return sel; }

    // The selection as this pane shows it: widened to whole CR LF pairs.
    struct Range {
        qint64 start = 0;
        qint64 end = 0;
    };
    Range shownSelection() const;
    ByteText selectedBytes() const;

    // Selects length bytes from offset and scrolls them into sight.
    void selectBytes(qint64 offset, qint64 length);
    // Scrolls the caret's row to the middle of the pane.
    void centerCaret();
    void selectAll();

    // Moves the selected bytes to offset, as a drag within the pane does:
    // one step that Ctrl+Z undoes; they stay selected.
    void moveSelectionTo(qint64 offset);

    void undo();
    void redo();
    void cut();
    void copy() const;
    void paste();

    // The Font command: merges the format into the fonts and colours of the
    // selection, or of the insertion point when nothing is selected (text
    // typed there next takes it).
    void mergeCurrentCharFormat(const QTextCharFormat &format);
    // The font and colour of the byte at offset.
    QTextCharFormat charFormatAt(qint64 offset) const;

    // Bytes to mark (differences from a compared file), asked for each byte
    // the pane paints; an empty function marks none.
    void setMarkedBytes(ByteMarks marked);

    // Geometry in viewport coordinates.
    QRect caretRect() const;
    QRectF byteRect(qint64 offset) const;
    // The caret position nearest to a point; upstream: at the end of its
    // row rather than at the start of the next.
    qint64 offsetAt(const QPointF &viewportPoint, bool *upstream = nullptr) const;
    // The byte whose glyph holds a point: the first of its row left of the
    // row, the row's text end right of it.
    qint64 byteAt(const QPointF &viewportPoint) const;
    qint64 firstVisibleRow() const;
    int rowHeight() const { return rowPixels; }
    const RowLayout &rowLayout() const { return layoutRows; }

signals:
    // Typed, pasted or dropped characters that have no byte were left out:
    // how many, and the first of them.
    void charactersRefused(const QString &first, qint64 count);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    // The controllers of input: each decides and runs what its events ask.
    friend class InputPaneAccessible;
    friend class InputPaneDrop;
    friend class InputPaneEditing;
    friend class InputPaneKeys;
    friend class InputPaneMenu;
    friend class InputPaneMouse;

    // Following the document and the selection.
    void documentChanged(qint64 offset, qint64 removed, qint64 added);
    void selectionChanged();
    void relayOut();
    void updateRowMetrics();
    void updateScrollBars();

    // The caret and the selection.
    void setSelection(qint64 anchor, qint64 caret, bool upstream = false);
    qint64 caret() const;
    qint64 caretRow() const;
    qint64 offsetInRow(qint64 row, qreal x, bool *upstream = nullptr) const;
    // The row at y in viewport coordinates, clamped to the rows.
    qint64 rowAt(qreal y) const;
    void ensureCaretVisible();
    qint64 visibleRows() const;
    // The style typed bytes take at the insertion point.
    int insertionStyle() const;

    // Painting.
    QRectF rowRect(qint64 row) const;
    qreal textLeft() const;
    void paintCarets(QPainter &painter);
    void repaintCaret() override;
    void dragTo(const QPointF &point) override;
    bool ownsShortcut(const QKeyEvent *key) const override;
    void fontChanged() override;
    void mouseDragged(const QMouseEvent *event) override;
    void mouseReleased(QMouseEvent *event) override;

    // Accessibility.
    void tellAccessibility(qint64 offset, qint64 removed, qint64 added);
    QString accessibleText(qint64 start, qint64 end) const;

    ByteDocument *doc;
    ByteSelection *sel;
    GlyphStyles styles;
    StyleRuns runs;
    RowLayout layoutRows;

    int rowPixels = 1;
    qreal ascent = 0;
    int laidOutWidth = -1;

    // The caret at a row's end rather than the next row's start.
    bool caretUpstream = false;
    // Kept over Up, Down and page moves.
    qreal preferredX = -1;
    // The style the insertion point was given by the Font command; -1: the
    // style of the byte before the caret.
    int explicitStyle = -1;
    // The style the bytes of the pane's own edit take.
    int editStyle = -1;
    // Set while the pane changes the document or the selection itself.
    bool ownChange = false;
    bool scrollPending = false;

    std::unique_ptr<InputPaneEditing> editing;
    std::unique_ptr<InputPaneKeys> keys;
    std::unique_ptr<InputPaneMouse> mouse;
    std::unique_ptr<InputPaneDrop> drop;
    ByteMarks markedBytes;
};
