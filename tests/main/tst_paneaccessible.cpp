#include "../testfonts.h"
#include "objectnames.h"
#include "windowfixture.h"

#include <QAccessible>
#include <QAction>

// The display panes as assistive technology reads and drives them: their
// text, caret, selection and lines through Qt's accessibility interfaces,
// and the bytes selected or overwritten through them.
class TestPaneAccessible : public WindowFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void textCaretAndSelectionAreThePanes_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("pane");
        QTest::newRow("control names")
            << objectnames::controlNamesCommand << objectnames::outputPane;
        QTest::newRow("866 listing") << objectnames::listing866Command << objectnames::outputPane;
        QTest::newRow("hex dump") << objectnames::hexEditCommand << objectnames::hexPane;
        QTest::newRow("1251 beside the dump")
            << objectnames::hexEditCommand << objectnames::outputPane;
    }
    void textCaretAndSelectionAreThePanes() {
        QFETCH(QString, command);
        QFETCH(QString, pane);
        form->setDocument(
            QByteArray("\x01\x7f\xab Kassa\r\n\xcf\xf0\xe8\xe2\xe5\xf2\r\n").repeated(9));
        child<QAction>(form, qPrintable(command))->trigger();
        auto *view = child<TokenView>(form, qPrintable(pane));
        QAccessibleInterface *shown = QAccessible::queryAccessibleInterface(view);
        QVERIFY(shown && shown->textInterface());
        QCOMPARE(shown->role(), QAccessible::EditableText);
        QCOMPARE(shown->state().readOnly,
                 command != objectnames::hexEditCommand || pane != objectnames::hexPane);
        QAccessibleTextInterface *text = shown->textInterface();

        const QString whole = view->toPlainText();
        QCOMPARE(text->characterCount(), whole.size());
        QCOMPARE(text->text(0, int(whole.size())), whole);
        QCOMPARE(shown->text(QAccessible::Value), whole);

        const int from = int(whole.size() / 3);
        const int to = int(whole.size() / 2);
        view->setSelection(from, to);
        int start = -1;
        int end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(std::make_pair(start, end), std::make_pair(from, to));
        QCOMPARE(text->selectionCount(), 1);
        QCOMPARE(text->cursorPosition(), to);

        // A line is a row, a word a token.
        const qsizetype row = view->rowOf(from);
        QCOMPARE(text->textAtOffset(from, QAccessible::LineBoundary, &start, &end),
                 whole.mid(view->rowStart(row), view->rowStart(row + 1) - view->rowStart(row)));
        QCOMPARE(start, view->rowStart(row));
        const qsizetype token = view->tokenAt(from);
        QCOMPARE(
            text->textAtOffset(from, QAccessible::WordBoundary, &start, &end),
            whole.mid(view->tokenStart(token), view->tokenEnd(token) - view->tokenStart(token)));
        QCOMPARE(text->textAfterOffset(from, QAccessible::WordBoundary, &start, &end),
                 whole.mid(view->tokenStart(token + 1),
                           view->tokenEnd(token + 1) - view->tokenStart(token + 1)));

        // Where a character stands on the screen, and back.
        view->ensureVisible(from);
        const QRect rect = text->characterRect(from);
        QCOMPARE(rect.topLeft(),
                 view->viewport()->mapToGlobal(view->positionRect(from).topLeft().toPoint()));
        QCOMPARE(text->offsetAtPoint(rect.center()), from);
        // The character under the point, wherever in its box.
        QCOMPARE(text->offsetAtPoint(QPoint(rect.right(), rect.center().y())), from);
        QVERIFY(text->attributes(from, &start, &end).contains(view->font().family()));
        QVERIFY(start <= from && from < end);
    }

    // Chosen in characters of either display pane, the selection takes the
    // same bytes in the document and in the other pane; the caret alone too.
    void settingASelectionSelectsTheSameBytes() {
        const QByteArray document("ab\x7f\xab\xbb"
                                  "cdefghijklmnopqrstuvwxyz");
        form->setDocument(document);
        QTest::keyClick(form, Qt::Key_F5);
        QAccessibleTextInterface *output =
            QAccessible::queryAccessibleInterface(outputPane)->textInterface();
        QAccessibleTextInterface *hex =
            QAccessible::queryAccessibleInterface(hexPane)->textInterface();

        // Delete, the guillemets and "c": bytes 2 to 5.
        const int start = int(outputPane->tokenStart(2));
        output->setSelection(0, start, int(outputPane->tokenEnd(5)));
        QCOMPARE(inputPane->selectedBytes(), document.mid(2, 4));
        QCOMPARE(hexPane->selectionStart(), 4 * 2);
        QCOMPARE(hexPane->selectionEnd(), 4 * 6);

        hex->setSelection(0, 4 * 17, 4 * 20);
        QCOMPARE(inputPane->selectedBytes(), document.mid(17, 3));
        QCOMPARE(outputPane->selectedText(), QString::fromLatin1(document.mid(17, 3)));

        output->setCursorPosition(int(outputPane->tokenStart(7)));
        QCOMPARE(inputPane->selectedBytes(), QByteArray());
        QCOMPARE(inputPane->selection()->start(), 7);
        QCOMPARE(hexPane->cursorPosition(), 4 * 7);
    }

    // The hex pane overwrites only: hex digits over digits type into the
    // byte, one undo step a byte; anything else changes nothing.
    void hexDigitsReplacedThroughTheInterfaceOverwriteBytes() {
        form->setDocument("xyz");
        QTest::keyClick(form, Qt::Key_F5);
        QAccessibleInterface *hex = QAccessible::queryAccessibleInterface(hexPane);
        QAccessibleEditableTextInterface *editable = hex->editableTextInterface();
        QVERIFY(editable);
        QVERIFY(hex->state().editable);

        editable->insertText(4, QStringLiteral("41  "));
        editable->deleteText(0, 4);
        editable->replaceText(4, 6, QStringLiteral("4G"));
        editable->replaceText(4, 7, QStringLiteral("4 1"));
        editable->replaceText(4, 6, QStringLiteral("4"));
        QCOMPARE(form->document(), QByteArray("xyz"));

        editable->replaceText(4, 10, QStringLiteral("41  e0"));
        QCOMPARE(form->document(), QByteArray("xA\xE0"));
        QCOMPARE(hexPane->toPlainText(), QStringLiteral("78  41  E0  "));
        QCOMPARE(outputPane->toPlainText(), QStringLiteral("xAа"));
        hexPane->setFocus();
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), QByteArray("xA\x7a"));
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), QByteArray("xyz"));

        // Out of the hex-edit layout the dump is not edited.
        QTest::keyClick(form, Qt::Key_F6);
        QVERIFY(hex->state().readOnly);
        editable->replaceText(4, 6, QStringLiteral("41"));
        QCOMPARE(form->document(), QByteArray("xyz"));
    }
};

KKTVIEW_TEST_MAIN(TestPaneAccessible)
#include "tst_paneaccessible.moc"
