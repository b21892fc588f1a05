#include "../testfonts.h"
#include "finddialog.h"
#include "gotodialog.h"
#include "objectnames.h"
#include "windowfixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolTip>

namespace {

// Fills in a dialog and confirms it; returns the refusal it shows, if any.
QString enterInDialog(QDialog *dialog, const char *edit, const QString &text, const char *option,
                      const char *button) {
    child<QLineEdit>(dialog, edit)->setText(text);
    if (option)
        child<QRadioButton>(dialog, option)->click();
    child<QPushButton>(dialog, button)->click();
    auto *message = child<QLabel>(dialog, objectnames::entryMessage);
    return message->isVisible() ? message->text() : QString();
}

const QByteArray thanks866("\x91\x8F\x80\x91\x88\x81\x8E"); // "СПАСИБО" in code page 866

// 64 KiB of register memory: records of control bytes ending in CR LF,
// "СПАСИБО" in code page 866 at 0x1230.
QByteArray registerDump() {
    QByteArray bytes(64 * 1024, Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i % 64 == 62 ? '\r' : i % 64 == 63 ? '\n' : 0x10 + i % 7);
    return bytes.replace(0x1230, thanks866.size(), thanks866);
}

} // namespace

// Find, Find next and Go to offset, driven by their keys and dialogs.
class TestFindCommands : public WindowFixture {
    Q_OBJECT

private slots:
    void init() {
        QVERIFY(openWindow());
        form->setDocument(registerDump());
        inputPane->selectBytes(5, 2);
        QToolTip::hideText();
    }
    void cleanup() { closeWindow(); }

    void findSelectsTheBytesOrTellsWhy_data() {
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QByteArray>("selected");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("866 text") << objectnames::text866Option << "СПАСИБО" << thanks866
                                  << qsizetype(0x1230) << QString() << QString();
        QTest::newRow("not found")
            << objectnames::text1251Option << "СПАСИБО" << QByteArray("\x15\x16") << qsizetype(5)
            << "Не найдено" << QString();
        QTest::newRow("bad hex") << objectnames::hexOption << "0D 0A 4" << QByteArray("\x15\x16")
                                 << qsizetype(5) << QString() << "«4»";
    }
    void findSelectsTheBytesOrTellsWhy() {
        QFETCH(QString, option);
        QFETCH(QString, pattern);
        QFETCH(QByteArray, selected);
        QFETCH(qsizetype, offset);
        QFETCH(QString, message);
        QFETCH(QString, refusal);
        MessageCatcher catcher;
        QString shown;
        DialogAnswer<FindDialog> driver([&](FindDialog *dialog) {
            shown = enterInDialog(dialog, objectnames::findText, pattern, qPrintable(option),
                                  objectnames::findButton);
        });
        QTest::keyClick(form, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(driver.seen);
        QVERIFY2(refusal.isEmpty() ? shown.isEmpty() : shown.contains(refusal), qPrintable(shown));
        QCOMPARE(catcher.texts(), message.isEmpty() ? QStringList() : QStringList(message));
        QCOMPARE(inputPane->selection()->start(), offset);
        QCOMPARE(inputPane->selectedBytes(), selected);
        QCOMPARE(form->panelText(3), QString::number(selected.size()));
        QCOMPARE(form->document(), registerDump());
    }

    // F9 asks for a pattern only the first time; each press goes on after
    // the match before, a CR LF pair taken whole, and round from the start,
    // which the next press does not say again.
    void findNextGoesOnAfterEachMatch() {
        form->setDocument("A\r\nB\r\nC");
        DialogAnswer<FindDialog> driver([](FindDialog *dialog) {
            enterInDialog(dialog, objectnames::findText, "0D", objectnames::hexOption,
                          objectnames::findButton);
        });
        QList<qsizetype> starts;
        for (int press = 0; press < 4; ++press) {
            // The offscreen platform leaves the closed dialog the active window.
            form->activateWindow();
            QTRY_COMPARE(QApplication::activeWindow(), form);
            QTest::keyClick(form, Qt::Key_F9);
            starts << inputPane->selection()->start();
            QCOMPARE(inputPane->selectedBytes(), QByteArray("\r\n"));
            if (press < 3)
                QCOMPARE(QToolTip::text().contains("продолжен с начала"), press == 2);
            else // a tip fades for a moment; left alone, it would stay four seconds
                QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2000);
        }
        QVERIFY(driver.seen);
        QCOMPARE(starts, QList<qsizetype>({1, 4, 1, 4}));
    }

    void gotoPutsTheCursorOnTheByteOrRefuses_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<qsizetype>("cursor");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("decimal") << "496" << qsizetype(496) << QString();
        QTest::newRow("0x hex") << "0x1F0" << qsizetype(496) << QString();
        QTest::newRow("h hex") << " 1f0H" << qsizetype(496) << QString();
        QTest::newRow("the end") << "65536" << qsizetype(65536) << QString();
        QTest::newRow("past the end")
            << "0x10001" << qsizetype(5) << "Размер документа: 65536 (0x10000) байт";
        QTest::newRow("far past the end") << "0x1234567890ABCDEF0" << qsizetype(5) << "за концом";
        QTest::newRow("hex needs a mark") << "1F0" << qsizetype(5) << "не смещение";
    }
    void gotoPutsTheCursorOnTheByteOrRefuses() {
        QFETCH(QString, typed);
        QFETCH(qsizetype, cursor);
        QFETCH(QString, refusal);
        QString shown;
        DialogAnswer<GotoDialog> driver([&](GotoDialog *dialog) {
            shown = enterInDialog(dialog, objectnames::offsetText, typed, nullptr,
                                  objectnames::goToButton);
        });
        QTest::keyClick(form, Qt::Key_G, Qt::ControlModifier);
        QVERIFY(driver.seen);
        QVERIFY2(refusal.isEmpty() ? shown.isEmpty() : shown.contains(refusal), qPrintable(shown));
        QCOMPARE(inputPane->selection()->start(), cursor);
        QCOMPARE(inputPane->selection()->length(), refusal.isEmpty() ? 0 : 2);
        QCOMPARE(form->document(), registerDump());
    }

    void noTwoCommandsShareAKey() {
        QSet<QKeySequence> keys;
        for (QAction *action : form->findChildren<QAction *>()) {
            QVERIFY2(action->shortcut().isEmpty() || !keys.contains(action->shortcut()),
                     qPrintable(action->objectName()));
            keys.insert(action->shortcut());
        }
    }

    // In the hex-edit layout of a selection dump, the bytes found and the
    // byte gone to show in the hex pane and the text beside it, in sight;
    // hex digits typed next overwrite the byte gone to.
    void findAndGotoShowInTheHexEditLayout() {
        inputPane->selectBytes(0x1000, 0x800);
        QTest::keyClick(form, Qt::Key_F5);
        QVERIFY(form->isHexEditLayout());
        auto *hex = child<HexPane>(form, objectnames::hexPane);
        auto *text = child<TokenView>(form, objectnames::outputPane);
        const auto inSight = [](TokenView *pane, qsizetype position) {
            const qsizetype row = pane->rowOf(position) - pane->firstVisibleRow();
            return row >= 0 && row < pane->viewport()->height() / pane->rowHeight();
        };
        inputPane->selectBytes(0x1000, 0);
        {
            DialogAnswer<FindDialog> driver([](FindDialog *dialog) {
                enterInDialog(dialog, objectnames::findText, "СПАСИБО", objectnames::text866Option,
                              objectnames::findButton);
            });
            QTest::keyClick(form, Qt::Key_F, Qt::ControlModifier);
        }
        const qsizetype found = 0x230;
        QCOMPARE(hex->selectionStart(), found * HexPane::groupSize);
        QCOMPARE(hex->selectionEnd(), (found + 7) * HexPane::groupSize);
        QCOMPARE(text->selectionStart(), text->tokenStart(found));
        QCOMPARE(text->selectionEnd(), text->tokenEnd(found + 6));
        QVERIFY(inSight(hex, hex->selectionStart()) && inSight(text, text->selectionStart()));

        form->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), form);
        DialogAnswer<GotoDialog> driver([](GotoDialog *dialog) {
            enterInDialog(dialog, objectnames::offsetText, "0x1700", nullptr,
                          objectnames::goToButton);
        });
        QTest::keyClick(form, Qt::Key_G, Qt::ControlModifier);
        QCOMPARE(hex->cursorPosition(), 0x700 * HexPane::groupSize);
        QVERIFY(!hex->hasSelection() && inSight(hex, hex->cursorPosition()));
        QCOMPARE(form->focusWidget(), hex);
        QTest::keyClicks(hex, "41");
        QCOMPARE(form->document().at(0x1700), 'A');
    }
};

KKTVIEW_TEST_MAIN(TestFindCommands)
#include "tst_findcommands.moc"
