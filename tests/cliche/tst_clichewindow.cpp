#include "../testfonts.h"
#include "base/sizebounds.h"
#include "clichecheckwindow.h"
#include "objectnames.h"
#include "oracle.h"
#include "receiptpreview.h"
#include "windowfixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>

// The cliche check window driven like a user would, against the document
// of the main window; and the conversion commands of the edit menu.
class ClicheWindowTest : public WindowFixture {
    Q_OBJECT

    ClicheCheckWindow *checkWindow() {
        ClicheCheckWindow *found = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *window = qobject_cast<ClicheCheckWindow *>(widget))
                found = window;
        }
        return found;
    }

    ClicheCheckWindow *openCheck(const char *model) {
        child<QAction>(form, objectnames::clicheCheckCommand)->trigger();
        ClicheCheckWindow *window = checkWindow();
        if (!window)
            qFatal("no check window");
        auto *models = child<QComboBox>(window, objectnames::modelChoice);
        models->setCurrentIndex(models->findText(QString::fromUtf8(model)));
        return window;
    }

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() {
        closeWindow(); // the check window closes with its document
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!checkWindow());
    }

    void choosingAFindingSelectsItsBytes() {
        // Line breaks before the findings: byte offsets are not positions.
        const QByteArray document = inCp1251("ПРИВЕТ\r\n\r\nМИР!\r\nДОБРО «ПОЖАЛОВАТЬ» В МАГАЗИН");
        form->setDocument(document);
        ClicheCheckWindow *window = openCheck("МЕРКУРИЙ Ф");
        auto *list = child<QListWidget>(window, objectnames::findingList);
        const QList<std::pair<qsizetype, QByteArray>> offending = {
            {13, "!"}, {22, inCp1251("«")}, {33, inCp1251("»")}, {40, inCp1251("АЗИН")}};
        QCOMPARE(list->count(), offending.size());
        for (int row = 0; row < list->count(); ++row) {
            list->setCurrentRow(row);
            QCOMPARE(inputPane->selection()->start(), offending[row].first);
            QCOMPARE(inputPane->selectedBytes(), offending[row].second);
            QCOMPARE(form->panelText(3), QString::number(offending[row].second.size()));
        }
        QCOMPARE(form->document(), document);
    }

    void fixesChangeOnlyWhatTheySayAndUndoExactly_data() {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("button");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("fixed");
        QTest::newRow("capitals") << QByteArray("МЕРКУРИЙ Ф")
                                  << QByteArray(objectnames::capitalsButton)
                                  << inCp1251("Ёлка ёж\r\nabc!-\t«№»\r\nЧАЙ")
                                  << inCp1251("ЁЛКА ЁЖ\r\nABC!-\t«№»\r\nЧАЙ");
        QTest::newRow("replacements")
            << QByteArray("МЕРКУРИЙ Ф") << QByteArray(objectnames::replaceButton)
            << inCp1251("«Ёлочка» №1…\r\nabc!-\tЖ") << inCp1251("\"Елочка\" #1...\r\nabc!-\tЖ");
        QTest::newRow("replacements, 866 with small letters")
            << QByteArray("ЛАДОГА Ф/К") << QByteArray(objectnames::replaceButton)
            << inCp1251("ёж\r\n№") << inCp1251("еж\r\n#");
    }
    void fixesChangeOnlyWhatTheySayAndUndoExactly() {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, button);
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, fixed);
        form->setDocument(document);
        ClicheCheckWindow *window = openCheck(model.constData());
        auto *fix = child<QPushButton>(window, button.constData());
        QVERIFY(fix->isVisible());
        QVERIFY(fix->isEnabled());
        const qsizetype before = window->findings().size();

        QTest::mouseClick(fix, Qt::LeftButton);
        QCOMPARE(form->document(), fixed);
        QVERIFY(window->findings().size() < before);
        QVERIFY(!fix->isEnabled());

        inputPane->undo();
        QCOMPARE(form->document(), document);
        inputPane->redo();
        QCOMPARE(form->document(), fixed);
    }

    void fixesAreOfferedWhereTheyApply() {
        ClicheCheckWindow *window = openCheck("МЕРКУРИЙ К");
        QVERIFY(!child<QPushButton>(window, objectnames::capitalsButton)->isVisible());
        QVERIFY(!child<QPushButton>(window, objectnames::replaceButton)->isVisible());
        child<QComboBox>(window, objectnames::modelChoice)->setCurrentIndex(9); // МЕРКУРИЙ Ф
        QVERIFY(child<QPushButton>(window, objectnames::capitalsButton)->isVisible());
        QVERIFY(child<QPushButton>(window, objectnames::replaceButton)->isVisible());
        QVERIFY(child<QWidget>(window, objectnames::replacementTable)->isVisible());
    }

    void unknownWidthIsSaidAndNotChecked() {
        form->setDocument(QByteArray(40, 'A'));
        ClicheCheckWindow *window = openCheck("АМС 200Ф");
        QVERIFY(
            child<QLabel>(window, objectnames::modelLabel)->text().contains(u"ширина не указана"));
        QVERIFY(window->findings().isEmpty());
        QCOMPARE(child<ReceiptPreview>(window, objectnames::receiptPreview)->paperColumns(), 40);
    }

    void aDocumentOverOneMebibyteIsNotChecked() {
        form->setDocument(QByteArray("!!!!\r\n").repeated(1024 * 1024 / 6 + 1));
        ClicheCheckWindow *window = openCheck("ЛАДОГА Ф/К");
        QVERIFY(window->findings().isEmpty());
        QVERIFY(
            child<QLabel>(window, objectnames::findingSummary)->text().contains(u"больше 1 МиБ"));
        form->setDocument("!");
        window->refresh();
        QCOMPARE(window->findings().size(), 1);
    }

    void otherModelTakesItsFields() {
        form->setDocument(QByteArray("12345678901\r\n2\r\n3"));
        ClicheCheckWindow *window = openCheck("Другая модель");
        QVERIFY(child<QWidget>(window, objectnames::otherModelFields)->isVisible());
        child<QComboBox>(window, objectnames::groupChoice)->setCurrentIndex(1);
        child<QSpinBox>(window, objectnames::widthBox)->setValue(10);
        child<QSpinBox>(window, objectnames::lineLimitBox)->setValue(2);
        QVERIFY(window->model().group == cliche::Group::Cp866);
        QCOMPARE(window->findings().size(), 2);
        QCOMPARE(window->findings()[0].column, 11);
        QCOMPARE(window->findings()[1].line, 3);
    }

    void previewShowsWhatTheGroupPrints() {
        form->setDocument(inCp1251("«Ёж» №1\r\n\r\nAb"));
        ClicheCheckWindow *window = openCheck("ЛАДОГА Ф/К");
        auto *preview = child<ReceiptPreview>(window, objectnames::receiptPreview);
        QCOMPARE(preview->paperColumns(), 17);
        QCOMPARE(preview->rowCount(), 3);
        QCOMPARE(preview->rowText(0), QStringLiteral("..ж. .1"));
        QCOMPARE(preview->rowText(2), QStringLiteral(".."));
        child<QComboBox>(window, objectnames::modelChoice)
            ->setCurrentIndex(7); // МЕРКУРИЙ К, group 1251
        QCOMPARE(preview->rowText(0), QStringLiteral("«Ёж» №1"));
    }

    // The list, the legend and the preview mark a finding in one colour; the
    // text over 10K has none and keeps its place in the list.
    void findingsWearTheirLegendsColour_data() {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("document");
        QTest::newRow("small, unprintable, too wide, lone LF")
            << QByteArray("МЕРКУРИЙ Ф") << inCp1251("ab «x»\r\n") + QByteArray(30, 'A') + "\n\r\n";
        QTest::newRow("too many lines, lone LF")
            << QByteArray("WAB 04RK") << QByteArray("1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7 x\ny");
        QTest::newRow("over 10K") << QByteArray("WAB 04RK") << QByteArray(10240, 'A');
    }
    void findingsWearTheirLegendsColour() {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, document);
        form->setDocument(document);
        ClicheCheckWindow *window = openCheck(model.constData());
        auto *list = child<QListWidget>(window, objectnames::findingList);
        const QString legend = child<QLabel>(window, objectnames::findingLegend)->text();
        const QImage preview = child<ReceiptPreview>(window, objectnames::receiptPreview)
                                   ->viewport()
                                   ->grab()
                                   .toImage();
        QVERIFY(list->count() > 0);
        for (int row = 0; row < list->count(); ++row) {
            const QImage swatch = list->item(row)->icon().pixmap(8, 8).toImage();
            QCOMPARE(swatch.size(), QSize(8, 8));
            const QColor colour = swatch.pixelColor(4, 4);
            if (window->findings().at(row).kind == cliche::FindingKind::TextTooLong) {
                QCOMPARE(colour.alpha(), 0);
                continue;
            }
            QCOMPARE(colour.alpha(), 255);
            QVERIFY2(legend.contains(colour.name()), qPrintable(list->item(row)->text()));
            bool painted = false;
            for (int y = 0; y < preview.height() && !painted; ++y) {
                for (int x = 0; x < preview.width() && !painted; ++x)
                    painted = preview.pixelColor(x, y) == colour;
            }
            QVERIFY2(painted, qPrintable(list->item(row)->text()));
        }
    }

    void typingIsCheckedWithoutAsking() {
        form->setDocument("12");
        ClicheCheckWindow *window = openCheck("ЛАДОГА Ф/К");
        QVERIFY(window->findings().isEmpty());
        inputPane->setFocus();
        QTest::keyClick(inputPane, Qt::Key_End, Qt::ControlModifier);
        typeText(inputPane, QStringLiteral("!"));
        QTRY_COMPARE_WITH_TIMEOUT(window->findings().size(), 1, 10000);
        QCOMPARE(form->document(), QByteArray("12!"));
    }

    void oneWindowAtATimeClosedWithTheMainWindow() {
        ClicheCheckWindow *first = openCheck("ЛАДОГА Ф/К");
        QCOMPARE(openCheck("ЛАДОГА Ф/К"), first);
        QPointer<ClicheCheckWindow> window(first);
        form->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!window);
    }

    // Escape closes the window whichever of its controls has the focus.
    void escapeClosesTheWindow_data() {
        QTest::addColumn<QString>("control");
        QTest::newRow("model") << objectnames::modelChoice;
        QTest::newRow("findings") << objectnames::findingList;
        QTest::newRow("width of another model") << objectnames::widthBox;
    }
    void escapeClosesTheWindow() {
        QFETCH(QString, control);
        form->setDocument("abc");
        inputPane->setFocus();
        QTest::keyClick(inputPane, Qt::Key_K, Qt::ControlModifier);
        QPointer<ClicheCheckWindow> window = checkWindow();
        QVERIFY(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
        auto *models = child<QComboBox>(window, objectnames::modelChoice);
        models->setCurrentIndex(models->count() - 1);
        QWidget *focus = child<QWidget>(window, qPrintable(control));
        focus->setFocus();
        QVERIFY(focus->hasFocus());

        QTest::keyClick(focus, Qt::Key_Escape);

        QTRY_VERIFY(!window);
        QCOMPARE(form->document(), QByteArray("abc"));
    }

    void recodingConvertsTheSelectionOrElseAllInOneStep_data() {
        QTest::addColumn<QByteArray>("action");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<int>("selectionStart");
        QTest::addColumn<int>("selectionLength");
        QTest::addColumn<QByteArray>("converted");
        QTest::addColumn<QString>("notice");
        const QByteArray text1251 = inCp1251("Привет «мир»\r\n\t№5");
        const QByteArray text866 = *iconvConvert("CP866", "UTF-8", "Привет \r\n\t№5");
        QTest::newRow("1251 -> 866, all")
            << QByteArray(objectnames::recodeTo866Command) << text1251 << 0 << 0
            << *iconvConvert("CP866", "UTF-8", "Привет ") + inCp1251("«") +
                   *iconvConvert("CP866", "UTF-8", "мир") + inCp1251("»") +
                   *iconvConvert("CP866", "UTF-8", "\r\n\t№5")
            << QStringLiteral("2 символа без соответствия: «, »");
        QTest::newRow("1251 -> 866, selection")
            << QByteArray(objectnames::recodeTo866Command) << text1251 << 1 << 3
            << inCp1251("П") + *iconvConvert("CP866", "UTF-8", "рив") + inCp1251("ет «мир»\r\n\t№5")
            << QString();
        QTest::newRow("866 -> 1251, all")
            << QByteArray(objectnames::recodeTo1251Command) << text866 + "\xB0" << 0 << 0
            << inCp1251("Привет \r\n\t№5") + "\xB0"
            << QStringLiteral("1 символ без соответствия: код 176");
        // Invisible as a character, it goes by its code.
        QTest::newRow("1251 -> 866, soft hyphen")
            << QByteArray(objectnames::recodeTo866Command) << inCp1251("Я\u00AD") << 0 << 0
            << *iconvConvert("CP866", "UTF-8", "Я") + "\xAD"
            << QStringLiteral("1 символ без соответствия: код 173");
    }
    void recodingConvertsTheSelectionOrElseAllInOneStep() {
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, document);
        QFETCH(int, selectionStart);
        QFETCH(int, selectionLength);
        QFETCH(QByteArray, converted);
        QFETCH(QString, notice);
        form->setDocument(document);
        inputPane->selectBytes(selectionStart, selectionLength);
        inputPane->setFocus();
        child<QAction>(form, action.constData())->trigger();
        QCOMPARE(form->document(), converted);
        QCOMPARE(inputPane->selection()->length(), qint64(selectionLength));
        auto *said = inputPane->findChild<QLabel *>(QStringLiteral("lblNotice"));
        QCOMPARE(said && said->isVisible() ? said->text() : QString(), notice);
        QVERIFY(inputPane->hasFocus());
        inputPane->undo();
        QCOMPARE(form->document(), document);
        QVERIFY(!said || !said->isVisible());
    }

    // Recoding holds its part in memory several times over: a part past the
    // bound is left as it is, with a notice, rather than run out of memory;
    // a smaller selection of the same document recodes.
    void recodingALargePartAsksForASmallerOne() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("large.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("\x8F\xE0") == 2 &&
                file.resize(sizebounds::recodedAtMost + 1));
        file.close();
        QVERIFY(form->openFile(file.fileName()));
        inputPane->setFocus();
        child<QAction>(form, objectnames::recodeTo866Command)->trigger();
        auto *said = inputPane->findChild<QLabel *>(QStringLiteral("lblNotice"));
        QVERIFY(said && said->isVisible());
        QCOMPARE(said->text(),
                 "Перекодировать можно не более 64 МБ за раз: выделите часть документа");
        QVERIFY(!inputPane->document()->isModified());
        inputPane->selectBytes(0, 2);
        child<QAction>(form, objectnames::recodeTo1251Command)->trigger();
        QVERIFY(inputPane->document()->isModified());
        QCOMPARE(QByteArray(inputPane->selectedBytes()), inCp1251("Пр"));
    }
};

KKTVIEW_TEST_MAIN(ClicheWindowTest)
#include "tst_clichewindow.moc"
