#pragma once

#include <QElapsedTimer>
#include <QPoint>
#include <QPointF>

class InputPane;
class QMouseEvent;

// The input pane's left mouse button: a click puts the caret, Shift+click
// extends the selection, a double click selects a word and a drag after it
// goes by words, a third click selects the line, a press inside the
// selection may start dragging it away.
class InputPaneMouse {
public:
    explicit InputPaneMouse(InputPane *pane) : pane(pane) {}

    // The left button, and the middle one that pastes the X11 primary
    // selection; false for a button the pane leaves to the widget.
    bool pressed(const QMouseEvent *event);
    void dragged(const QMouseEvent *event);
    // Extends the selection to point, by words after a double click.
    void dragTo(const QPointF &point);
    void released(const QMouseEvent *event);
    void doubleClicked(const QMouseEvent *event);
    // A drag of the selection began: a release is no click then.
    void dragStarted() { mayStartDrag = false; }

private:
    void leftPressed(const QMouseEvent *event);

    struct Range {
        qint64 start = 0;
        qint64 end = 0;
    };

    InputPane *pane;
    QPoint pressPoint;
    bool mayStartDrag = false;
    bool selectingWords = false;
    Range wordOnDoubleClick;
    QElapsedTimer doubleClickTime;
    QPoint doubleClickPoint;
};
