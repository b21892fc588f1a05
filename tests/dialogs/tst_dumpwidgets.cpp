#include "../randombytes.h"
#include "../testfonts.h"
#include "checksumsdialog.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "valuespanel.h"
#include "windowdriver.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTreeWidget>

namespace {

QStringList valuesOf(const std::vector<checksums::Result> &results) {
    QStringList values;
    for (const checksums::Result &result : results)
        values << result.value;
    return values;
}

QStringList fieldsOf(ChecksumsDialog &dialog) {
    QStringList values;
    for (int i = 1; i <= 10; ++i)
        values << child<QLineEdit>(&dialog, qPrintable(QStringLiteral("txtSum%1").arg(i)))->text();
    return values;
}

void saveShot(QWidget *widget, const char *name) {
    if (qEnvironmentVariableIsSet("KKTVIEW_SHOTS"))
        widget->grab().save(qEnvironmentVariable("KKTVIEW_SHOTS") + u'/' + QLatin1String(name));
}

} // namespace

// What the values panel and the checksums dialog do themselves; the values
// and the sums of byte strings are the core's, tested there.
class DumpWidgetsTest : public QObject {
    Q_OBJECT

private slots:
    // The rows of the bytes where the selection starts, after caret moves
    // and edits, and after a time hidden.
    void valuesFollowTheCaretAndTheDocument() {
        ByteDocument document;
        document.load(QByteArray::fromHex("3112242359FF00417F80"));
        ByteSelection selection(&document);
        ValuesPanel panel;
        panel.follow(&document, &selection);
        panel.show();
        auto *list = child<QTreeWidget>(&panel, "lstValues");
        auto *lblOffset = child<QLabel>(&panel, "lblOffset");
        const auto verifyAt = [&](qint64 offset) {
            QStringList shown, expected;
            for (int i = 0; i < list->topLevelItemCount(); ++i)
                shown << list->topLevelItem(i)->text(0) + u'=' + list->topLevelItem(i)->text(1);
            for (const caretvalues::Row &row : caretvalues::rowsAt(document.bytes(), offset))
                expected << row.label + u'=' + row.value;
            QCOMPARE(shown, expected);
            QCOMPARE(panel.offset(), offset);
        };
        verifyAt(0);
        QCOMPARE(lblOffset->text(), "0x0000 (0): 31 12 24 23 59");
        selection.moveCaret(5);
        verifyAt(5);
        selection.select(6, 2); // read from the first byte, wherever the caret is
        verifyAt(2);
        document.replace(3, 1, "\x01"); // under the caret
        verifyAt(2);
        document.replace(0, 0, "ab"); // before it: it moves with its bytes
        verifyAt(4);
        panel.hide();
        selection.moveCaret(9);
        document.replace(9, 1, "A");
        panel.show();
        verifyAt(9);
        QCOMPARE(panel.rows().front().value, "01000001");
        selection.moveCaret(document.size());
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(lblOffset->text(), "0x000C (12): конец документа");
        document.clear();
        QCOMPARE(lblOffset->text(), "Документ пуст");
    }

    void clickOnARowCopiesItsValue() {
        ByteDocument document;
        document.load(QByteArray::fromHex("3112242359"));
        ByteSelection selection(&document);
        ValuesPanel panel;
        panel.follow(&document, &selection);
        panel.resize(panel.sizeHint().width(), 420);
        panel.show();
        QSignalSpy copied(&panel, &ValuesPanel::valueCopied);
        auto *list = child<QTreeWidget>(&panel, "lstValues");
        const std::vector<caretvalues::Row> rows = panel.rows();
        for (const auto &[row, column] : {std::pair{0, 1}, {int(rows.size()) - 1, 0}}) {
            const QRect cell = list->visualRect(list->model()->index(row, column));
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, cell.center());
            QCOMPARE(QApplication::clipboard()->text(), rows[std::size_t(row)].value);
            QCOMPARE(copied.takeFirst().at(0).toString(), rows[std::size_t(row)].value);
            QVERIFY(
                child<QLabel>(&panel, "lblCopied")->text().contains(rows[std::size_t(row)].value));
        }
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(QApplication::clipboard()->text(), rows[1].value);
        saveShot(&panel, "values.png");
    }

    void sumsOfTheSelectionOrTheDocument_data() {
        QTest::addColumn<qint64>("anchor");
        QTest::addColumn<qint64>("caret");
        QTest::addColumn<QString>("scope");
        QTest::addColumn<QByteArray>("summed");
        QTest::newRow("selected backwards")
            << 11LL << 2LL << "Выделение: 0x0002–0x000A, 9 байт" << QByteArray("123456789");
        QTest::newRow("nothing selected")
            << 5LL << 5LL << "Весь документ: 13 байт" << QByteArray("xx123456789yy");
    }
    void sumsOfTheSelectionOrTheDocument() {
        QFETCH(qint64, anchor);
        QFETCH(qint64, caret);
        QFETCH(QString, scope);
        QFETCH(QByteArray, summed);
        ByteDocument document;
        document.load("xx123456789yy");
        ByteSelection selection(&document);
        selection.select(anchor, caret);
        ChecksumsDialog dialog(document, selection);
        QCOMPARE(child<QLabel>(&dialog, "lblScope")->text(), scope);
        QCOMPARE(fieldsOf(dialog), valuesOf(checksums::of(PieceTable(summed), 0, summed.size())));
    }

    void eachValueAndAllCopy() {
        ChecksumsDialog dialog(PieceTable("123456789"), 0, 9);
        const QStringList values = fieldsOf(dialog);
        QCOMPARE(values[3], "cbf43926"); // CRC-32's check value
        for (int i = 1; i <= 10; ++i) {
            child<QPushButton>(&dialog, qPrintable(QStringLiteral("cmdCopy%1").arg(i)))->click();
            QCOMPARE(QApplication::clipboard()->text(), values[i - 1]);
        }
        child<QPushButton>(&dialog, "cmdCopyAll")->click();
        const QStringList lines = QApplication::clipboard()->text().split(u'\n');
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[3], "CRC-32: cbf43926");
        QCOMPARE(lines[9], "SHA-256: " + values[9]);
        saveShot(&dialog, "checksums.png");
    }

    // Summed on a thread while the document is edited and even replaced:
    // the sums are still those of the bytes as they were when it opened.
    void largeRangeSummedAsItWas() {
        const qsizetype size = 3 * ChecksumsDialog::computeAtOnceBytes + 12345;
        ByteDocument document;
        document.load(randomBytes(size, 7));
        document.replace(1000, 0, "inserted");
        ByteSelection selection(&document);
        selection.selectRange(17, size - 100);
        const PieceTable snapshot = document.bytes();
        ChecksumsDialog dialog(document, selection);
        QSignalSpy computed(&dialog, &ChecksumsDialog::computed);
        QVERIFY(dialog.isComputing());
        QVERIFY(!child<QPushButton>(&dialog, "cmdCopyAll")->isEnabled());
        for (int i = 0; i < 200; ++i)
            document.replace(i * 7, 1, "x", ByteDocument::Step::Typing);
        document.undo();
        document.load(randomBytes(1000, 8));
        QVERIFY(computed.wait(30000));
        QVERIFY(!dialog.isComputing());
        QCOMPARE(fieldsOf(dialog), valuesOf(checksums::of(snapshot, 17, size - 100)));
        QVERIFY(child<QPushButton>(&dialog, "cmdCopyAll")->isEnabled());
    }

    // Closed while summing, or deleted: the thread stops, nothing arrives.
    void closesWhileSumming() {
        ByteDocument document;
        document.load(randomBytes(32 * 1024 * 1024, 9));
        ByteSelection selection(&document);
        ChecksumsDialog dialog(document, selection);
        QSignalSpy computed(&dialog, &ChecksumsDialog::computed);
        DialogAnswer<ChecksumsDialog> answer([](ChecksumsDialog *open) {
            QTRY_VERIFY(child<QProgressBar>(open, "prgSums")->value() > 0);
            child<QPushButton>(open, "cmdClose")->click();
        });
        QCOMPARE(dialog.exec(), int(QDialog::Rejected));
        QVERIFY(answer.seen && !dialog.isComputing());
        QTest::qWait(50);
        QCOMPARE(computed.count(), 0);
        delete new ChecksumsDialog(document, selection);
    }
};

KKTVIEW_TEST_MAIN(DumpWidgetsTest)
#include "tst_dumpwidgets.moc"
