#include "windowplacement.h"

#include <QScreen>
#include <QWidget>

namespace windowplacement {

QRect centredOn(const QRect &owner, const QRect &available, QSize size, QSize minimum,
                const QMargins &frame) {
    const QSize decoration(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QSize client =
        size.boundedTo(available.size() - decoration).expandedTo(minimum).expandedTo(QSize(1, 1));
    const QSize outer = client + decoration;
    const QPoint centred =
        owner.center() - QPoint((outer.width() - 1) / 2, (outer.height() - 1) / 2);
    // The far edge first: a window larger than the area keeps its top left
    // corner in it.
    const int left =
        qMax(available.left(), qMin(centred.x(), available.right() + 1 - outer.width()));
    const int top =
        qMax(available.top(), qMin(centred.y(), available.bottom() + 1 - outer.height()));
    return QRect(QPoint(left + frame.left(), top + frame.top()), client);
}

void placeOver(QWidget *window, const QWidget *owner) {
    QScreen *screen = owner->screen();
    window->setScreen(screen);
    const QRect outer = owner->frameGeometry();
    const QRect inner = owner->geometry();
    const QMargins frame(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    const QSize minimum = window->minimumSize().expandedTo(window->minimumSizeHint());
    window->setGeometry(
        centredOn(outer, screen->availableGeometry(), window->size(), minimum, frame));
}

void bringToFront(QWidget *window) {
    window->show();
    window->raise();
    window->activateWindow();
}

} // namespace windowplacement
