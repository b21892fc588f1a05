#include "../testfonts.h"
#include "objectnames.h"
#include "windowfixture.h"

#include <QMenu>
#include <QMenuBar>

// The keys the window takes from its panes: Alt with an access key opens
// its menu, Ctrl+Tab moves on; and the keys that are commands, which type
// nothing whatever text they carry. Driven as a user does: keys sent to the
// pane with the focus, the result read off the document and the panels.
class TestWindowKeys : public WindowFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() {
        if (QWidget *popup = QApplication::activePopupWidget())
            popup->close();
        closeWindow();
    }

    void accessKeysOpenTheirMenuFromEveryPane_data() {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("letter");
        QTest::addColumn<QString>("menu");
        const char *menus[][2] = {{"ф", objectnames::fileMenu},
                                  {"п", objectnames::editMenu},
                                  {"в", objectnames::viewMenu},
                                  {"к", objectnames::clicheMenu},
                                  {"м", objectnames::helpMenu}};
        for (const char *pane :
             {objectnames::inputPane, objectnames::hexPane, objectnames::outputPane}) {
            for (const auto &[letter, menu] : menus) {
                QTest::addRow("%s, Alt+%s", pane, letter)
                    << pane << QString::fromUtf8(letter) << QString::fromLatin1(menu);
            }
        }
    }
    void accessKeysOpenTheirMenuFromEveryPane() {
        QFETCH(QString, pane);
        QFETCH(QString, letter);
        QFETCH(QString, menu);
        QWidget *focus = focusPane(pane);
        QVERIFY(focus);

        pressWith(focus, letter, Qt::AltModifier);

        QTRY_COMPARE(QApplication::activePopupWidget(),
                     static_cast<QWidget *>(child<QMenu>(form, qPrintable(menu))));
        QApplication::activePopupWidget()->close();
        QCOMPARE(form->document(), QByteArray("abc"));
        QCOMPARE(form->panelText(1), QStringLiteral("3"));
    }

    // F10 reaches the menus in any keyboard layout: it opens the first one,
    // and Right goes on to the next.
    void f10OpensTheMenusFromEveryPane_data() {
        QTest::addColumn<QString>("pane");
        for (const char *pane :
             {objectnames::inputPane, objectnames::hexPane, objectnames::outputPane})
            QTest::newRow(pane) << pane;
    }
    void f10OpensTheMenusFromEveryPane() {
        QFETCH(QString, pane);
        QWidget *focus = focusPane(pane);
        QVERIFY(focus);

        QTest::keyClick(focus, Qt::Key_F10);

        QTRY_COMPARE(QApplication::activePopupWidget(),
                     static_cast<QWidget *>(child<QMenu>(form, objectnames::fileMenu)));
        QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_Right);
        QTRY_COMPARE(QApplication::activePopupWidget(),
                     static_cast<QWidget *>(child<QMenu>(form, objectnames::editMenu)));
        QApplication::activePopupWidget()->close();
        QCOMPARE(form->document(), QByteArray("abc"));
    }

    // A key held with Ctrl, Alt or Meta types nothing, whatever its text;
    // the same key without them types. AltGr arrives on X11 as a plain key
    // with its character, and types.
    void commandKeysTypeNothing_data() {
        QTest::addColumn<QString>("pane");
        QTest::addColumn<QString>("text");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QByteArray>("typed");
        const auto row = [](const char *name, const char *pane, const char *text,
                            Qt::KeyboardModifiers modifiers, const QByteArray &typed = {}) {
            QTest::newRow(name) << pane << QString::fromUtf8(text) << modifiers << typed;
        };
        const Qt::KeyboardModifiers alt = Qt::AltModifier, meta = Qt::MetaModifier;
        row("Alt, a letter of no menu", objectnames::inputPane, "я", alt);
        row("Alt+Shift", objectnames::inputPane, "Я", alt | Qt::ShiftModifier);
        row("Meta", objectnames::inputPane, "я", meta);
        row("Alt, a digit", objectnames::inputPane, "1", alt);
        row("Alt, a Latin letter", objectnames::inputPane, "q", alt);
        row("Alt, keypad", objectnames::inputPane, "5", alt | Qt::KeypadModifier);
        row("AltGr on X11", objectnames::inputPane, "€", Qt::NoModifier, "\x88");
        row("AltGr+Shift on X11", objectnames::inputPane, "„", Qt::ShiftModifier, "\x84");
        row("hex pane, Alt, a digit", objectnames::hexPane, "4", alt);
        row("hex pane, Meta, a digit", objectnames::hexPane, "4", meta);
#ifndef Q_OS_WIN
        // On Windows Ctrl+Alt is AltGr and types (the input pane's suite).
        row("Ctrl+Alt", objectnames::inputPane, "я", alt | Qt::ControlModifier);
        row("hex pane, Ctrl+Alt, a digit", objectnames::hexPane, "f", alt | Qt::ControlModifier);
#endif
    }
    void commandKeysTypeNothing() {
        QFETCH(QString, pane);
        QFETCH(QString, text);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QByteArray, typed);
        QWidget *focus = focusPane(pane);
        QVERIFY(focus);
        QTest::keyClick(focus, Qt::Key_Home, Qt::ControlModifier);

        pressWith(focus, text, modifiers);

        QCOMPARE(QApplication::activePopupWidget(), nullptr);
        QCOMPARE(form->document(), typed + "abc");
        QCOMPARE(form->panelText(1), QString::number(typed.size() + 3));
        // The key alone types.
        if (typed.isEmpty()) {
            pressWith(focus, text, Qt::NoModifier);
            QVERIFY(form->document() != QByteArray("abc"));
        }
    }

    // Tab types byte 9 in the input pane: Ctrl+Tab and Ctrl+Shift+Tab move
    // the focus on, past the pane hidden behind the one in front. X11 sends
    // Shift+Tab as Backtab.
    void ctrlTabMovesTheFocusOnFromEveryPane_data() {
        QTest::addColumn<bool>("hexEdit");
        QTest::addColumn<QString>("from");
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
        QTest::addColumn<QString>("to");
        const Qt::KeyboardModifiers forward = Qt::ControlModifier;
        const Qt::KeyboardModifiers back = Qt::ControlModifier | Qt::ShiftModifier;
        QTest::newRow("input pane on") << false << objectnames::inputPane << int(Qt::Key_Tab)
                                       << forward << objectnames::outputPane;
        QTest::newRow("output pane back") << false << objectnames::outputPane << int(Qt::Key_Tab)
                                          << back << objectnames::inputPane;
        QTest::newRow("output pane back, Backtab")
            << false << objectnames::outputPane << int(Qt::Key_Backtab) << back
            << objectnames::inputPane;
        QTest::newRow("output pane on") << false << objectnames::outputPane << int(Qt::Key_Tab)
                                        << forward << objectnames::pathButton;
        QTest::newRow("hex pane on") << true << objectnames::hexPane << int(Qt::Key_Tab) << forward
                                     << objectnames::outputPane;
        QTest::newRow("hex-edit, output pane back")
            << true << objectnames::outputPane << int(Qt::Key_Backtab) << back
            << objectnames::hexPane;
    }
    void ctrlTabMovesTheFocusOnFromEveryPane() {
        QFETCH(bool, hexEdit);
        QFETCH(QString, from);
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, modifiers);
        QFETCH(QString, to);
        form->setDocument("abc");
        if (hexEdit)
            QTest::keyClick(form, Qt::Key_F5);
        QWidget *start = child<QWidget>(form, qPrintable(from));
        start->setFocus();

        QTest::keyClick(start, Qt::Key(key), modifiers);

        QCOMPARE(QApplication::focusWidget(), child<QWidget>(form, qPrintable(to)));
        QCOMPARE(form->document(), QByteArray("abc"));
        // Tab still types.
        inputPane->setFocus();
        if (!hexEdit) {
            QTest::keyClick(inputPane, Qt::Key_Tab);
            QCOMPARE(form->document().count('\t'), 1);
        }
    }

private:
    // The pane with the focus over the document "abc"; the hex pane in the
    // hex-edit layout.
    QWidget *focusPane(const QString &name) {
        form->setDocument("abc");
        if (name == QLatin1String(objectnames::hexPane))
            QTest::keyClick(form, Qt::Key_F5);
        QWidget *pane = child<QWidget>(form, qPrintable(name));
        pane->setFocus();
        return pane->hasFocus() ? pane : nullptr;
    }

    // A key with its text as a keyboard of that layout sends it.
    static void pressWith(QWidget *widget, const QString &text, Qt::KeyboardModifiers modifiers) {
        const auto key = static_cast<Qt::Key>(text.front().toUpper().unicode());
        QTest::sendKeyEvent(QTest::Press, widget, key, text, modifiers);
        QTest::sendKeyEvent(QTest::Release, widget, key, text, modifiers);
    }
};

KKTVIEW_TEST_MAIN(TestWindowKeys)
#include "tst_windowkeys.moc"
