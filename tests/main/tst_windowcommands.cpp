#include "../testfonts.h"
#include "base/sizebounds.h"
#include "objectnames.h"
#include "viewcommands.h"
#include "windowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QLabel>
#include <QMimeData>
#include <QSignalSpy>

namespace {

const QString messageA =
    QStringLiteral("Файл больше 10К!\nВыделите часть файла менее 10К\nИ повторите команду");
const QString messageB = QStringLiteral(
    "Выделенная часть больше 10К!\nВыделите часть файла менее 10К\nИ повторите команду");

} // namespace

// The View commands with their size limit, the counters of the status bar,
// the editing commands and the cliche listings, driven by keys and mouse.
class TestWindowCommands : public WindowFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    // The document is "a" bytes, the selection "b" bytes, so the output
    // tells which of the two a view worked on.
    void viewsChooseBetweenDocumentAndSelection_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("documentSize");
        QTest::addColumn<int>("selectionSize");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("output");
        const QString none;
        for (int key : {Qt::Key_F2, Qt::Key_F3, Qt::Key_F4}) {
            const QString name = QKeySequence(key).toString();
            const char *dot = ".";
            QTest::addRow("%s 10699, no selection", qPrintable(name))
                << key << 10699 << 0 << none << QString(10699, key == Qt::Key_F2 ? '.' : 'a');
            QTest::addRow("%s 10700, no selection", qPrintable(name))
                << key << 10700 << 0 << messageA << none;
            QTest::addRow("%s 10700, selection 10699", qPrintable(name))
                << key << 10700 << 10699 << none
                << QString(10699, key == Qt::Key_F2 ? QChar('.') : QChar('b'));
            QTest::addRow("%s 10700, selection 10700", qPrintable(name))
                << key << 12000 << 10700 << messageB << none;
            QTest::addRow("%s 500, selection 20 ignored", qPrintable(name))
                << key << 500 << 20 << none
                << (key == Qt::Key_F2 ? QString(500, *dot) : QString(480, 'a') + QString(20, 'b'));
            QTest::addRow("%s empty document", qPrintable(name)) << key << 0 << 0 << none << none;
        }
    }
    void viewsChooseBetweenDocumentAndSelection() {
        QFETCH(int, key);
        QFETCH(int, documentSize);
        QFETCH(int, selectionSize);
        QFETCH(QString, message);
        QFETCH(QString, output);
        loadWithSelection(documentSize, selectionSize);
        showText(outputPane, "old");
        MessageCatcher catcher;
        QTest::keyClick(form, Qt::Key(key));
        QCOMPARE(catcher.texts(), message.isEmpty() ? QStringList() : QStringList(message));
        for (const auto &box : catcher.messages) {
            QCOMPARE(box.title, QStringLiteral("kktview"));
            QCOMPARE(box.icon, QMessageBox::NoIcon);
            QCOMPARE(box.buttonCount, 1);
        }
        QCOMPARE(outputPane->toPlainText(), output);
    }

    void hexEditShowsTheDumpBesideThe1251Text_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<int>("selectionSize");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("output");
        QTest::newRow("whole document") << QByteArray("AB\r\n\xC0") << 0 << "41  42  0D  0A  C0  "
                                        << "AB..А";
        QTest::newRow("selection of a large one")
            << QByteArray(12000, 'a') + "bbb" << 3 << "62  62  62  "
            << "bbb";
    }
    void hexEditShowsTheDumpBesideThe1251Text() {
        QFETCH(QByteArray, document);
        QFETCH(int, selectionSize);
        QFETCH(QString, hex);
        QFETCH(QString, output);
        form->setDocument(document);
        // Selected backwards from the end, as Shift+Left does.
        inputPane->selection()->select(document.size(), document.size() - selectionSize);
        show(hexPane, views::hexDump, "old");
        QTest::keyClick(form, Qt::Key_F5);
        QCOMPARE(hexPane->toPlainText(), hex);
        QCOMPARE(outputPane->toPlainText(), output);
        QVERIFY(form->isHexEditLayout());
        QVERIFY(child<QLabel>(form, objectnames::ruler)->isVisible());
        QVERIFY(inFront(hexPane));
    }

    // The dump shows the bytes it is given. The document's own bytes at
    // their place are followed, so an edit shows at once; other bytes are
    // dumped as they are and stay.
    void hexDumpShowsTheBytesGiven_data() {
        QTest::addColumn<QByteArray>("given");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("afterEdit");
        QTest::newRow("the document's own bytes") << QByteArray("BC") << qint64(1) << "42  43  "
                                                  << "5A  43  ";
        QTest::newRow("the whole document") << QByteArray("ABCD") << qint64(0) << "41  42  43  44  "
                                            << "41  5A  43  44  ";
        QTest::newRow("other bytes") << QByteArray("xy") << qint64(1) << "78  79  "
                                     << "78  79  ";
        QTest::newRow("past the document's end") << QByteArray("DE") << qint64(3) << "44  45  "
                                                 << "44  45  ";
    }
    void hexDumpShowsTheBytesGiven() {
        QFETCH(QByteArray, given);
        QFETCH(qint64, offset);
        QFETCH(QString, hex);
        QFETCH(QString, afterEdit);
        form->setDocument("ABCD");
        form->findChild<ViewCommands *>()->dumpHex(given, offset);
        QCOMPARE(hexPane->toPlainText(), hex);
        inputPane->selection()->select(1, 2);
        typeText(inputPane, QStringLiteral("Z"));
        QCOMPARE(form->document(), QByteArray("AZCD"));
        QCOMPARE(hexPane->toPlainText(), afterEdit);
    }

    // In the hex-edit layout, a document over the limit: F3 empties only the
    // output pane; F5 brings the input pane to the front and hides the ruler
    // but moves and clears nothing.
    void refusalsInTheHexEditLayout() {
        form->setDocument("xyz");
        QTest::keyClick(form, Qt::Key_F5);
        form->setDocument(QByteArray(10700, 'a'));
        QCoreApplication::processEvents(); // the panes show the document's bytes
        const QString hex = hexPane->toPlainText();
        const QRect hexGeometry = hexPane->geometry(), outputGeometry = outputPane->geometry();
        MessageCatcher catcher;
        QTest::keyClick(form, Qt::Key_F3);
        QCOMPARE(outputPane->toPlainText(), QString());
        showText(outputPane, "out");
        form->activateWindow(); // the offscreen platform does not return it
        QVERIFY(QTest::qWaitForWindowActive(form));
        QTest::keyClick(form, Qt::Key_F5);
        QCOMPARE(catcher.texts(), QStringList({messageA, messageA}));
        QVERIFY(!child<QLabel>(form, objectnames::ruler)->isVisible());
        QVERIFY(inFront(inputPane));
        QVERIFY(form->isHexEditLayout());
        QCOMPARE(hexPane->geometry(), hexGeometry);
        QCOMPARE(outputPane->geometry(), outputGeometry);
        QCOMPARE(hexPane->toPlainText(), hex);
        QCOMPARE(outputPane->toPlainText(), QStringLiteral("out"));
        QCOMPARE(panel(1), QStringLiteral("10700"));
    }

    void hexEditRefusedWithMessageBChangesNothing() {
        loadWithSelection(12000, 10700);
        show(hexPane, views::hexDump, "hex");
        showText(outputPane, "out");
        MessageCatcher catcher;
        QTest::keyClick(form, Qt::Key_F5);
        QCOMPARE(catcher.texts(), QStringList(messageB));
        QVERIFY(!form->isHexEditLayout());
        QVERIFY(!child<QLabel>(form, objectnames::ruler)->isVisible());
        QCOMPARE(hexPane->toPlainText(), QStringLiteral("68  65  78  "));
        QCOMPARE(outputPane->toPlainText(), QStringLiteral("out"));
    }

    void countersFollowTyping() {
        typeText(inputPane, "a");
        QCOMPARE(panel(1), QStringLiteral("1"));
        QCOMPARE(panel(2), QStringLiteral(" bytes"));
        typeText(inputPane, "b");
        QCOMPARE(panel(1), QStringLiteral("2"));
        QTest::keyClick(inputPane, Qt::Key_Return);
        QCOMPARE(panel(1), QStringLiteral("4"));
        QCOMPARE(form->document(), QByteArray("ab\r\n"));
        QTest::keyClick(inputPane, Qt::Key_Backspace);
        QCOMPARE(panel(1), QStringLiteral("2"));
    }

    void selectionCountersFollowKeyboardAndMouse() {
        typeText(inputPane, "abc");
        QTest::keyClick(inputPane, Qt::Key_Return);
        typeText(inputPane, "d");
        QTest::keyClick(inputPane, Qt::Key_Left, Qt::ShiftModifier);
        QTest::keyClick(inputPane, Qt::Key_Left, Qt::ShiftModifier);
        QCOMPARE(panel(3), QStringLiteral("3")); // "d" and the CR LF before it
        QAction *selectAll = child<QAction>(form, objectnames::selectAllCommand);
        selectAll->trigger();
        QCOMPARE(panel(3), QStringLiteral("6"));
        // A selection changed behind the pane's back shows on the next mouse move.
        QSignalBlocker blocker(inputPane->selection());
        inputPane->selection()->select(inputPane->selection()->anchor(), 1);
        QCOMPARE(panel(3), QStringLiteral("6"));
        QTest::mouseMove(inputPane->viewport(), QPoint(30, 30));
        QTest::mouseMove(inputPane->viewport(), QPoint(40, 40));
        QCOMPARE(panel(3), QStringLiteral("1"));
    }

    void hexSelectionCountsOnMouseMove() {
        form->setDocument("AB");
        QTest::keyClick(form, Qt::Key_F5);
        {
            QSignalBlocker blocker(hexPane);
            hexPane->setSelection(4, 8);
        }
        QCOMPARE(panel(4), QStringLiteral("0"));
        QTest::mouseMove(hexPane->viewport(), QPoint(30, 30));
        QTest::mouseMove(hexPane->viewport(), QPoint(50, 30));
        QCOMPARE(panel(4), QStringLiteral("4"));
    }

    // Typed, entered by an input method, pasted or dropped, a character
    // without a byte leaves the document and panel 1 as they were, and a
    // notice at the foot of the pane names it without taking the focus.
    void charactersWithoutAByteAreLeftOutAndNamed_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("inserted");
        QTest::addColumn<QString>("notice");
        const QString single = QStringLiteral("Символ «%1» не входит в кодировку 1251");
        const std::pair<const char *, QString> characters[] = {
            {"zero-width space", QStringLiteral("\u200B")},
            {"left-to-right mark", QStringLiteral("\u200E")},
            {"byte order mark", QStringLiteral("\uFEFF")},
            {"private use", QStringLiteral("\uE000")},
            {"emoji", QStringLiteral("\U0001F600")},
            {"e and combining acute", QStringLiteral("e\u0301")},
            {"rouble sign", QStringLiteral("₽")},
        };
        for (const QString how : {"key", "input method", "paste", "drop"})
            for (const auto &[name, text] : characters)
                QTest::addRow("%s, %s", qPrintable(how), name)
                    << how << text << QByteArray() << single.arg(text);
        QTest::newRow("keys, price") << "keys" << QStringLiteral("ЦЕНА 100 ₽")
                                     << QByteArray("\xD6\xC5\xCD\xC0 100 ") << single.arg("₽");
        QTest::newRow("paste, two left out")
            << "paste" << QStringLiteral("1₽2\U0001F6003") << QByteArray("123")
            << QStringLiteral("Пропущены символы, которых нет в кодировке 1251: 2 (первый — "
                              "«₽»)");
    }
    void charactersWithoutAByteAreLeftOutAndNamed() {
        QFETCH(QString, how);
        QFETCH(QString, text);
        QFETCH(QByteArray, inserted);
        QFETCH(QString, notice);
        form->setDocument("<>");
        inputPane->setFocus();
        inputPane->selection()->moveCaret(1);
        QSignalSpy refused(inputPane, &InputPane::charactersRefused);

        if (how == "key") {
            QTest::sendKeyEvent(QTest::Click, inputPane, Qt::Key_unknown, text, Qt::NoModifier);
        } else if (how == "keys") {
            typeText(inputPane, text);
        } else if (how == "input method") {
            QInputMethodEvent event;
            event.setCommitString(text);
            QApplication::sendEvent(inputPane, &event);
        } else if (how == "paste") {
            QGuiApplication::clipboard()->setText(text);
            QTest::keyClick(inputPane, Qt::Key_V, Qt::ControlModifier);
        } else {
            QMimeData data;
            data.setText(text);
            const QPoint at = inputPane->caretRect().center();
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(inputPane->viewport(), &enter);
            QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(inputPane->viewport(), &drop);
            QVERIFY(drop.isAccepted());
        }

        const QByteArray document = "<" + inserted + ">";
        QCOMPARE(form->document(), document);
        QCOMPARE(panel(1), QString::number(document.size()));
        QCOMPARE(refused.size(), 1);
        const auto *said = inputPane->findChild<QLabel *>(QStringLiteral("lblNotice"));
        QVERIFY(said && said->isVisible());
        QCOMPARE(said->text(), notice);
        QVERIFY(inputPane->hasFocus());
        QCOMPARE(QApplication::activeModalWidget(), nullptr);
    }

    void clearEmptiesOnlyTheDocumentAndUndoes() {
        QByteArray bytes(500, 'q');
        for (int b = 0; b < 256; ++b)
            bytes[b] = char(b);
        bytes += "\r\n\r";
        form->setDocument(bytes);
        QTest::keyClick(form, Qt::Key_F5);
        const QString hex = hexPane->toPlainText(), output = outputPane->toPlainText();
        form->setToolbarCaption("  /tmp/file");
        child<QAction>(form, objectnames::clearCommand)->trigger();
        QCOMPARE(form->document(), QByteArray());
        QCOMPARE(panel(1), QStringLiteral("0"));
        QCOMPARE(panel(2), QStringLiteral(" bytes"));
        QCOMPARE(panel(4), QStringLiteral("0"));
        QCOMPARE(hexPane->toPlainText(), hex);
        QCOMPARE(outputPane->toPlainText(), output);
        QCOMPARE(form->toolbarCaption(), QStringLiteral("  /tmp/file"));
        QTest::keyClick(inputPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), bytes);
        QCOMPARE(panel(1), QString::number(bytes.size()));
    }

    // A copied line break is one "\n" on the clipboard, as other programs
    // take a line break; the cuts that keep a long run in short pieces add
    // nothing. Selected and copied with the keyboard.
    void copiedLineBreaksAreNewlinesOnTheClipboard_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<int>("skipped");  // Right presses before the selection
        QTest::addColumn<int>("selected"); // Shift+Right presses; -1 selects all
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("one line break") << QByteArray("A\r\nB") << 1 << 1 << "\n";
        QTest::newRow("a word and its break") << QByteArray("AB\r\nCD") << 0 << 3 << "AB\n";
        QTest::newRow("lines") << QByteArray("AB\r\n\r\nCD\r\n") << 0 << -1 << "AB\n\nCD\n";
        const QByteArray line = "one line of a long text\r\n";
        QTest::newRow("many lines") << line.repeated(1000) << 0 << -1
                                    << QString::fromLatin1(line.chopped(2) + '\n').repeated(1000);
        QTest::newRow("a long run, then a break") << QByteArray(10000, 'x') + "\r\ny" << 0 << -1
                                                  << QString(10000, QLatin1Char('x')) + "\ny";
    }
    void copiedLineBreaksAreNewlinesOnTheClipboard() {
        QFETCH(QByteArray, document);
        QFETCH(int, skipped);
        QFETCH(int, selected);
        QFETCH(QString, clipboard);
        form->setDocument(document);
        inputPane->setFocus();
        QTest::keyClick(inputPane, Qt::Key_Home, Qt::ControlModifier);
        for (int i = 0; i < skipped; ++i)
            QTest::keyClick(inputPane, Qt::Key_Right);
        if (selected < 0)
            QTest::keyClick(inputPane, Qt::Key_A, Qt::ControlModifier);
        for (int i = 0; i < selected; ++i)
            QTest::keyClick(inputPane, Qt::Key_Right, Qt::ShiftModifier);
        QGuiApplication::clipboard()->clear();

        QTest::keyClick(inputPane, Qt::Key_C, Qt::ControlModifier);

        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard);
        QCOMPARE(form->document(), document);
    }

    void clicheListingsOfTypedText_data() {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<int>("key");
        QTest::addColumn<QString>("listing");
        QTest::newRow("866, empty") << QStringList() << int(Qt::Key_F8) << "нов.стр.";
        QTest::newRow("866, АБ") << QStringList({"АБ"}) << int(Qt::Key_F8) << "нов.стр.128_129_";
        QTest::newRow("866, two lines")
            << QStringList({"Аа", "я"}) << int(Qt::Key_F8) << "нов.стр.128_192_\nнов.стр.239_";
        QTest::newRow("1251, empty") << QStringList() << int(Qt::Key_F7) << "нов.стр.";
        QTest::newRow("1251, АБ") << QStringList({"АБ"}) << int(Qt::Key_F7) << "нов.стр.192_193_";
        QTest::newRow("1251, two lines")
            << QStringList({"А", "я"}) << int(Qt::Key_F7) << "нов.стр.192_\nнов.стр.10_255_";
    }
    void clicheListingsOfTypedText() {
        QFETCH(QStringList, lines);
        QFETCH(int, key);
        QFETCH(QString, listing);
        for (int i = 0; i < lines.size(); ++i) {
            if (i > 0)
                QTest::keyClick(inputPane, Qt::Key_Return);
            typeText(inputPane, lines[i]);
        }
        inputPane->selectAll();
        showText(outputPane, "old");
        QTest::keyClick(form, Qt::Key(key));
        QCOMPARE(outputPane->toPlainText(), listing);
        QTest::keyClick(form, Qt::Key(key));
        QCOMPARE(outputPane->toPlainText(), listing);
    }

    void clicheListingsRefuseDocumentsOverTheirBound_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("listed");
        const int bound = int(sizebounds::clicheListingAtMost);
        QTest::newRow("866, 1 MiB + 1") << 1024 * 1024 + 1 << int(Qt::Key_F8) << true;
        QTest::newRow("866, the bound + 1") << bound + 1 << int(Qt::Key_F8) << false;
        QTest::newRow("1251, the bound + 1") << bound + 1 << int(Qt::Key_F7) << false;
    }
    void clicheListingsRefuseDocumentsOverTheirBound() {
        QFETCH(int, size);
        QFETCH(int, key);
        QFETCH(bool, listed);
        QByteArray document;
        while (document.size() < size)
            document += QByteArray(58, 'a') + "\r\n";
        document.truncate(size);
        form->setDocument(document);
        showText(outputPane, "old");
        MessageCatcher catcher;
        QTest::keyClick(form, Qt::Key(key));
        if (listed) {
            QCOMPARE(catcher.texts(), QStringList());
            QVERIFY(outputPane->toPlainText().startsWith(QStringLiteral("нов.стр.")));
        } else {
            const QString mebibytes =
                QString::number(sizebounds::inMebibytes(sizebounds::clicheListingAtMost));
            QCOMPARE(catcher.texts(),
                     QStringList(QStringLiteral("Файл больше %1 МБ!\nЛистинг клише "
                                                "строится для файлов до %1 МБ")
                                     .arg(mebibytes)));
            QCOMPARE(outputPane->toPlainText(), QStringLiteral("old"));
        }
    }

private:
    QString panel(int i) const { return form->panelText(i); }

    // A document of "a" bytes whose last selectionSize bytes are "b" and
    // selected, the selection made as with the keyboard.
    void loadWithSelection(int documentSize, int selectionSize) {
        form->setDocument(QByteArray(documentSize - selectionSize, 'a') +
                          QByteArray(selectionSize, 'b'));
        inputPane->selectBytes(documentSize - selectionSize, selectionSize);
        QCOMPARE(panel(1), QString::number(documentSize));
        QCOMPARE(panel(3), QString::number(selectionSize));
    }
};

KKTVIEW_TEST_MAIN(TestWindowCommands)
#include "tst_windowcommands.moc"
