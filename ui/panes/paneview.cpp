#include "paneview.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <cstdlib>

PaneView::PaneView(QWidget *parent)
    : QAbstractScrollArea(parent), caretBlink(this, [this] { repaintCaret(); }),
      dragScroll(viewport(), [this] { dragScrollStep(); }) {
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this,
            [this] { emit firstRowChanged(firstRowInSight()); });
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &PaneView::barStepped);
}

qint64 PaneView::firstRowInSight() const {
    const QScrollBar *bar = verticalScrollBar();
    if (rowsPerStep == 1)
        return bar->value();
    if (bar->value() == barValueOf(scrolledTo))
        return std::min(scrolledTo, lastFirstRow);
    return bar->value() >= bar->maximum() ? lastFirstRow : bar->value() * rowsPerStep;
}

int PaneView::barValueOf(qint64 row) const {
    return row >= lastFirstRow ? verticalScrollBar()->maximum() : int(row / rowsPerStep);
}

qint64 PaneView::rowsInSight(int height, qreal margin) const {
    return std::max<qint64>(
        1, qint64(std::floor((viewport()->height() - margin) / std::max(1, height))));
}

void PaneView::setRowRange(qint64 rows, qint64 inSight) const {
    // Well inside an int, so that a page added to the value never overflows.
    constexpr qint64 barSteps = qint64(1) << 30;
    QScrollBar *bar = verticalScrollBar();
    lastFirstRow = std::max<qint64>(0, rows - inSight);
    pageRows = std::max<qint64>(1, inSight);
    rowsPerStep = lastFirstRow / barSteps + 1;
    bar->setRange(0, int(lastFirstRow / rowsPerStep));
    bar->setPageStep(int(std::max<qint64>(1, inSight / rowsPerStep)));
    bar->setSingleStep(1);
}

void PaneView::scrollToRow(qint64 row) {
    row = std::clamp<qint64>(row, 0, lastFirstRow);
    if (row == firstRowInSight())
        return;
    scrolledTo = row;
    QScrollBar *bar = verticalScrollBar();
    if (const int value = barValueOf(row); value != bar->value()) {
        bar->setValue(value);
        return;
    }
    // Another row of the same step: the bar stays where it is.
    scrollContentsBy(0, 0);
    emit firstRowChanged(row);
}

void PaneView::barStepped(int action) {
    if (rowsPerStep == 1)
        return;
    qint64 rows = 0;
    switch (action) {
    case QAbstractSlider::SliderSingleStepAdd:
        rows = 1;
        break;
    case QAbstractSlider::SliderSingleStepSub:
        rows = -1;
        break;
    case QAbstractSlider::SliderPageStepAdd:
        rows = pageRows;
        break;
    case QAbstractSlider::SliderPageStepSub:
        rows = -pageRows;
        break;
    default:
        return;
    }
    // The bar has moved its handle a step already; it goes back, and the
    // rows move instead, which sets the handle where they stand.
    QScrollBar *bar = verticalScrollBar();
    bar->setSliderPosition(bar->value());
    scrollToRow(firstRowInSight() + rows);
}

void PaneView::wheelEvent(QWheelEvent *event) {
    const QPoint delta = event->angleDelta();
    if (rowsPerStep == 1 || std::abs(delta.x()) > std::abs(delta.y())) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // As the bar takes a turn of the wheel, but in rows: a notch (120) is
    // the desktop's wheel lines, or a page with Ctrl or Shift, and never
    // more than a page at once. A touchpad's fractions of a row add up.
    const qreal notches = delta.y() / 120.0;
    qint64 rows = 0;
    if (event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier)) {
        rows = qint64(notches * pageRows);
        wheelRest = 0;
    } else {
        if (wheelRest * notches < 0)
            wheelRest = 0;
        wheelRest += notches * QApplication::wheelScrollLines();
        rows = qint64(wheelRest);
        wheelRest -= qreal(rows);
    }
    rows = std::clamp(rows, -pageRows, pageRows);
    if (rows != 0)
        scrollToRow(firstRowInSight() - rows);
    event->accept();
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
