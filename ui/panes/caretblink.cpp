#include "caretblink.h"

#include <QGuiApplication>
#include <QStyleHints>
#include <QWidget>
#include <utility>

CaretBlink::CaretBlink(QWidget *pane, std::function<void()> repaint)
    : pane(pane), repaint(std::move(repaint)) {
    QObject::connect(&timer, &QTimer::timeout, &timer, [this] { setOn(!on); });
    QObject::connect(QGuiApplication::styleHints(), &QStyleHints::cursorFlashTimeChanged, &timer,
                     [this] { restart(); });
}

void CaretBlink::restart() {
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (pane->hasFocus() && flash >= 2)
        timer.start(flash / 2);
    else
        timer.stop();
    setOn(pane->hasFocus());
}

void CaretBlink::stop() {
    timer.stop();
    setOn(false);
}

void CaretBlink::setOn(bool show) {
    if (on == show)
        return;
    on = show;
    repaint();
}
