#pragma once

#include <QPoint>
#include <QTimer>
#include <functional>

class QWidget;

// A selection dragged past a pane's top or bottom edge: while the mouse
// stays out there with the left button held, the pane scrolls a step and
// follows the mouse every 50 ms.
class DragScroll {
public:
    // step scrolls a step towards direction() and extends the selection to
    // point(); it runs on the timer.
    DragScroll(QWidget *viewport, std::function<void()> step);

    // The mouse moved to point (viewport coordinates) with the button held:
    // out of the viewport the steps start, back in they stop.
    void follow(QPoint point);
    void stop();
    // Where the mouse was last.
    QPoint point() const { return last; }
    // While scrolling: -1 with the mouse above the viewport, 1 below it,
    // 0 beside it; 0 when not scrolling.
    int direction() const;
    // Whether the left button is still held; once released the steps stop.
    bool buttonHeld();

private:
    QWidget *viewport;
    QTimer timer;
    QPoint last;
};
