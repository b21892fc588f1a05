#pragma once

#include "bytedocument.h"
#include "byteselection.h"
#include "form1.h"
#include "hexpane.h"
#include "inputpane.h"
#include "windowdriver.h"

// The base of a window suite: every test gets a fresh main window, shown and
// active, and its three panes. The suite's init() calls QVERIFY(openForm()),
// its cleanup() closeForm().
class Form1Fixture : public QObject {
protected:
    // False when the window never became active.
    bool openForm() {
        form = new Form1;
        rtb1 = child<InputPane>(form, "RTB1");
        rtb2 = child<HexPane>(form, "RTB2");
        rtb3 = child<TokenView>(form, "RTB3");
        form->show();
        return QTest::qWaitForWindowActive(form);
    }
    void closeForm() {
        delete form;
        form = nullptr;
    }

    // The pane the user sees at the pane's place.
    static bool inFront(QWidget *pane) {
        QWidget *hit = pane->parentWidget()->childAt(pane->geometry().topLeft() + QPoint(20, 20));
        return hit && (hit == pane || pane->isAncestorOf(hit));
    }

    Form1 *form = nullptr;
    InputPane *rtb1 = nullptr;
    HexPane *rtb2 = nullptr;
    TokenView *rtb3 = nullptr;
};
