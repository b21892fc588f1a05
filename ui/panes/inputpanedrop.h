#pragma once

#include <QtGlobal>

class InputPane;
class QDragEnterEvent;
class QDragMoveEvent;
class QDropEvent;

// Dragging text out of the input pane and dropping text into it: a drop
// inserts at the character boundary under the mouse, a drag within the
// pane moves the selection there as one step, a move into another program
// takes the bytes out of the document. Files are not text (pastesAsText).
class InputPaneDrop {
public:
    explicit InputPaneDrop(InputPane *pane) : pane(pane) {}

    void startDrag();
    void entered(QDragEnterEvent *event);
    void moved(QDragMoveEvent *event);
    void left();
    void dropped(QDropEvent *event);

    // Where a drop would go while a drag is over the pane; -1 when none is.
    qint64 dropCaret() const { return caret; }

private:
    InputPane *pane;
    qint64 caret = -1;
};
