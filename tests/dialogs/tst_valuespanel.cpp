#include "bytedocument.h"
#include "byteselection.h"
#include "valuespanel.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QTreeWidget>

namespace {

QStringList texts(const std::vector<caretvalues::Row> &rows) {
    QStringList list;
    for (const caretvalues::Row &row : rows)
        list << row.label + u'=' + row.value;
    return list;
}

// What the list shows, row by row.
QStringList shown(QTreeWidget *list) {
    QStringList rows;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        rows << list->topLevelItem(i)->text(0) + u'=' + list->topLevelItem(i)->text(1);
    return rows;
}

} // namespace

// What the panel does itself: it follows the caret and the document, and a
// click copies. The values of byte strings are the core's, tested there.
class ValuesPanelTest : public QObject {
    Q_OBJECT

    ByteDocument *document = nullptr;
    ByteSelection *selection = nullptr;
    ValuesPanel *panel = nullptr;
    QTreeWidget *list = nullptr;
    QLabel *lblOffset = nullptr;

    // The panel shows the rows of the bytes from offset on, and says where.
    void verifyShowsBytesAt(qint64 offset) {
        const QStringList expected = texts(caretvalues::rowsAt(document->bytes(), offset));
        QCOMPARE(shown(list), expected);
        QCOMPARE(texts(panel->rows()), expected);
        QCOMPARE(panel->offset(), offset);
    }

private slots:
    void init() {
        document = new ByteDocument;
        document->load(QByteArray::fromHex("3112242359FF00417F80"));
        selection = new ByteSelection(document);
        panel = new ValuesPanel;
        panel->follow(document, selection);
        list = panel->findChild<QTreeWidget *>(QStringLiteral("lstValues"));
        lblOffset = panel->findChild<QLabel *>(QStringLiteral("lblOffset"));
        QVERIFY(list && lblOffset);
        panel->resize(panel->sizeHint().width(), 500);
        panel->show();
        QVERIFY(QTest::qWaitForWindowExposed(panel));
    }
    void cleanup() {
        delete panel;
        delete selection;
        delete document;
    }

    void followsTheCaret() {
        verifyShowsBytesAt(0);
        QCOMPARE(lblOffset->text(), "0x0000 (0): 31 12 24 23 59");
        for (const qint64 at : {5, 9, 1}) {
            selection->moveCaret(at);
            verifyShowsBytesAt(at);
        }
        QCOMPARE(lblOffset->text(), "0x0001 (1): 12 24 23 59 FF");
        // A selection is read from its first byte, whichever end the caret is at.
        selection->select(2, 6);
        verifyShowsBytesAt(2);
        selection->select(6, 2);
        verifyShowsBytesAt(2);
        // At the end no byte, no row.
        selection->moveCaret(document->size());
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(lblOffset->text(), "0x000A (10): конец документа");
    }

    void followsTheDocument() {
        selection->moveCaret(3);
        verifyShowsBytesAt(3);
        // The bytes under the caret overwritten.
        document->replace(4, 1, "\x01");
        verifyShowsBytesAt(3);
        // Bytes inserted before the caret: it moves with its byte.
        document->replace(0, 0, "ab");
        QCOMPARE(selection->caret(), 5);
        verifyShowsBytesAt(5);
        document->undo();
        document->undo();
        verifyShowsBytesAt(3);
        QCOMPARE(panel->rows().front().value, "00100011");
        document->clear();
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(lblOffset->text(), "Документ пуст");
        document->load("\x10");
        verifyShowsBytesAt(0);
    }

    // Hidden, it reads nothing; shown again, it shows the bytes at the caret.
    void catchesUpWhenShown() {
        panel->hide();
        selection->moveCaret(6);
        document->replace(6, 1, "A");
        panel->show();
        verifyShowsBytesAt(6);
        QCOMPARE(panel->rows().front().value, "01000001");
    }

    void clickCopiesTheValue() {
        QSignalSpy copied(panel, &ValuesPanel::valueCopied);
        QLabel *lblCopied = panel->findChild<QLabel *>(QStringLiteral("lblCopied"));
        QVERIFY(lblCopied);
        const std::vector<caretvalues::Row> rows = panel->rows();
        // The label's cell copies the value too.
        for (const int column : {1, 0}) {
            for (const int row : {0, int(rows.size()) - 1}) {
                QTreeWidgetItem *item = list->topLevelItem(row);
                QApplication::clipboard()->clear();
                QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                                  list->visualRect(list->indexFromItem(item, column)).center());
                QCOMPARE(QApplication::clipboard()->text(), rows[std::size_t(row)].value);
                QCOMPARE(copied.takeFirst().at(0).toString(), rows[std::size_t(row)].value);
                QVERIFY(lblCopied->text().contains(rows[std::size_t(row)].value));
            }
        }
        // Enter on the current row.
        list->setFocus();
        list->setCurrentItem(list->topLevelItem(1));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(QApplication::clipboard()->text(), rows[1].value);
        if (qEnvironmentVariableIsSet("KKTVIEW_SHOTS"))
            panel->grab().save(qEnvironmentVariable("KKTVIEW_SHOTS") + "/values.png");
    }

    // Left alone with a document that is gone, it shows nothing and lives on.
    void outlivesTheDocument() {
        delete selection;
        selection = nullptr;
        delete document;
        document = nullptr;
        panel->hide();
        panel->show();
        QCOMPARE(list->topLevelItemCount(), 0);
        QCOMPARE(lblOffset->text(), "Нет документа");
    }
};

QTEST_MAIN(ValuesPanelTest)
#include "tst_valuespanel.moc"
