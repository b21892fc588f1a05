#include "dragscroll.h"

#include <QApplication>
#include <QWidget>
#include <utility>

DragScroll::DragScroll(QWidget *viewport, std::function<void()> step) : viewport(viewport) {
    timer.setInterval(50);
    QObject::connect(&timer, &QTimer::timeout, &timer, std::move(step));
}

void DragScroll::follow(QPoint point) {
    last = point;
    if (viewport->rect().contains(last))
        timer.stop();
    else if (!timer.isActive())
        timer.start();
}

void DragScroll::stop() {
    timer.stop();
}

int DragScroll::direction() const {
    if (!timer.isActive())
        return 0;
    if (last.y() < 0)
        return -1;
    return last.y() > viewport->height() ? 1 : 0;
}

bool DragScroll::buttonHeld() {
    if (QApplication::mouseButtons() & Qt::LeftButton)
        return true;
    timer.stop();
    return false;
}
