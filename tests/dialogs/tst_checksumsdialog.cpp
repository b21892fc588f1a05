#include "bytedocument.h"
#include "byteselection.h"
#include "checksumsdialog.h"
#include "windowdriver.h"

#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QRandomGenerator>
#include <QSignalSpy>

namespace {

QByteArray randomBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), size / 4);
    return bytes;
}

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

} // namespace

class ChecksumsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void sumsOfTheSelectionOrTheDocument_data() {
        QTest::addColumn<qint64>("anchor");
        QTest::addColumn<qint64>("caret");
        QTest::addColumn<QString>("scope");
        QTest::addColumn<QByteArray>("summed");
        QTest::newRow("selection")
            << 2LL << 11LL << "Выделение: 0x0002–0x000A, 9 байт" << QByteArray("123456789");
        QTest::newRow("selected backwards")
            << 11LL << 2LL << "Выделение: 0x0002–0x000A, 9 байт" << QByteArray("123456789");
        QTest::newRow("nothing selected")
            << 5LL << 5LL << "Весь документ: 13 байт" << QByteArray("xx123456789yy");
        QTest::newRow("all selected")
            << 0LL << 13LL << "Весь документ: 13 байт" << QByteArray("xx123456789yy");
        QTest::newRow("one byte") << 12LL << 13LL << "Выделение: 0x000C–0x000C, 1 байт"
                                  << QByteArray("y");
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
        QVERIFY(!dialog.isComputing());
        QCOMPARE(child<QLabel>(&dialog, "lblScope")->text(), scope);
        const QStringList expected = valuesOf(checksums::of(PieceTable(summed), 0, summed.size()));
        QCOMPARE(fieldsOf(dialog), expected);
        if (summed == "123456789") {
            // The catalogue's check values, so the range is the one summed.
            QCOMPARE(expected.mid(0, 5),
                     QStringList({"29b1", "4b37", "31c3", "cbf43926", "e3069283"}));
        }
    }

    void eachValueAndAllCopy() {
        ChecksumsDialog dialog(PieceTable("123456789"), 0, 9);
        const QStringList values = fieldsOf(dialog);
        for (int i = 1; i <= 10; ++i) {
            QApplication::clipboard()->clear();
            child<QPushButton>(&dialog, qPrintable(QStringLiteral("cmdCopy%1").arg(i)))->click();
            QCOMPARE(QApplication::clipboard()->text(), values[i - 1]);
        }
        child<QPushButton>(&dialog, "cmdCopyAll")->click();
        const QStringList lines = QApplication::clipboard()->text().split(u'\n');
        QCOMPARE(lines.size(), 11);
        QCOMPARE(lines[3], "CRC-32: cbf43926");
        QCOMPARE(lines[9], "SHA-256: " + values[9]);
        QCOMPARE(lines[10], QString());
        QVERIFY(!child<QLabel>(&dialog, "lblCopied")->text().isEmpty());
        if (qEnvironmentVariableIsSet("KKTVIEW_SHOTS"))
            dialog.grab().save(qEnvironmentVariable("KKTVIEW_SHOTS") + "/checksums.png");
    }

    // A large range is summed on a thread while the window goes on: the
    // document is edited and even replaced meanwhile, and the sums are still
    // those of the bytes as they were when the dialog opened.
    void largeRangeSummedAsItWas() {
        const qsizetype size = 3 * ChecksumsDialog::computeAtOnceBytes + 12345;
        const QByteArray bytes = randomBytes(size, 7);
        ByteDocument document;
        document.load(bytes);
        document.replace(1000, 0, "inserted");
        document.replace(size / 2, 5000, QByteArray(70, 'z'));
        ByteSelection selection(&document);
        selection.selectRange(17, size - 100);
        const PieceTable snapshot = document.bytes();
        ChecksumsDialog dialog(document, selection);
        QSignalSpy computed(&dialog, &ChecksumsDialog::computed);
        QVERIFY(dialog.isComputing());
        QVERIFY(dialog.results().empty());
        QVERIFY(!child<QPushButton>(&dialog, "cmdCopyAll")->isEnabled());
        for (int i = 0; i < 200; ++i)
            document.replace(i * 7, 1, "x", ByteDocument::Step::Typing);
        document.undo();
        document.load(randomBytes(1000, 8));
        QVERIFY(computed.wait(30000));
        QVERIFY(!dialog.isComputing());
        const QStringList expected = valuesOf(checksums::of(snapshot, 17, size - 100));
        QCOMPARE(valuesOf(dialog.results()), expected);
        QCOMPARE(fieldsOf(dialog), expected);
        QVERIFY(child<QPushButton>(&dialog, "cmdCopyAll")->isEnabled());
        QVERIFY(child<QProgressBar>(&dialog, "prgSums")->isHidden());
    }

    // Closed while summing, by its button or by being deleted: the thread
    // stops, nothing arrives afterwards.
    void closesWhileSumming() {
        ByteDocument document;
        document.load(randomBytes(32 * 1024 * 1024, 9));
        ByteSelection selection(&document);
        {
            ChecksumsDialog dialog(document, selection);
            QSignalSpy computed(&dialog, &ChecksumsDialog::computed);
            DialogAnswer<ChecksumsDialog> answer([](ChecksumsDialog *open) {
                QVERIFY(open->isComputing());
                QTRY_VERIFY(child<QProgressBar>(open, "prgSums")->value() > 0);
                child<QPushButton>(open, "cmdClose")->click();
            });
            QCOMPARE(dialog.exec(), int(QDialog::Rejected));
            QVERIFY(answer.seen);
            QVERIFY(!dialog.isComputing());
            QTest::qWait(50);
            QCOMPARE(computed.count(), 0);
            QVERIFY(dialog.results().empty());
        }
        auto *dialog = new ChecksumsDialog(document, selection);
        QVERIFY(dialog->isComputing());
        delete dialog;
    }
};

QTEST_MAIN(ChecksumsDialogTest)
#include "tst_checksumsdialog.moc"
