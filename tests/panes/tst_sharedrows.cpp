// Token views joined to one SharedRows, as the hex-edit layout's dump and
// text column: the same rows in sight whichever is scrolled, rows of the
// tallest height, and each on its own again once it leaves.

#include "../testfonts.h"
#include "codepages/views.h"
#include "sharedrows.h"
#include "tokenview.h"

#include <QScrollBar>
#include <QTest>

class SharedRowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        const PieceTable bytes(QByteArray(64 * 1024, 'k'));
        for (TokenView *&view : views) {
            view = new TokenView;
            view->append(views::hexDump, bytes, 0);
            view->setTokensPerRow(16);
            view->resize(300, 200);
            view->show();
        }
        QFont tall = views[1]->font();
        tall.setPointSizeF(tall.pointSizeF() * 2);
        views[1]->setFont(tall);
        QVERIFY(QTest::qWaitForWindowExposed(views[1]));
        QVERIFY(views[1]->naturalRowHeight() > views[0]->naturalRowHeight());
    }
    void cleanup() { qDeleteAll(std::begin(views), std::end(views)); }

    // Whichever joins first, the rows take the taller height.
    void joinedViewsScrollAndLineUpTogether_data() {
        QTest::addColumn<int>("first");
        QTest::newRow("the shorter first") << 0;
        QTest::newRow("the taller first") << 1;
    }
    void joinedViewsScrollAndLineUpTogether() {
        QFETCH(int, first);
        TokenView *one = views[first];
        TokenView *other = views[1 - first];
        const int tallest = views[1]->naturalRowHeight();
        SharedRows rows;
        rows.join(one);
        // Alone, a view keeps its own rows.
        QCOMPARE(one->rowHeight(), one->naturalRowHeight());
        one->verticalScrollBar()->setValue(50);
        rows.join(other);
        QCOMPARE(other->firstVisibleRow(), 50);
        QCOMPARE(one->rowHeight(), tallest);
        QCOMPARE(other->rowHeight(), tallest);

        other->verticalScrollBar()->setValue(100);
        QCOMPARE(one->firstVisibleRow(), 100);
        one->verticalScrollBar()->setValue(7);
        QCOMPARE(other->firstVisibleRow(), 7);

        rows.leave(other);
        QCOMPARE(one->rowHeight(), one->naturalRowHeight());
        QCOMPARE(other->rowHeight(), other->naturalRowHeight());
        one->verticalScrollBar()->setValue(30);
        QCOMPARE(other->firstVisibleRow(), 7);
    }

    // Stopping sharing gives every view its own rows back.
    void clearedViewsGoTheirOwnWay() {
        SharedRows rows;
        rows.join(views[0]);
        rows.join(views[1]);
        rows.clear();
        QCOMPARE(views[0]->rowHeight(), views[0]->naturalRowHeight());
        views[1]->verticalScrollBar()->setValue(20);
        QCOMPARE(views[0]->firstVisibleRow(), 0);
    }

private:
    TokenView *views[2] = {};
};

KKTVIEW_TEST_MAIN(SharedRowsTest)
#include "tst_sharedrows.moc"
