#include "bytepane.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

// The input pane holds bytes: whatever goes in by loading, typing or pasting
// comes back as exactly the bytes it stands for.
class TestBytePane : public QObject {
    Q_OBJECT

private slots:
    void init() {
        pane = new BytePane;
        pane->show();
        QVERIFY(QTest::qWaitForWindowExposed(pane));
    }
    void cleanup() { delete pane; }

    void givesBackTheBytesItWasGiven_data() {
        QTest::addColumn<QByteArray>("bytes");
        QByteArray all(256, Qt::Uninitialized);
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        QTest::newRow("all 256 values") << all;
        QTest::newRow("CR LF") << QByteArray("a\r\nb");
        QTest::newRow("lone LF") << QByteArray("a\nb");
        QTest::newRow("lone CR") << QByteArray("a\rb");
        QTest::newRow("CR CR LF LF") << QByteArray("\r\r\n\n");
        QTest::newRow("CR LF at both ends") << QByteArray("\r\nx\r\n");
        QTest::newRow("no-break space") << QByteArray("\xA0 \xA0");
        QTest::newRow("undefined 152 and 127") << QByteArray("\x98\x7F");
        QTest::newRow("empty") << QByteArray();
    }
    void givesBackTheBytesItWasGiven() {
        QFETCH(QByteArray, bytes);
        pane->setBytes(bytes);
        QCOMPARE(pane->bytes(), bytes);
        QCOMPARE(pane->byteCount(), bytes.size());
        pane->selectAll();
        QCOMPARE(pane->selectedBytes(), bytes);
        QCOMPARE(pane->selectedByteCount(), bytes.size());
    }

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
        QTest::newRow("no-break space")
            << int(Qt::Key_nobreakspace) << 0 << QStringLiteral("\u00A0")
            << QByteArray("a\xA0"
                          "b");
        QTest::newRow("Greek, without a byte")
            << 0x3A9 << 0 << QStringLiteral("Ω") << QByteArray("ab");
        QTest::newRow("CJK, without a byte")
            << 0x4E2D << 0 << QStringLiteral("中") << QByteArray("ab");
    }
    void typedKeysGiveBytes() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        pane->setBytes("ab");
        pane->moveCursor(QTextCursor::Start);
        pane->moveCursor(QTextCursor::NextCharacter);
        QTest::sendKeyEvent(QTest::Click, pane, Qt::Key(key), text,
                            Qt::KeyboardModifiers(modifiers));
        QCOMPARE(pane->bytes(), bytes);
        QCOMPARE(pane->byteCount(), bytes.size());
    }

    void pastedTextBecomesBytes_data() {
        QTest::addColumn<QString>("clipboard");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("CR LF") << "1\r\n2" << QByteArray("<1\r\n2>");
        QTest::newRow("LF") << "1\n2" << QByteArray("<1\r\n2>");
        QTest::newRow("CR") << "1\r2" << QByteArray("<1\r\n2>");
        QTest::newRow("line separator") << "1\u20282" << QByteArray("<1\r\n2>");
        QTest::newRow("paragraph separator") << "1\u20292" << QByteArray("<1\r\n2>");
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
        pane->setBytes("<>");
        pane->moveCursor(QTextCursor::Start);
        pane->moveCursor(QTextCursor::NextCharacter);
        QGuiApplication::clipboard()->setText(clipboard);
        pane->paste();
        QCOMPARE(pane->bytes(), bytes);
        QCOMPARE(pane->byteCount(), bytes.size());
    }

    void copyAndPasteKeepEveryByte() {
        const QByteArray bytes("\xA0\r\n\x01\x98\r\x0A");
        pane->setBytes(bytes);
        pane->selectAll();
        pane->copy();
        pane->moveCursor(QTextCursor::End);
        pane->paste();
        QCOMPARE(pane->bytes(), bytes + bytes);
    }

    void selectionCountsAndBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QByteArray>("selected");
        QTest::newRow("nothing") << QByteArray("abc") << 1 << 1 << QByteArray();
        QTest::newRow("inside a line") << QByteArray("abc") << 1 << 3 << QByteArray("bc");
        QTest::newRow("over a line break")
            << QByteArray("ab\r\ncd\r\nef") << 1 << 7 << QByteArray("b\r\ncd\r\ne");
        QTest::newRow("lone LF counts one") << QByteArray("a\nb") << 0 << 3 << QByteArray("a\nb");
    }
    void selectionCountsAndBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QByteArray, selected);
        pane->setBytes(bytes);
        QTextCursor cursor = pane->textCursor();
        cursor.setPosition(from);
        cursor.setPosition(to, QTextCursor::KeepAnchor);
        pane->setTextCursor(cursor);
        QCOMPARE(pane->selectedBytes(), selected);
        QCOMPARE(pane->selectedByteCount(), selected.size());
    }

    // Offsets count CR LF as two bytes though the pane holds one break.
    void byteRangesSelectAndReplaceAsOneUndoStep_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("offset");
        QTest::addColumn<int>("length");
        QTest::addColumn<QByteArray>("replacement");
        QTest::addColumn<QByteArray>("selected");
        QTest::addColumn<QByteArray>("result");
        QTest::newRow("after two breaks")
            << QByteArray("a\r\nb\r\ncd") << 6 << 2 << QByteArray("XYZ") << QByteArray("cd")
            << QByteArray("a\r\nb\r\nXYZ");
        QTest::newRow("over a break") << QByteArray("ab\r\ncd") << 1 << 4 << QByteArray("\r\n")
                                      << QByteArray("b\r\nc") << QByteArray("a\r\nd");
        // A range that cuts a break keeps the break's other byte.
        QTest::newRow("inside a break") << QByteArray("a\r\nb") << 2 << 0 << QByteArray("Q")
                                        << QByteArray() << QByteArray("a\rQ\nb");
        // Selecting a byte of a break selects the whole break.
        QTest::newRow("over the CR of a break") << QByteArray("a\r\nb") << 1 << 1 << QByteArray("X")
                                                << QByteArray("\r\n") << QByteArray("aX\nb");
        QTest::newRow("over the LF of a break") << QByteArray("a\r\nb") << 2 << 1 << QByteArray("X")
                                                << QByteArray("\r\n") << QByteArray("a\rXb");
        QTest::newRow("past the end")
            << QByteArray("ab") << 1 << 9 << QByteArray() << QByteArray("b") << QByteArray("a");
    }
    void byteRangesSelectAndReplaceAsOneUndoStep() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, offset);
        QFETCH(int, length);
        QFETCH(QByteArray, replacement);
        QFETCH(QByteArray, selected);
        QFETCH(QByteArray, result);
        pane->setBytes(bytes);
        pane->selectBytes(offset, length);
        QCOMPARE(pane->selectedBytes(), selected);
        pane->replaceBytes(offset, length, replacement);
        QCOMPARE(pane->bytes(), result);
        QCOMPARE(pane->selectedBytes(), replacement);
        pane->undo();
        QCOMPARE(pane->bytes(), bytes);
    }

    // A triple click selects the line under the mouse with its line break,
    // however many blocks the pane keeps it in.
    void tripleClickSelectsALine_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("line");
        QTest::newRow("middle line") << QByteArray("ab\r\ncd\r\nef") << QByteArray("cd\r\n");
        QTest::newRow("a long line")
            << QByteArray(20000, 'x') + "\r\nyz" << QByteArray(20000, 'x') + "\r\n";
    }
    void tripleClickSelectsALine() {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, line);
        pane->setBytes(bytes);
        const int position = pane->positionOfByte(bytes.indexOf(line) + 1);
        QTextCursor cursor = pane->textCursor();
        cursor.setPosition(position);
        const QPoint at = pane->cursorRect(cursor).center();
        QTest::mouseDClick(pane->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(pane->selectedBytes(), line);
    }

    // Typing and deleting keep Qt's undo steps: a typed word goes at once,
    // at the end of a block too.
    void typedWordUndoesAsOneStep() {
        pane->setBytes("xy");
        pane->moveCursor(QTextCursor::End);
        QTest::keyClicks(pane, "abc");
        QTest::keyClick(pane, Qt::Key_Backspace);
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pane->bytes(), QByteArray("xyabc"));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(pane->bytes(), QByteArray("xy"));
    }

    // Qt's clear() reports its change oddly; setPlainText() brings in
    // paragraph separators of its own: the byte count follows both.
    void countFollowsQtsOwnTextCalls() {
        pane->setBytes(QByteArray(20000, 'x') + "\r\n" + QByteArray(9000, 'y'));
        pane->clear();
        QCOMPARE(pane->byteCount(), 0);
        QCOMPARE(pane->bytes(), QByteArray());
        pane->setPlainText(QStringLiteral("ab\u2029c"));
        QCOMPARE(pane->byteCount(), 5);
        QCOMPARE(pane->bytes(), QByteArray("ab\r\nc"));
    }

private:
    BytePane *pane = nullptr;
};

QTEST_MAIN(TestBytePane)
#include "tst_bytepane.moc"
