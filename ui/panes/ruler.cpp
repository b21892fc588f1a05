#include "ruler.h"

#include "codepages/views.h"
#include "hexpane.h"

#include <QPainter>
#include <QScrollBar>

Ruler::Ruler(const QString &text, QWidget *parent) : QLabel(text, parent) {}

void Ruler::follow(HexPane *hexPane) {
    pane = hexPane;
    connect(pane, &TokenView::layoutChanged, this, qOverload<>(&QWidget::update));
}

namespace {

// Digit k is the character after the leading space and k groups of the
// dump's width.
int digitIndex(int k) {
    return 1 + views::hexGroupWidth * k;
}

} // namespace

qreal Ruler::digitCentre(int k) const {
    if (pane) {
        const QPointF inPane(pane->columnCentre(k), 0);
        const QPointF inWindow = pane->viewport()->mapTo(window(), inPane);
        return mapFrom(window(), inWindow).x();
    }
    const QFontMetricsF metrics(font());
    const QString digits = text();
    return contentsRect().left() + metrics.horizontalAdvance(digits.left(digitIndex(k))) +
           metrics.horizontalAdvance(digits.at(digitIndex(k))) / 2;
}

void Ruler::paintEvent(QPaintEvent *event) {
    if (!pane) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    const QFontMetricsF metrics(font());
    const qreal baseline = (height() - metrics.height()) / 2 + metrics.ascent();
    const QString digits = text();
    for (int k = 0; digitIndex(k) < digits.size(); ++k) {
        const QChar digit = digits.at(digitIndex(k));
        const qreal x = digitCentre(k) - metrics.horizontalAdvance(digit) / 2;
        painter.drawText(QPointF(x, baseline), QString(digit));
    }
}
