// Token views joined to one SharedRows, as the hex-edit layout's dump and
// text column: the same rows in sight whichever is scrolled, rows of the
// tallest height, and each on its own again once it leaves.

#include "../testfonts.h"
#include "codepages/views.h"
#include "document/filesource.h"
#include "sharedrows.h"
#include "tokenview.h"

#include <QApplication>
#include <QFile>
#include <QScopeGuard>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>

#include <limits>
#include <memory>

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

    // The dump of a 40 GiB file has more rows than a scroll bar counts: the
    // views still stand at any row they are sent to, together, and the bar
    // dragged to its end shows the last row.
    void rowsPastWhatAScrollBarCounts() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("huge.bin"));
        const qint64 size = qint64(40) << 30;
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(size));
        }
        auto file = std::make_unique<QFile>(path);
        QVERIFY(file->open(QIODevice::ReadOnly));
        const PieceTable bytes(std::make_shared<FileSource>(std::move(file), path));
        SharedRows rows;
        for (TokenView *view : views) {
            view->clear();
            view->append(views::hexDump, bytes, 0);
            rows.join(view);
        }
        const qint64 rowCount = size / 16;
        QCOMPARE(views[0]->rowCount(), rowCount);
        QVERIFY(rowCount > std::numeric_limits<int>::max());

        const qint64 inSight = rowCount - 1000;
        views[0]->scrollToRow(inSight + 1);
        QCOMPARE(views[0]->firstVisibleRow(), inSight + 1);
        QCOMPARE(views[1]->firstVisibleRow(), inSight + 1);
        views[1]->scrollToRow(inSight);
        QCOMPARE(views[0]->firstVisibleRow(), inSight);

        // The bar's arrows and page clicks, and the wheel, move by rows, not
        // by the bar's steps of several rows.
        QScrollBar *bar = views[0]->verticalScrollBar();
        const qint64 page = views[0]->visibleRows();
        bar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
        QCOMPARE(views[1]->firstVisibleRow(), inSight + 1);
        bar->triggerAction(QAbstractSlider::SliderPageStepSub);
        QCOMPARE(views[1]->firstVisibleRow(), inSight + 1 - page);
        bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
        const qint64 at = inSight - page;
        QCOMPARE(views[0]->firstVisibleRow(), at);
        // A notch is the desktop's wheel lines, here 4; half a notch from a
        // touchpad is half as many; with Ctrl it is a page.
        const auto keepLines = qScopeGuard([lines = QApplication::wheelScrollLines()] {
            QApplication::setWheelScrollLines(lines);
        });
        QApplication::setWheelScrollLines(4);
        turnWheel(views[0], -120);
        QCOMPARE(views[1]->firstVisibleRow(), at + 4);
        turnWheel(views[1], 60);
        QCOMPARE(views[0]->firstVisibleRow(), at + 2);
        turnWheel(views[1], 30);
        turnWheel(views[1], 30);
        QCOMPARE(views[0]->firstVisibleRow(), at);
        turnWheel(views[0], -120, Qt::ControlModifier);
        QCOMPARE(views[1]->firstVisibleRow(), at + page);

        bar->setValue(bar->maximum());
        const qint64 last = views[0]->firstVisibleRow();
        QVERIFY(last > inSight);
        views[0]->scrollToRow(rowCount);
        QCOMPARE(views[0]->firstVisibleRow(), last);
        QCOMPARE(views[1]->firstVisibleRow(), last);
        bar->setValue(0);
        QCOMPARE(views[1]->firstVisibleRow(), 0);
    }

private:
    static void turnWheel(TokenView *view, int eighthsOfADegree,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        const QPointF middle = view->viewport()->rect().center();
        QWheelEvent wheel(middle, view->viewport()->mapToGlobal(middle), QPoint(),
                          QPoint(0, eighthsOfADegree), Qt::NoButton, modifiers, Qt::NoScrollPhase,
                          false);
        QApplication::sendEvent(view->viewport(), &wheel);
    }

    TokenView *views[2] = {};
};

KKTVIEW_TEST_MAIN(SharedRowsTest)
#include "tst_sharedrows.moc"
