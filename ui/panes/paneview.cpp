#include "paneview.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

PaneView::PaneView(QWidget *parent)
    : QAbstractScrollArea(parent), caretBlink(this, [this] { repaintCaret(); }),
      dragScroll(viewport(), [this] { dragScrollStep(); }) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

qint64 PaneView::firstRowInSight() const {
    return verticalScrollBar()->value();
}

qint64 PaneView::rowsInSight(int height, qreal margin) const {
    return std::max<qint64>(
        1, qint64(std::floor((viewport()->height() - margin) / std::max(1, height))));
}

void PaneView::setRowRange(qint64 rows, qint64 inSight) const {
    QScrollBar *bar = verticalScrollBar();
    const qint64 maximum = std::max<qint64>(0, rows - inSight);
    bar->setRange(0, int(std::min<qint64>(maximum, std::numeric_limits<int>::max())));
    bar->setPageStep(int(inSight));
    bar->setSingleStep(1);
}

void PaneView::scrollToRow(qint64 row) {
    verticalScrollBar()->setValue(int(std::clamp<qint64>(row, 0, verticalScrollBar()->maximum())));
}

void PaneView::bringRowIntoSight(qint64 row, qint64 inSight) {
    const qint64 first = firstRowInSight();
    if (row < first)
        scrollToRow(row);
    else if (row >= first + inSight)
        scrollToRow(row - inSight + 1);
}

void PaneView::dragScrollStep() {
    if (!dragScroll.buttonHeld())
        return;
    if (const int step = dragScroll.direction())
        scrollToRow(firstRowInSight() + step);
    dragTo(dragScroll.point());
}

bool PaneView::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride &&
        ownsShortcut(static_cast<const QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void PaneView::scrollContentsBy(int, int) {
    viewport()->update();
}

void PaneView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange)
        fontChanged();
    QAbstractScrollArea::changeEvent(event);
}

void PaneView::focusInEvent(QFocusEvent *event) {
    caretBlink.restart();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void PaneView::focusOutEvent(QFocusEvent *event) {
    caretBlink.stop();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

void PaneView::mouseMoveEvent(QMouseEvent *event) {
    if (event->buttons() & Qt::LeftButton)
        mouseDragged(event);
    else
        QAbstractScrollArea::mouseMoveEvent(event);
}

void PaneView::mouseReleaseEvent(QMouseEvent *event) {
    dragScroll.stop();
    mouseReleased(event);
}

void PaneView::mouseReleased(QMouseEvent *event) {
    QAbstractScrollArea::mouseReleaseEvent(event);
}
