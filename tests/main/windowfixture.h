#pragma once

#include "codepages/views.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "hexpane.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "objectnames.h"
#include "windowdriver.h"

// The base of a window suite: every test gets a fresh main window, shown and
// active, and its three panes. The suite's init() calls QVERIFY(openWindow()),
// its cleanup() closeWindow().
class WindowFixture : public QObject {
protected:
    // False when the window never became active.
    bool openWindow() {
        form = new MainWindow;
        inputPane = child<InputPane>(form, objectnames::inputPane);
        hexPane = child<HexPane>(form, objectnames::hexPane);
        outputPane = child<TokenView>(form, objectnames::outputPane);
        form->show();
        return QTest::qWaitForWindowActive(form);
    }
    void closeWindow() {
        delete form;
        form = nullptr;
    }

    // Gives a display pane a text of its own: the view of bytes, as if a
    // command had shown it.
    static void show(TokenView *pane, views::View view, const QByteArray &bytes) {
        pane->clear();
        pane->append(view, PieceTable(bytes));
    }
    // Words of ASCII letters show as themselves in the 1251 view.
    static void showText(TokenView *pane, const QByteArray &text) {
        show(pane, views::cp1251Glyphs, text);
    }

    // The pane the user sees at the pane's place.
    static bool inFront(QWidget *pane) {
        QWidget *hit = pane->parentWidget()->childAt(pane->geometry().topLeft() + QPoint(20, 20));
        return hit && (hit == pane || pane->isAncestorOf(hit));
    }

    MainWindow *form = nullptr;
    InputPane *inputPane = nullptr;
    HexPane *hexPane = nullptr;
    TokenView *outputPane = nullptr;
};
