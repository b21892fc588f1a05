#include "../statevariables.h"
#include "../testfonts.h"
#include "checksumsdialog.h"
#include "finddialog.h"
#include "gotodialog.h"
#include "objectnames.h"
#include "windowfixture.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTemporaryDir>
#include <QToolTip>
#include <QTreeWidget>

namespace {

constexpr qint64 bigSize = 64 * 1024 * 1024;
const QByteArray marker("\xDE\xAD\xBE\xEF\x5A", 5);
constexpr qint64 markerNearStart = 100;
constexpr qint64 markerNearEnd = bigSize - 4099;

// 64 MiB of bytes 0..250 over and over, the marker near the start and near
// the end and nowhere else (251 never occurs).
const QByteArray &bigDocument() {
    static const QByteArray bytes = [] {
        QByteArray made(bigSize, Qt::Uninitialized);
        for (qint64 i = 0; i < bigSize; ++i)
            made[i] = char(i % 251);
        made.replace(markerNearStart, marker.size(), marker);
        made.replace(markerNearEnd, marker.size(), marker);
        return made;
    }();
    return bytes;
}

void goTo(MainWindow *form, qint64 offset) {
    DialogAnswer<GotoDialog> driver([&](GotoDialog *dialog) {
        child<QLineEdit>(dialog, objectnames::offsetText)->setText(QString::number(offset));
        child<QPushButton>(dialog, objectnames::goToButton)->click();
    });
    QTest::keyClick(form, Qt::Key_G, Qt::ControlModifier);
    QVERIFY(driver.seen);
}

void findHex(MainWindow *form, const QString &hex) {
    DialogAnswer<FindDialog> driver([&](FindDialog *dialog) {
        child<QLineEdit>(dialog, objectnames::findText)->setText(hex);
        child<QRadioButton>(dialog, objectnames::hexOption)->click();
        child<QPushButton>(dialog, objectnames::findButton)->click();
    });
    QTest::keyClick(form, Qt::Key_F, Qt::ControlModifier);
    QVERIFY(driver.seen);
}

// How many pixels of a rectangle of the widget show the colour.
int pixelsOf(QWidget *widget, const QRect &rect, const QColor &colour) {
    const QImage image = widget->grab(rect).toImage();
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixelColor(x, y).rgb() == colour.rgb();
    return count;
}

} // namespace

// The hex-edit layout over the whole document (Shift+F5) and the dump tools
// around it: the text beside it, the caret's place in panel 8, the values
// panel, the checksums and the comparison with a file.
class TestDumpWindow : public WindowFixture {
    Q_OBJECT

    ByteDocument *doc() const { return form->findChild<ByteDocument *>(); }
    ByteSelection *selection() const { return doc()->findChild<ByteSelection *>(); }
    QString panel(int n) const { return form->panelText(n); }
    QAction *action(const char *name) const { return child<QAction>(form, name); }
    void wholeDocument() { QTest::keyClick(form, Qt::Key_F5, Qt::ShiftModifier); }

    // The caret's byte of the hex pane in its viewport.
    bool caretInSight() const {
        return hexPane->viewport()->rect().contains(
            hexPane->placeRect(hexPane->cursorPlace()).center().toPoint());
    }

    QTemporaryDir settings;

private slots:
    // What the windows remember goes to a directory of the suite's own.
    void initTestCase() { statevariables::set(statevariables::settingsHome, settings.path()); }
    void init() {
        QVERIFY(openWindow());
        QToolTip::hideText();
    }
    void cleanup() { closeWindow(); }

    // Go to, Find and Find next land on their byte near the end of 64 MiB,
    // in sight in the hex pane, named in panel 8; two digits typed there
    // overwrite that byte of the document alone, and Ctrl+Z restores it.
    void wholeDocumentLandsOnTheByte_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<qint64>("offset");
        QTest::newRow("go to the last byte") << "goto" << bigSize - 1;
        QTest::newRow("go to a row's first byte") << "goto" << bigSize - 16 * 1000;
        QTest::newRow("go to the end") << "goto" << bigSize;
        QTest::newRow("find from the caret") << "find" << markerNearEnd;
        QTest::newRow("find next goes round") << "findnext" << markerNearStart;
    }
    void wholeDocumentLandsOnTheByte() {
        QFETCH(QString, command);
        QFETCH(qint64, offset);
        form->setDocument(bigDocument());
        inputPane->selectBytes(1000, 0);
        wholeDocument();
        QVERIFY(form->isHexEditLayout() && inFront(hexPane));
        QCOMPARE(hexPane->tokenCount(), bigSize);
        QCOMPARE(outputPane->tokenCount(), bigSize);

        if (command == "goto") {
            goTo(form, offset);
        } else {
            findHex(form, "DEADBEEF5A");
            if (command == "findnext") {
                // The dialog closed; the window takes the keys again.
                form->activateWindow();
                QTRY_COMPARE(QApplication::activeWindow(), form);
                QTest::keyClick(form, Qt::Key_F9);
            }
        }
        const qint64 length = command == "goto" ? 0 : marker.size();
        QCOMPARE(selection()->start(), offset);
        QCOMPARE(selection()->length(), length);
        QCOMPARE(hexPane->selectedTokens(), std::pair(offset, offset + length));
        QVERIFY(caretInSight());
        const auto hex = [](qint64 value) {
            return "0x" + QString::number(value, 16).toUpper().rightJustified(8, u'0');
        };
        QCOMPARE(panel(8), length ? hex(offset) + "–" + hex(offset + 4) + ", 5"
                                  : hex(offset) + QStringLiteral(" (%1)").arg(offset));

        // The digits go where the caret stands: on the byte gone to, on the
        // first byte of a match once the caret is put there.
        inputPane->selectBytes(offset, 0);
        QCOMPARE(hexPane->cursorPlace().token, offset);
        const QByteArray before = doc()->read(offset - 1, 3);
        typeText(hexPane, "ab");
        const QByteArray expected =
            offset < bigSize ? before.left(1) + "\xAB" + before.mid(2) : before;
        QCOMPARE(doc()->size(), bigSize);
        QCOMPARE(doc()->read(offset - 1, 3), expected);
        if (offset < bigSize)
            QCOMPARE(hexPane->byteAt(offset), 0xAB);
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(doc()->read(offset - 1, 3), before);
    }

    // F5 over a selection of a large document dumps that piece; Go to a byte
    // outside it shows the whole document first, one inside keeps the piece;
    // so does a caret moved by another window.
    void goToOutsideThePieceShowsTheWholeDocument_data() {
        QTest::addColumn<bool>("byCheckWindow");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<bool>("whole");
        QTest::newRow("inside") << false << qint64(5050) << false;
        QTest::newRow("after its last byte") << false << qint64(5100) << false;
        QTest::newRow("just before") << false << qint64(4999) << true;
        QTest::newRow("near the end") << false << qint64(19999) << true;
        QTest::newRow("check window, inside") << true << qint64(5001) << false;
        QTest::newRow("check window, outside") << true << qint64(300) << true;
    }
    void goToOutsideThePieceShowsTheWholeDocument() {
        QFETCH(bool, byCheckWindow);
        QFETCH(qint64, offset);
        QFETCH(bool, whole);
        form->setDocument(bigDocument().left(20000));
        inputPane->selectBytes(5000, 100);
        QTest::keyClick(form, Qt::Key_F5);
        QVERIFY(form->isHexEditLayout());
        QCOMPARE(hexPane->source().offset, 5000);
        QCOMPARE(hexPane->tokenCount(), 100);

        if (byCheckWindow) {
            // As the cliche check selects a finding: in the document alone.
            selection()->selectRange(offset, 0);
            QCoreApplication::processEvents();
        } else {
            goTo(form, offset);
        }
        QCOMPARE(hexPane->source().offset, whole ? 0 : 5000);
        QCOMPARE(hexPane->tokenCount(), whole ? 20000 : 100);
        QCOMPARE(outputPane->tokenCount(), hexPane->tokenCount());
        QCOMPARE(hexPane->cursorPlace().token, offset - hexPane->source().offset);
        QCOMPARE(selection()->caret(), offset);
        QVERIFY(caretInSight());
        QVERIFY(inFront(hexPane));
    }

    // Panel 8 names the caret, or the selection's first and last byte and
    // its length, after every move in the input pane and in the hex pane.
    void panel8FollowsTheCaret_data() {
        QTest::addColumn<bool>("inHexPane");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::newRow("input caret") << false << ""
                                     << "0x00F0 (240)";
        QTest::newRow("input right") << false << "R"
                                     << "0x00F1 (241)";
        QTest::newRow("input typed") << false << "x"
                                     << "0x00F1 (241)";
        QTest::newRow("input select") << false << "SSS"
                                      << "0x00F0–0x00F2, 3";
        QTest::newRow("hex nibble right") << true << "R"
                                          << "0x00F0 (240)";
        QTest::newRow("hex byte right") << true << "RR"
                                        << "0x00F1 (241)";
        QTest::newRow("hex select") << true << "SS"
                                    << "0x00F0–0x00F1, 2";
        QTest::newRow("hex nibbles") << true << "12"
                                     << "0x00F1 (241)";
    }
    void panel8FollowsTheCaret() {
        QFETCH(bool, inHexPane);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        form->setDocument(bigDocument().left(300));
        if (inHexPane)
            wholeDocument();
        inputPane->selectBytes(240, 0);
        QWidget *pane = inHexPane ? static_cast<QWidget *>(hexPane) : inputPane;
        pane->setFocus();
        for (const QChar key : keys) {
            if (key == u'R')
                QTest::keyClick(pane, Qt::Key_Right);
            else if (key == u'S')
                QTest::keyClick(pane, Qt::Key_Right, Qt::ShiftModifier);
            else
                typeText(pane, key);
        }
        QCOMPARE(panel(8), shown);
        // Whole, at the window's start size: panel 7's text gives way.
        auto *label = child<QLabel>(form, statusPanelName(8));
        QVERIFY(label->fontMetrics().horizontalAdvance(label->text()) <=
                label->contentsRect().width());
        QVERIFY(label->geometry().right() < label->parentWidget()->width());
    }

    // Differing bytes are marked in all three panes while they differ; the
    // toolbar sums them up; Alt+Down and Alt+Up select one run after the
    // other, going round at either end.
    void comparisonMarksAndSteps() {
        QByteArray document(64, ' ');
        QByteArray file = document + "tail!!";
        for (const int at : {3, 4, 20, 60})
            file[at] = '#';
        QTemporaryDir dir;
        QFile out(dir.filePath("other.bin"));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        form->setDocument(document);
        QVERIFY(!action(objectnames::nextDifferenceCommand)->isEnabled());
        QVERIFY(form->compareWithFile(out.fileName()));
        auto *summary = child<QLabel>(form, objectnames::comparisonSummary);
        QTRY_VERIFY(summary->isVisible());
        QCOMPARE(summary->text().trimmed(),
                 "Различаются 4 байта, первый — 0x0003 (3); файл длиннее документа на 6 байт");

        const QColor mark(255, 190, 190);
        QWidget *inputView = inputPane->viewport();
        QVERIFY(pixelsOf(inputView, inputPane->byteRect(3).toAlignedRect(), mark) > 0);
        QCOMPARE(pixelsOf(inputView, inputPane->byteRect(5).toAlignedRect(), mark), 0);
        wholeDocument();
        const auto hexCell = [this](qint64 byte) {
            return hexPane->placeRect({byte, 0}).toAlignedRect();
        };
        QVERIFY(pixelsOf(hexPane->viewport(), hexCell(20), mark) > 0);
        QCOMPARE(pixelsOf(hexPane->viewport(), hexCell(21), mark), 0);
        // The same bytes in the text beside the dump.
        const auto textCell = [this](qint64 byte) {
            return outputPane->placeRect({byte, 0}).toAlignedRect();
        };
        QVERIFY(pixelsOf(outputPane->viewport(), textCell(20), mark) > 0);
        QCOMPARE(pixelsOf(outputPane->viewport(), textCell(21), mark), 0);

        const QList<std::pair<qint64, qint64>> down = {{3, 2}, {20, 1}, {60, 1}, {3, 2}};
        for (const auto &[offset, length] : down) {
            QTest::keyClick(hexPane, Qt::Key_Down, Qt::AltModifier);
            QCOMPARE(std::pair(selection()->start(), selection()->length()),
                     std::pair(offset, length));
        }
        const QList<std::pair<qint64, qint64>> up = {{60, 1}, {20, 1}, {3, 2}};
        for (const auto &[offset, length] : up) {
            QTest::keyClick(hexPane, Qt::Key_Up, Qt::AltModifier);
            QCOMPARE(std::pair(selection()->start(), selection()->length()),
                     std::pair(offset, length));
        }

        // Typing the file's byte in the hex pane ends that difference.
        inputPane->selectBytes(3, 0);
        typeText(hexPane, "23");
        QCOMPARE(summary->text().trimmed(),
                 "Различаются 3 байта, первый — 0x0004 (4); файл длиннее документа на 6 байт");
        // A document opened or cleared ends the comparison.
        QTest::keyClick(form, Qt::Key_F6);
        form->setDocument("other");
        QTRY_VERIFY(!summary->isVisible());
        QVERIFY(!action(objectnames::nextDifferenceCommand)->isEnabled());
    }

    // The notice that a step went round the document is for that step: the
    // next step, which does not go round, takes it away.
    void wrapNoticeGoesWithTheNextStep_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<qint64>("caret");
        QTest::addColumn<QString>("notice");
        QTest::newRow("Alt+Up") << int(Qt::Key_Up) << qint64(1) << "продолжено с конца";
        QTest::newRow("Alt+Down") << int(Qt::Key_Down) << qint64(30) << "продолжено с начала";
    }
    void wrapNoticeGoesWithTheNextStep() {
        QFETCH(int, key);
        QFETCH(qint64, caret);
        QFETCH(QString, notice);
        QByteArray document(32, ' ');
        QByteArray file = document;
        file[10] = file[20] = '#';
        QTemporaryDir dir;
        QFile out(dir.filePath("other.bin"));
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(file) == file.size());
        out.close();
        form->setDocument(document);
        QVERIFY(form->compareWithFile(out.fileName()));
        wholeDocument();
        inputPane->selectBytes(caret, 0);

        QTest::keyClick(hexPane, Qt::Key(key), Qt::AltModifier);
        QVERIFY(QToolTip::isVisible());
        QVERIFY2(QToolTip::text().contains(notice), qPrintable(QToolTip::text()));
        QTest::keyClick(hexPane, Qt::Key(key), Qt::AltModifier);
        // Qt lets a tip fade for a moment; left alone, the notice would stay
        // its own four seconds.
        QTRY_VERIFY_WITH_TIMEOUT(!QToolTip::isVisible(), 2000);
    }

    // The text beside the dump in 866 or 1251, and the values panel beside
    // the hex-edit layout: both chosen in "Вид" and kept for the next window.
    void textBesideAndValuesPanelAreRemembered() {
        auto *beside = child<QMenu>(form, objectnames::besideMenu);
        QCOMPARE(shownCaption(beside->title()), "Текст рядом");
        QVERIFY(
            child<QMenu>(form, objectnames::viewMenu)->actions().contains(beside->menuAction()));
        QCOMPARE(shownCaption(action(objectnames::beside1251Command)->text()), "1251 Win");
        QCOMPARE(shownCaption(action(objectnames::beside866Command)->text()), "866 DOS");
        QVERIFY(action(objectnames::beside1251Command)->isChecked());
        form->setDocument("\x8F\xE0\xA8\xA2\xA5\xE2");
        QTest::keyClick(form, Qt::Key_F5);
        QVERIFY(outputPane->source().view == views::cp1251Column);
        action(objectnames::beside866Command)->trigger();
        QVERIFY(outputPane->source().view == views::cp866Column);
        QCOMPARE(outputPane->tokensPerRow(), 16);

        auto *dock = child<QDockWidget>(form, objectnames::valuesDock);
        QVERIFY(!dock->isVisible());
        const int width = form->width();
        const int inputWidth = inputPane->width();
        action(objectnames::valuesCommand)->trigger();
        QVERIFY(dock->isVisible());
        QVERIFY(form->width() > width);
        QCOMPARE(inputPane->width(), inputWidth);
        QTest::keyClick(form, Qt::Key_F6);
        QVERIFY(!dock->isVisible());
        QCOMPARE(form->width(), width);

        QVERIFY(QFile::exists(settings.filePath(statevariables::settingsFile)));
        closeWindow();
        QVERIFY(openWindow());
        QVERIFY(action(objectnames::beside866Command)->isChecked());
        QVERIFY(action(objectnames::valuesCommand)->isChecked());
        form->setDocument("abc");
        wholeDocument();
        QVERIFY(outputPane->source().view == views::cp866Column);
        QVERIFY(child<QDockWidget>(form, objectnames::valuesDock)->isVisible());
        // Back as a first run finds them, for the other suites of this run.
        action(objectnames::beside1251Command)->trigger();
        action(objectnames::valuesCommand)->trigger();
    }

    // Beside the hex-edit layout the panel shows every row whole, the
    // longest control name and date label among them, in whatever font the
    // machine has.
    void valuesPanelShowsEveryTextWhole_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("tab before a date and time") << QByteArray::fromHex("0912242359");
        QTest::newRow("NAK before a date and time") << QByteArray::fromHex("1512242359");
        QTest::newRow("the smallest int32") << QByteArray::fromHex("00000080");
    }
    void valuesPanelShowsEveryTextWhole() {
        QFETCH(QByteArray, bytes);
        form->setDocument(bytes);
        wholeDocument();
        QAction *values = action(objectnames::valuesCommand);
        QVERIFY(!values->isChecked());
        values->trigger();
        const auto restore = qScopeGuard([values] { values->trigger(); });
        auto *list = child<QTreeWidget>(form, objectnames::valuesList);
        QTRY_VERIFY(list->isVisible());
        QVERIFY(list->topLevelItemCount() > 10);
        const int margin = list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list);
        const QFontMetrics metrics = list->fontMetrics();
        QStringList cut;
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            for (int column = 0; column < 2; ++column) {
                const QString text = list->topLevelItem(row)->text(column);
                const QRect cell = list->visualRect(list->model()->index(row, column));
                // The part of the cell in the viewport; the view leaves a gap
                // at either side of the text.
                const int shown =
                    qMin(cell.right(), list->viewport()->width() - 1) - cell.left() + 1;
                if (metrics.horizontalAdvance(text) + 2 * (margin + 1) > shown)
                    cut << text;
            }
        }
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(" | "))));
    }

    // The checksums of the selection, or of the whole document.
    void checksumsOfTheSelectionOrTheDocument() {
        form->setDocument("123456789 123456789");
        for (const bool selected : {true, false}) {
            if (selected)
                inputPane->selectBytes(10, 9);
            else
                inputPane->selectBytes(0, 0);
            QString scope;
            DialogAnswer<ChecksumsDialog> driver(
                [&](ChecksumsDialog *dialog) { scope = dialog->scopeText(); });
            action(objectnames::checksumsCommand)->trigger();
            QVERIFY(driver.seen);
            QCOMPARE(scope,
                     selected ? "Выделение: 0x000A–0x0012, 9 байт" : "Весь документ: 19 байт");
        }
    }
};

KKTVIEW_TEST_MAIN(TestDumpWindow)
#include "tst_dumpwindow.moc"
