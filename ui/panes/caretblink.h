#pragma once

#include <QTimer>
#include <functional>

class QWidget;

// A pane's caret: shown while the pane has the focus, blinking at half the
// platform's cursor flash time and following a change of it, steady where
// the platform asks for no blinking. The pane draws the caret while isOn().
class CaretBlink {
public:
    // repaint redraws the caret where the pane has it now.
    CaretBlink(QWidget *pane, std::function<void()> repaint);

    bool isOn() const { return on; }
    // Shown from now, blinking anew, if the pane has the focus (the caret
    // moved, the focus came in); hidden otherwise.
    void restart();
    // Hidden until restarted (the focus went out).
    void stop();
    void setOn(bool show);

private:
    QWidget *pane;
    std::function<void()> repaint;
    QTimer timer;
    bool on = false;
};
