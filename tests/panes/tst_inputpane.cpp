// The input pane on its own document, driven by keys, the clipboard and the
// mouse: whatever comes in becomes exactly the bytes it stands for, moves
// and deletions step over a CR LF pair as one character, fonts stay with
// their bytes, and assistive technologies read and set what the pane shows.

#include "../testfonts.h"
#include "base/sizebounds.h"
#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "inputpane.h"

#include <QAccessible>
#include <QAccessibleEditableTextInterface>
#include <QAccessibleTextInterface>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

namespace {

// A key as text: a character, or a name with modifiers ("Ctrl+Backspace").
void press(QWidget *widget, const QString &key) {
    const QKeySequence sequence(key, QKeySequence::PortableText);
    if (key.size() == 1 || sequence.isEmpty()) {
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key(key.front().toUpper().unicode()), key,
                            Qt::NoModifier);
        return;
    }
    const QKeyCombination combination = sequence[0];
    QTest::keyClick(widget, combination.key(), combination.keyboardModifiers());
}

} // namespace

class InputPaneTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        doc = new ByteDocument;
        sel = new ByteSelection(doc);
        pane = new InputPane(doc, sel);
        pane->resize(300, 200);
        pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(pane));
        pane->setFocus();
    }
    void cleanup() {
        delete pane;
        delete doc;
    }

    // Copied and pasted into an empty document, every byte comes back.
    void everyByteSurvivesCopyAndPaste_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QTest::newRow("all 256 values") << all;
        QTest::newRow("CR LF, lone LF, lone CR") << QByteArray("a\r\nb\nc\rd");
        QTest::newRow("CR CR LF LF") << QByteArray("\r\r\n\n");
        QTest::newRow("no-break space, 152, 127") << QByteArray("\xA0 \x98\x7F");
    }
    void everyByteSurvivesCopyAndPaste() {
        QFETCH(QByteArray, bytes);
        load(bytes);
        press(pane, "Ctrl+A");
        QCOMPARE(pane->selectedBytes(), bytes);
        press(pane, "Ctrl+C");
        doc->load({});
        press(pane, "Ctrl+V");
        QCOMPARE(document(), bytes);
    }

    // Typed between "a" and "b".
    void typedKeysGiveBytes_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("Enter") << int(Qt::Key_Return) << 0 << "\r" << QByteArray("a\r\nb");
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << "\r" << QByteArray("a\r\nb");
        QTest::newRow("Shift+Enter")
            << int(Qt::Key_Return) << int(Qt::ShiftModifier) << "\r" << QByteArray("a\r\nb");
        QTest::newRow("Tab") << int(Qt::Key_Tab) << 0 << "\t" << QByteArray("a\tb");
        QTest::newRow("Cyrillic") << 0x42F << 0 << QStringLiteral("я")
                                  << QByteArray("a\xFF"
                                                "b");
        QTest::newRow("AltGr character, sent without Alt") << 0x20AC << 0 << QStringLiteral("€")
                                                           << QByteArray("a\x88"
                                                                         "b");
        QTest::newRow("no-break space")
            << int(Qt::Key_nobreakspace) << 0 << QStringLiteral("\u00A0")
            << QByteArray("a\xA0"
                          "b");
        QTest::newRow("Greek, without a byte")
            << 0x3A9 << 0 << QStringLiteral("Ω") << QByteArray("ab");
        QTest::newRow("Ctrl+letter types nothing")
            << int(Qt::Key_Q) << int(Qt::ControlModifier) << "\x11" << QByteArray("ab");
        QTest::newRow("Alt+letter types nothing")
            << int(Qt::Key_Q) << int(Qt::AltModifier) << "q" << QByteArray("ab");
        QTest::newRow("Meta+letter types nothing")
            << int(Qt::Key_Q) << int(Qt::MetaModifier) << "q" << QByteArray("ab");
#ifdef Q_OS_WIN
        // Windows sends AltGr as Ctrl+Alt with the layout's character.
        QTest::newRow("Ctrl+Alt+letter is AltGr and types")
            << int(Qt::Key_Q) << int(Qt::ControlModifier | Qt::AltModifier) << "q"
            << QByteArray("aqb");
#else
        QTest::newRow("Ctrl+Alt+letter types nothing")
            << int(Qt::Key_Q) << int(Qt::ControlModifier | Qt::AltModifier) << "q"
            << QByteArray("ab");
#endif
    }
    void typedKeysGiveBytes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        load("ab");
        sel->moveCaret(1);
        QTest::sendKeyEvent(QTest::Click, pane, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(document(), bytes);
        QVERIFY(pane->hasFocus());
    }

    void ctrlTabLeavesThePane() {
        QWidget window;
        auto *before = new QPlainTextEdit(&window);
        pane->setParent(&window);
        auto *after = new QPlainTextEdit(&window);
        QWidget::setTabOrder(before, pane);
        QWidget::setTabOrder(pane, after);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(QApplication::focusWidget(), after);
        pane->setFocus();
        QTest::keyClick(pane, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), before);
        QCOMPARE(document(), QByteArray());
        pane->setParent(nullptr);
    }

    void pastedTextBecomesBytes_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << "1\r\n2" << QByteArray("<1\r\n2>");
        QTest::newRow("LF") << "1\n2" << QByteArray("<1\r\n2>");
        QTest::newRow("CR") << "1\r2" << QByteArray("<1\r\n2>");
        QTest::newRow("line separator") << "1\u20282" << QByteArray("<1\r\n2>");
        QTest::newRow("tab") << "1\t2" << QByteArray("<1\t2>");
        QTest::newRow("control character") << "1\x01"
                                              "2"
                                           << QByteArray("<1\x01"
                                                         "2>");
        QTest::newRow("characters without a byte dropped")
            << QStringLiteral("1Ω中2") << QByteArray("<12>");
        QTest::newRow("cp1251 letters and signs")
            << QStringLiteral("Ё№€") << QByteArray("<\xA8\xB9\x88>");
    }
    void pastedTextBecomesBytes() {
        QFETCH(QString, clipboard);
        QFETCH(QByteArray, bytes);
        load("<>");
        sel->moveCaret(1);
        QGuiApplication::clipboard()->setText(clipboard);
        press(pane, "Ctrl+V");
        QCOMPARE(document(), bytes);
    }

    // Keys from the caret at '|' (and the anchor at '[' when one is set):
    // moves, selections and deletions treat a CR LF pair as one character.
    void keysStepOverLineBreaks_data() {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("after");
        QTest::newRow("Right over a pair") << "ab|\r\ncd"
                                           << "Right"
                                           << "ab\r\n|cd";
        QTest::newRow("Left over a pair") << "ab\r\n|cd"
                                          << "Left"
                                          << "ab|\r\ncd";
        QTest::newRow("Shift+Right selects a pair") << "ab|\r\ncd"
                                                    << "Shift+Right"
                                                    << "ab[\r\n|cd";
        QTest::newRow("Left ends a selection at its start") << "a[bc|d"
                                                            << "Left"
                                                            << "a|bcd";
        QTest::newRow("Right ends it at its end") << "a|bc[d"
                                                  << "Right"
                                                  << "abc|d";
        QTest::newRow("Backspace takes a pair") << "ab\r\n|cd"
                                                << "Backspace"
                                                << "ab|cd";
        QTest::newRow("Delete takes a pair") << "ab|\r\ncd"
                                             << "Delete"
                                             << "ab|cd";
        QTest::newRow("a lone CR is a byte") << "a\r|b"
                                             << "Backspace"
                                             << "a|b";
        QTest::newRow("Ctrl+Backspace a word") << "one two|"
                                               << "Ctrl+Backspace"
                                               << "one |";
        QTest::newRow("Ctrl+Delete a word") << "|one two"
                                            << "Ctrl+Delete"
                                            << "|two";
        QTest::newRow("Ctrl+K to the line break") << "a|bc\r\nd"
                                                  << "Ctrl+K"
                                                  << "a|\r\nd";
        QTest::newRow("Ctrl+K at a line end takes the break") << "abc|\r\nd"
                                                              << "Ctrl+K"
                                                              << "abc|d";
        QTest::newRow("Ctrl+Right") << "|one two"
                                    << "Ctrl+Right"
                                    << "one |two";
        QTest::newRow("Ctrl+Left") << "one two|"
                                   << "Ctrl+Left"
                                   << "one |two";
        QTest::newRow("Home, End") << "ab\r\nc|de"
                                   << "Home"
                                   << "ab\r\n|cde";
        QTest::newRow("End before the break") << "|ab\r\ncd"
                                              << "End"
                                              << "ab|\r\ncd";
        QTest::newRow("Ctrl+End") << "|ab\r\ncd"
                                  << "Ctrl+End"
                                  << "ab\r\ncd|";
        QTest::newRow("Ctrl+Shift+Home") << "ab\r\nc|d"
                                         << "Ctrl+Shift+Home"
                                         << "|ab\r\nc[d";
        QTest::newRow("Down keeps the column") << "a|bc\r\ndef"
                                               << "Down"
                                               << "abc\r\nd|ef";
        QTest::newRow("Down to a shorter line") << "abc|\r\nd\r\nefgh"
                                                << "Down"
                                                << "abc\r\nd|\r\nefgh";
        QTest::newRow("and on, back to the column") << "abc|\r\nd\r\nefgh"
                                                    << "Down Down"
                                                    << "abc\r\nd\r\nefg|h";
        QTest::newRow("Up on the first row stays") << "a|b"
                                                   << "Up"
                                                   << "a|b";
        QTest::newRow("Shift+Up there selects to the start") << "a|b"
                                                             << "Shift+Up"
                                                             << "|a[b";
        QTest::newRow("Down on the last row stays") << "ab\r\nc|d"
                                                    << "Down"
                                                    << "ab\r\nc|d";
        QTest::newRow("Shift+Down there selects to the end") << "ab\r\nc|d"
                                                             << "Shift+Down"
                                                             << "ab\r\nc[d|";
    }
    void keysStepOverLineBreaks() {
        QFETCH(QString, before);
        QFETCH(QString, keys);
        QFETCH(QString, after);
        const auto [bytes, anchor, caret] = marked(before);
        load(bytes);
        sel->select(anchor, caret);
        for (const QString &key : keys.split(u' '))
            press(pane, key);
        const auto [wantedBytes, wantedAnchor, wantedCaret] = marked(after);
        QCOMPARE(document(), wantedBytes);
        QCOMPARE(sel->caret(), wantedCaret);
        QCOMPARE(sel->anchor(), wantedAnchor);
    }

    // A row that wraps, with no line break at its end: End puts the caret at
    // the row's end shown on that row, not at the next row's start; Down and
    // Up from there land at the end of the row below or above, shown on that
    // row; Home goes to the start of the caret's row.
    void aWrappedRowsEndShowsOnItsRow() {
        load(QByteArray(600, 'x'));
        sel->moveCaret(0);
        const int firstRow = pane->caretRect().top();
        press(pane, "Down");
        const int secondRow = pane->caretRect().top();
        QVERIFY(secondRow > firstRow);
        sel->moveCaret(0);
        press(pane, "End");
        const qint64 rowEnd = sel->caret();
        QVERIFY(rowEnd > 0 && rowEnd < doc->size());
        QCOMPARE(pane->caretRect().top(), firstRow);
        press(pane, "Down");
        QVERIFY(sel->caret() > rowEnd);
        QCOMPARE(pane->caretRect().top(), secondRow);
        press(pane, "Home");
        QCOMPARE(sel->caret(), rowEnd);
        QCOMPARE(pane->caretRect().top(), secondRow);
        press(pane, "End");
        press(pane, "Up");
        QCOMPARE(sel->caret(), rowEnd);
        QCOMPARE(pane->caretRect().top(), firstRow);
    }

    // The clipboard takes a selection up to its bound. Past it, Copy and
    // Cut leave the clipboard as it was, and Cut deletes nothing, with a
    // notice; a selection at the bound is copied.
    void aSelectionPastTheClipboardsBoundStays_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<qint64>("selected");
        QTest::addColumn<bool>("copied");
        QTest::newRow("Cut past it") << "Ctrl+X" << sizebounds::copiedAtMost + 1 << false;
        QTest::newRow("Copy past it") << "Ctrl+C" << sizebounds::copiedAtMost + 1 << false;
        QTest::newRow("Cut at it") << "Ctrl+X" << sizebounds::copiedAtMost << true;
    }
    void aSelectionPastTheClipboardsBoundStays() {
        QFETCH(QString, key);
        QFETCH(qint64, selected);
        QFETCH(bool, copied);
        QGuiApplication::clipboard()->setText(QStringLiteral("before"));
        load(QByteArray(sizebounds::copiedAtMost + 1, 'k'));
        sel->select(0, selected);
        press(pane, key);
        auto *notice = pane->findChild<QLabel *>();
        QCOMPARE(notice && notice->isVisible(), !copied);
        if (copied) {
            QCOMPARE(doc->size(), sizebounds::copiedAtMost + 1 - selected);
            QCOMPARE(QGuiApplication::clipboard()->text().size(), selected);
            return;
        }
        QCOMPARE(notice->text(),
                 "Скопировать можно не более 64 МБ за раз: выделите часть поменьше");
        QCOMPARE(doc->size(), sizebounds::copiedAtMost + 1);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("before"));
    }

    // A selection made elsewhere that splits a pair shows the whole pair;
    // a caret inside one stands before it.
    void splitPairsShowWhole() {
        load("a\r\nb");
        sel->select(2, 4);
        QCOMPARE(pane->selectedBytes(), QByteArray("\r\nb"));
        sel->select(1, 2);
        QCOMPARE(pane->selectedBytes(), QByteArray("\r\n"));
        sel->moveCaret(2);
        QCOMPARE(pane->caretRect(), caretRectAt(1));
        press(pane, "x");
        QCOMPARE(document(), QByteArray("ax\r\nb"));
    }

    void clicksSelectWordsAndLines_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("clicked");
        QTest::addColumn<int>("clicks");
        QTest::addColumn<QByteArray>("selected");
        QTest::newRow("a word") << QByteArray("one two three") << qint64(5) << 2
                                << QByteArray("two");
        QTest::newRow("a line with its break")
            << QByteArray("ab\r\ncd\r\nef") << qint64(5) << 3 << QByteArray("cd\r\n");
        QTest::newRow("a long line") << QByteArray(20000, 'x') + "\r\nyz" << qint64(1) << 3
                                     << QByteArray(20000, 'x') + "\r\n";
    }
    void clicksSelectWordsAndLines() {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, clicked);
        QFETCH(int, clicks);
        QFETCH(QByteArray, selected);
        load(bytes);
        const QPoint at = pane->byteRect(clicked).center().toPoint();
        QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, at);
        if (clicks == 3)
            QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(pane->selectedBytes(), selected);
    }

    void clickAndDragSelect() {
        load("abcdef\r\nghijkl");
        const QPoint from = pane->byteRect(1).topLeft().toPoint() + QPoint(1, 2);
        const QPoint to = pane->byteRect(10).topLeft().toPoint() + QPoint(1, 2);
        QTest::mousePress(pane->viewport(), Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, to, pane->viewport()->mapToGlobal(to), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(pane->viewport(), &move);
        QTest::mouseRelease(pane->viewport(), Qt::LeftButton, {}, to);
        QCOMPARE(pane->selectedBytes(), QByteArray("bcdef\r\ngh"));
    }

    // A selection dragged within the pane moves its bytes in one undo step.
    void movingTheSelectionIsOneStep_data() {
        QTest::addColumn<qint64>("to");
        QTest::addColumn<QByteArray>("moved");
        QTest::newRow("forwards, into a line break") << qint64(7) << QByteArray("a\r\ndbc\r\nef");
        QTest::newRow("backwards") << qint64(0) << QByteArray("bca\r\nd\r\nef");
        QTest::newRow("onto itself") << qint64(2) << QByteArray("abc\r\nd\r\nef");
    }
    void movingTheSelectionIsOneStep() {
        QFETCH(qint64, to);
        QFETCH(QByteArray, moved);
        const QByteArray bytes("abc\r\nd\r\nef");
        load(bytes);
        sel->select(1, 3);
        pane->moveSelectionTo(to);
        QCOMPARE(document(), moved);
        QCOMPARE(pane->selectedBytes(), QByteArray("bc"));
        press(pane, "Ctrl+Z");
        QCOMPARE(document(), bytes);
    }

    // Typing and deleting keep a text edit's undo steps.
    void typedWordUndoesAsOneStep() {
        load("xy");
        press(pane, "Ctrl+End");
        for (const char *key : {"a", "b", "c", "Backspace"})
            press(pane, QString::fromLatin1(key));
        press(pane, "Ctrl+Z");
        QCOMPARE(document(), QByteArray("xyabc"));
        press(pane, "Ctrl+Z");
        QCOMPARE(document(), QByteArray("xy"));
        QCOMPARE(sel->caret(), qint64(2));
        press(pane, "Ctrl+Y");
        QCOMPARE(document(), QByteArray("xyabc"));
        press(pane, "Ctrl+Shift+Z");
        QCOMPARE(document(), QByteArray("xyab"));
    }

    // The Font command's formats stay with their bytes; text typed at the
    // insertion point takes its format; all rows are as high as the tallest.
    void fontsStayWithTheirBytes() {
        load("abcdef");
        const int plainHeight = pane->rowHeight();
        QTextCharFormat big;
        big.setFontPointSize(pane->font().pointSizeF() * 3);
        big.setForeground(Qt::red);
        sel->select(2, 4);
        pane->mergeCurrentCharFormat(big);
        QVERIFY(pane->rowHeight() > 2 * plainHeight);
        sel->moveCaret(0);
        press(pane, "x"); // takes the format of the first byte
        QCOMPARE(document(), QByteArray("xabcdef"));
        QCOMPARE(pane->charFormatAt(0).foreground().color(),
                 pane->charFormatAt(1).foreground().color());
        QCOMPARE(pane->charFormatAt(3).foreground().color(), QColor(Qt::red));
        QCOMPARE(pane->charFormatAt(4).foreground().color(), QColor(Qt::red));
        QVERIFY(pane->charFormatAt(5).foreground().color() != QColor(Qt::red));
        sel->moveCaret(5); // after the red bytes: typing continues them
        press(pane, "y");
        QCOMPARE(pane->charFormatAt(5).foreground().color(), QColor(Qt::red));
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        sel->moveCaret(0);
        pane->mergeCurrentCharFormat(bold); // nothing selected: nothing changes
        QCOMPARE(pane->charFormatAt(0).fontWeight(), int(QFont::Normal));
        press(pane, "z");
        QCOMPARE(pane->charFormatAt(0).fontWeight(), int(QFont::Bold));
        QCOMPARE(pane->charFormatAt(1).fontWeight(), int(QFont::Normal));
        press(pane, "Ctrl+A");
        press(pane, "Delete");
        QCOMPARE(pane->rowHeight(), plainHeight);
    }

    // The same actions as a Qt text edit's menu, with the same words.
    void contextMenuIsATextEditsMenu() {
        load("abc");
        sel->select(0, 1);
        QPlainTextEdit qtEdit;
        std::unique_ptr<QMenu> qtMenu(qtEdit.createStandardContextMenu());
        QStringList expected;
        for (const QAction *action : qtMenu->actions())
            expected << action->objectName() + u'=' + action->text().split(u'\t').front();
        QStringList shown;
        QMap<QString, bool> enabled;
        QTimer::singleShot(0, this, [&] {
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (const QAction *action : menu->actions()) {
                shown << action->objectName() + u'=' + action->text().split(u'\t').front();
                enabled[action->objectName()] = action->isEnabled();
            }
            menu->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10),
                                pane->viewport()->mapToGlobal(QPoint(10, 10)));
        QApplication::sendEvent(pane->viewport(), &event);
        QCOMPARE(shown, expected);
        QVERIFY(!enabled.value("edit-undo") && !enabled.value("edit-redo"));
        QVERIFY(enabled.value("edit-cut") && enabled.value("edit-copy") &&
                enabled.value("edit-delete") && enabled.value("select-all"));
    }

    // Read through Qt's accessibility: the text one character per byte (a
    // CR LF pair as "\r\n"), the caret and the selection as the pane shows
    // them; a selection set there selects the same bytes; edits reach the
    // document.
    void assistiveTechnologiesReadAndSetThePane() {
        load("A\r\nb\n\x01");
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(pane);
        QVERIFY(iface);
        QCOMPARE(iface->role(), QAccessible::EditableText);
        QAccessibleTextInterface *text = iface->textInterface();
        QVERIFY(text);
        QCOMPARE(text->characterCount(), 6);
        QCOMPARE(text->text(0, 6),
                 QStringLiteral("A\r\nb") + cp1251::toChar('\n') + cp1251::toChar(1));
        QCOMPARE(iface->text(QAccessible::Value), text->text(0, 6));
        sel->select(1, 4);
        QCOMPARE(text->cursorPosition(), 4);
        int start = -1, end = -1;
        text->selection(0, &start, &end);
        QCOMPARE(std::pair(start, end), std::pair(1, 4));
        sel->select(2, 2); // inside the pair: shown before it
        QCOMPARE(text->cursorPosition(), 1);
        text->setSelection(0, 3, 5);
        QCOMPARE(pane->selectedBytes(), QByteArray("b\n"));
        QCOMPARE(text->textAtOffset(0, QAccessible::LineBoundary, &start, &end),
                 QStringLiteral("A\r\n"));
        QVERIFY(text->characterRect(3).intersects(QRect(
            pane->viewport()->mapToGlobal(pane->byteRect(3).topLeft().toPoint()), QSize(1, 1))));
        QCOMPARE(text->offsetAtPoint(pane->viewport()->mapToGlobal(
                     pane->byteRect(3).topLeft().toPoint() + QPoint(1, 1))),
                 3);
        // The character under the point, its right edge too.
        QCOMPARE(text->offsetAtPoint(pane->viewport()->mapToGlobal(
                     (pane->byteRect(3).topRight() + QPointF(-1, 1)).toPoint())),
                 3);
        QAccessibleEditableTextInterface *editable = iface->editableTextInterface();
        QVERIFY(editable);
        editable->insertText(1, QStringLiteral("я"));
        QCOMPARE(document(), QByteArray("A\xFF\r\nb\n\x01"));
    }

private:
    void load(const QByteArray &bytes) {
        doc->load(bytes);
        sel->moveCaret(0);
    }
    QByteArray document() const {
        return doc->read(0, doc->size());
    }
    QRect caretRectAt(qint64 offset) {
        const qint64 anchor = sel->anchor(), caret = sel->caret();
        sel->moveCaret(offset);
        const QRect rect = pane->caretRect();
        sel->select(anchor, caret);
        return rect;
    }
    // "a[bc|d": the bytes, the anchor at '[' (or the caret) and the caret at '|'.
    static std::tuple<QByteArray, qint64, qint64> marked(const QString &text) {
        QByteArray bytes;
        qint64 anchor = -1, caret = 0;
        for (const QChar ch : text) {
            if (ch == u'|')
                caret = bytes.size();
            else if (ch == u'[')
                anchor = bytes.size();
            else
                bytes += char(ch.unicode());
        }
        return {bytes, anchor < 0 ? caret : anchor, caret};
    }

    ByteDocument *doc = nullptr;
    ByteSelection *sel = nullptr;
    InputPane *pane = nullptr;
};

KKTVIEW_TEST_MAIN(InputPaneTest)
#include "tst_inputpane.moc"
