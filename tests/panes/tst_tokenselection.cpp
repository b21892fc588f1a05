// A token view shares the document's selection: places inside tokens go to
// whole bytes and back, whichever way the selection runs.

#include "tokenselection.h"

#include <QTest>

namespace {

// An anchor and a caret as places in a view of the bytes from 100 on, and
// as the document's offsets.
struct Selection {
    TokenPlace anchor;
    TokenPlace caret;
    qint64 anchorAt;
    qint64 caretAt;
    // Which ways the mapping goes: places inside tokens have no way back,
    // offsets outside the view none there.
    bool toBytes = true;
    bool toPlaces = true;
};

} // namespace

Q_DECLARE_METATYPE(Selection)

class TokenSelectionTest : public QObject {
    Q_OBJECT

private slots:
    // The view shows 10 bytes from 100 on; the document's selection may
    // reach past them either way, the view's may end inside a token.
    void mapsBothWays_data() {
        QTest::addColumn<Selection>("selection");
        const auto row = [](const char *name, Selection selection, bool toBytes, bool toPlaces) {
            selection.toBytes = toBytes;
            selection.toPlaces = toPlaces;
            QTest::newRow(name) << selection;
        };
        row("caret", {{4, 0}, {4, 0}, 104, 104}, true, true);
        row("caret inside a token", {{3, 1}, {3, 1}, 103, 103}, true, false);
        row("forwards", {{2, 0}, {5, 0}, 102, 105}, true, true);
        row("forwards, ending inside a token", {{2, 0}, {4, 1}, 102, 105}, true, false);
        row("backwards", {{5, 0}, {2, 0}, 105, 102}, true, true);
        row("backwards, from inside a token", {{4, 1}, {2, 1}, 105, 102}, true, false);
        row("within one token", {{5, 0}, {5, 1}, 105, 106}, true, false);
        row("from before the view", {{0, 0}, {3, 0}, 50, 103}, false, true);
        row("backwards from past the view", {{10, 0}, {3, 0}, 500, 103}, false, true);
        row("wholly before the view", {{0, 0}, {0, 0}, 50, 60}, false, true);
    }
    void mapsBothWays() {
        QFETCH(Selection, selection);
        if (selection.toBytes) {
            const auto [anchorAt, caretAt] =
                tokenselection::offsetsOf(selection.anchor, selection.caret, 100);
            QCOMPARE(anchorAt, selection.anchorAt);
            QCOMPARE(caretAt, selection.caretAt);
        }
        if (selection.toPlaces) {
            const auto [anchor, caret] =
                tokenselection::placesOf(selection.anchorAt, selection.caretAt, 100, 10);
            QVERIFY(anchor == selection.anchor);
            QVERIFY(caret == selection.caret);
        }
    }
};

QTEST_MAIN(TokenSelectionTest)
#include "tst_tokenselection.moc"
