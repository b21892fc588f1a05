#pragma once

#include "windowparts.h"

#include <QObject>

// The status bar's counters: the document's size (panels 1 and 2), the
// selection's length in the input pane (3) and in the hex pane (4), the time
// and the date (5, 6) and the caret's place (8).
class StatusCounters : public QObject {
    Q_OBJECT

public:
    // Made once the status bar is there: the counters start at zero.
    explicit StatusCounters(const WindowParts &parts, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void updateDocumentSize();
    void updateInputSelection();
    void updateHexSelection();
    void updateClock();
    void updateCaretPanel();

    const WindowParts &parts;
};
