#pragma once

#include <QLabel>
#include <QTimer>

class QAbstractScrollArea;

// Whether a selection of size bytes or characters may go to the clipboard;
// when not, the pane says so.
bool fitsClipboard(QAbstractScrollArea *pane, qint64 size);

// A short notice at the foot of a pane, inside the window: it takes no focus
// and waits for no answer, and it goes after a few seconds, when the pane
// dismisses it (at its next change) or when clicked. A tool tip would not do
// after a menu command: the key release or the focus coming back from the
// menu hides it at once.
class PaneNotice : public QLabel {
    Q_OBJECT

public:
    // One notice per pane, made on first use.
    static void say(QAbstractScrollArea *pane, const QString &text);
    static void dismiss(QAbstractScrollArea *pane);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit PaneNotice(QAbstractScrollArea *pane);
    void place();

    QAbstractScrollArea *pane;
    QTimer expiry;
};
