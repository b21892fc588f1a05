#pragma once

#include "caretblink.h"
#include "dragscroll.h"

#include <QAbstractScrollArea>

class QKeyEvent;
class QMouseEvent;
class QWheelEvent;

// What every pane is, whatever its rows show: a scroll area scrolled a row
// at a time, with a caret that blinks while the pane has the focus, a
// selection dragged past its top or bottom edge that scrolls it, keys it
// keeps from the window's shortcuts while it has the focus, and a font
// change that lays its rows out anew. The input pane and the token view
// draw and select on top of it.
class PaneView : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit PaneView(QWidget *parent = nullptr);

    // Rows: the first in sight, and scrolling to one. A view of more rows
    // than a scroll bar counts (an int, and the hex dump of a file over
    // 32 GiB has more) moves its bar a step of several rows at a time, but
    // still stands at any row it is sent to, the last one included, and
    // its bar's arrows, page clicks and the wheel still move it by rows.
    qint64 firstRowInSight() const;
    void scrollToRow(qint64 row);

signals:
    // The first row in sight changed, by the bar or by scrollToRow().
    void firstRowChanged(qint64 row);

protected:
    // Redraws the caret where it stands now.
    virtual void repaintCaret() = 0;
    // A step of a drag past the edge: the selection follows the mouse to
    // point (viewport coordinates), the rows having scrolled already.
    virtual void dragTo(const QPointF &point) = 0;
    // Whether a key that a window action may have is the pane's while it
    // has the focus.
    virtual bool ownsShortcut(const QKeyEvent *key) const = 0;
    // The pane's font changed.
    virtual void fontChanged() = 0;
    // The mouse moved with the left button held.
    virtual void mouseDragged(const QMouseEvent *event) = 0;
    // A button came up, a drag's scrolling stopped.
    virtual void mouseReleased(QMouseEvent *event);

    // Rows of height pixels that fit below the top margin, at least one.
    qint64 rowsInSight(int height, qreal margin) const;
    void setRowRange(qint64 rows, qint64 inSight) const;
    // Scrolls as little as brings row into sight.
    void bringRowIntoSight(qint64 row, qint64 inSight);
    // One step of a drag past the edge; the timer runs it too.
    void dragScrollStep();

    // By rows, also where a step of the bar is several.
    void wheelEvent(QWheelEvent *event) override;
    bool event(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    CaretBlink caretBlink;
    DragScroll dragScroll;

private:
    // The bar's value that stands for a first row.
    int barValueOf(qint64 row) const;
    // An arrow or page step of the bar, taken as rows rather than steps.
    void barStepped(int action);

    // The last row that can be first in sight, and how many rows a step of
    // the bar moves (1 while they fit in an int).
    mutable qint64 lastFirstRow = 0;
    mutable qint64 rowsPerStep = 1;
    mutable qint64 pageRows = 1;
    // What the wheel turned that has not yet made a whole row.
    qreal wheelRest = 0;
    // The row last scrolled to, which the bar's value rounds when a step is
    // several rows.
    qint64 scrolledTo = 0;
};
