// The hex pane given the document's editor: digits typed over a dump of a
// range of the document overwrite the bytes they stand for, a byte's two
// digits one undo step, and the pane's Ctrl+Z and Ctrl+Y act on the document.

#include "../testfonts.h"
#include "codepages/views.h"
#include "document/bytedocument.h"
#include "document/byteeditor.h"
#include "hexpane.h"

#include <QTest>

class HexPaneEditingTest : public QObject {
    Q_OBJECT

private slots:
    void digitsOverwriteTheDumpedBytes() {
        ByteDocument document;
        document.load("0123456789");
        ByteEditor editor(&document);
        HexPane pane;
        // A dump of bytes 4..7 at their offsets.
        pane.follow(views::hexDump, &document, 4, 4);
        pane.setTokensPerRow(16);
        pane.resize(400, 200);
        QVERIFY(!pane.typeNibble(0xA));

        pane.setEditor(&editor);
        pane.selectTokens(1, 1);
        QVERIFY(pane.typeNibble(0x4));
        QVERIFY(pane.typeNibble(0x1));
        QVERIFY(pane.typeNibble(0x6));
        QCOMPARE(document.read(0, 10), QByteArray("01234Af789"));

        // The second byte's high digit alone, then the whole first byte.
        QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document.read(0, 10), QByteArray("01234A6789"));
        QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document.read(0, 10), QByteArray("0123456789"));
        QTest::keyClick(&pane, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(document.read(0, 10), QByteArray("01234A6789"));

        pane.setEditor(nullptr);
        QVERIFY(!pane.typeNibble(0x7));
        QTest::keyClick(&pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(document.read(0, 10), QByteArray("01234A6789"));
    }
};

KKTVIEW_TEST_MAIN(HexPaneEditingTest)
#include "tst_hexpaneediting.moc"
