// Where a key press in the input pane goes, decided from the key alone and
// without a window: which command each key asks for, which keys the pane
// keeps from the window's shortcuts, and which clipboard or drop data is
// text to insert.

#include "bytemimedata.h"
#include "document/bytedocument.h"
#include "inputpanekeys.h"

#include <QKeyEvent>
#include <QTest>
#include <QUrl>

using Command = InputPaneKeys::Command;
Q_DECLARE_METATYPE(InputPaneKeys::Command)

namespace {

QKeyEvent keyPress(int key, Qt::KeyboardModifiers modifiers, const QString &text = {}) {
    return QKeyEvent(QEvent::KeyPress, key, modifiers, text);
}

} // namespace

class InputPaneKeysTest : public QObject {
    Q_OBJECT

private slots:
    void keysAskForTheirCommand_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Command>("command");
        const Qt::KeyboardModifiers none = Qt::NoModifier, shift = Qt::ShiftModifier,
                                    ctrl = Qt::ControlModifier;
        const auto row = [](const char *name, int key, Qt::KeyboardModifiers modifiers,
                            const QString &text, Command command) {
            QTest::newRow(name) << key << modifiers << text << command;
        };
        row("Enter", Qt::Key_Return, none, "\r", Command::LineBreak);
        row("Shift+Enter", Qt::Key_Return, shift, "\r", Command::LineBreak);
        row("keypad Enter", Qt::Key_Enter, Qt::KeypadModifier, "\r", Command::LineBreak);
        row("Ctrl+Enter types nothing", Qt::Key_Return, ctrl, "\r", Command::None);
        row("Backspace", Qt::Key_Backspace, none, "\b", Command::Backspace);
        row("Shift+Backspace", Qt::Key_Backspace, shift, "\b", Command::Backspace);
        row("Ctrl+Backspace", Qt::Key_Backspace, ctrl, {}, Command::DeleteWordBack);
        row("Delete", Qt::Key_Delete, none, {}, Command::Delete);
        row("Ctrl+Delete", Qt::Key_Delete, ctrl, {}, Command::DeleteWordForward);
        row("Shift+Delete cuts", Qt::Key_Delete, shift, {}, Command::Cut);
        row("Ctrl+K", Qt::Key_K, ctrl, "\x0B", Command::DeleteToLineEnd);
        row("Ctrl+Z", Qt::Key_Z, ctrl, "\x1A", Command::Undo);
        row("Ctrl+Y", Qt::Key_Y, ctrl, "\x19", Command::Redo);
        row("Ctrl+V", Qt::Key_V, ctrl, "\x16", Command::Paste);
        row("Shift+Insert", Qt::Key_Insert, shift, {}, Command::Paste);
        row("Ctrl+Insert copies", Qt::Key_Insert, ctrl, {}, Command::Copy);
        row("Ctrl+C", Qt::Key_C, ctrl, "\x03", Command::Copy);
        row("Ctrl+A", Qt::Key_A, ctrl, "\x01", Command::SelectAll);
        row("Shift+Home", Qt::Key_Home, shift, {}, Command::Move);
        row("a", Qt::Key_A, none, "a", Command::Type);
        row("Shift+Ж", 0x416, shift, QString(QChar(0x416)), Command::Type);
        row("zero width joiner", Qt::Key_unknown, none, QString(QChar(0x200D)), Command::Type);
        row("emoji", Qt::Key_unknown, none, QStringLiteral("\U0001F600"), Command::Type);
        row("Ctrl+Q", Qt::Key_Q, ctrl, "\x11", Command::None);
        row("Escape", Qt::Key_Escape, none, "\x1B", Command::None);
        row("F5", Qt::Key_F5, none, {}, Command::None);
#if !defined(Q_OS_MACOS)
        // An access key of the menus, never a letter typed.
        row("Alt+Ф", 0x424, Qt::AltModifier, QString(QChar(0x444)), Command::None);
#endif
    }
    void keysAskForTheirCommand() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, text);
        QFETCH(Command, command);
        QCOMPARE(InputPaneKeys::commandOf(keyPress(key, modifiers, text)).command, command);
    }

    // A move says which one, and whether it extends the selection.
    void movesKeepShift_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<int>("move");
        QTest::addColumn<bool>("select");
        QTest::newRow("Shift+Home") << int(Qt::Key_Home) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                    << int(CaretMove::RowStart) << true;
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                  << int(CaretMove::End) << false;
        QTest::newRow("PageDown") << int(Qt::Key_PageDown) << Qt::KeyboardModifiers()
                                  << int(CaretMove::PageDown) << false;
    }
    void movesKeepShift() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(int, move);
        QFETCH(bool, select);
        const InputPaneKeys::Action action = InputPaneKeys::commandOf(keyPress(key, modifiers));
        QCOMPARE(action.command, Command::Move);
        QCOMPARE(int(action.move.move), move);
        QCOMPARE(action.move.select, select);
    }

    // Tab types byte 9; with Ctrl it moves the focus, either way.
    void tabKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<Command>("command");
        const Qt::KeyboardModifiers ctrl = Qt::ControlModifier, shift = Qt::ShiftModifier;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << Qt::KeyboardModifiers() << Command::TypeTab;
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << shift << Command::None;
        QTest::newRow("Ctrl+Tab") << int(Qt::Key_Tab) << ctrl << Command::FocusNext;
        QTest::newRow("Ctrl+Shift+Tab")
            << int(Qt::Key_Backtab) << (ctrl | shift) << Command::FocusPrevious;
        QTest::newRow("Ctrl+Shift+Tab as Tab")
            << int(Qt::Key_Tab) << (ctrl | shift) << Command::FocusPrevious;
        QTest::newRow("a") << int(Qt::Key_A) << Qt::KeyboardModifiers() << Command::None;
    }
    void tabKeys() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(Command, command);
        QCOMPARE(InputPaneKeys::tabCommandOf(keyPress(key, modifiers)), command);
    }

    // The pane keeps a text edit's keys from the window's actions while it
    // has the focus, and no others: F5 still switches the layout.
    void paneKeepsTextEditKeys_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<bool>("kept");
        const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("a") << int(Qt::Key_A) << none << true;
        QTest::newRow("Home") << int(Qt::Key_Home) << none << true;
        QTest::newRow("Shift+Delete")
            << int(Qt::Key_Delete) << Qt::KeyboardModifiers(Qt::ShiftModifier) << true;
        QTest::newRow("Ctrl+C") << int(Qt::Key_C) << ctrl << true;
        QTest::newRow("Ctrl+A") << int(Qt::Key_A) << ctrl << true;
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << ctrl << true;
        QTest::newRow("F5") << int(Qt::Key_F5) << none << false;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << none << false;
        QTest::newRow("Ctrl+O") << int(Qt::Key_O) << ctrl << false;
        QTest::newRow("Ctrl+F") << int(Qt::Key_F) << ctrl << false;
    }
    void paneKeepsTextEditKeys() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(bool, kept);
        const QKeyEvent event(QEvent::ShortcutOverride, key, modifiers);
        QCOMPARE(InputPaneKeys::ownsShortcut(event), kept);
    }

    // Files from a file manager carry their paths as text: never pasted.
    void onlyTextIsPasted_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<QUrl>>("urls");
        QTest::addColumn<bool>("pasted");
        const QUrl file = QUrl::fromLocalFile("/tmp/check.bin");
        const QUrl web(QStringLiteral("https://example.org/"));
        QTest::newRow("text") << "ККТ" << QList<QUrl>() << true;
        QTest::newRow("a file") << file.toString() << QList<QUrl>{file} << false;
        QTest::newRow("a link and a file") << "x" << QList<QUrl>{web, file} << false;
        QTest::newRow("a link") << web.toString() << QList<QUrl>{web} << true;
        QTest::newRow("no text") << QString() << QList<QUrl>() << false;
    }
    void onlyTextIsPasted() {
        QFETCH(QString, text);
        QFETCH(QList<QUrl>, urls);
        QFETCH(bool, pasted);
        QMimeData data;
        if (!urls.isEmpty())
            data.setUrls(urls);
        if (!text.isNull())
            data.setText(text);
        QCOMPARE(pastesAsText(&data), pasted);
        QVERIFY(!pastesAsText(nullptr));
    }

    // What was copied stays what it was when the bytes change after.
    void copiedBytesStay() {
        ByteDocument doc;
        doc.replace(0, 0, QByteArray("\xCA\xCA\xD2 1"));
        const ByteMimeData copied(doc.bytes(), 0, 3);
        doc.replace(0, 5, QByteArray("xyz"));
        QCOMPARE(copied.text(), QStringLiteral("ККТ"));
    }
};

QTEST_MAIN(InputPaneKeysTest)
#include "tst_inputpanekeys.moc"
