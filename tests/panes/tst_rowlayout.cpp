// The input pane's row layout and style runs as values, without a window:
// rows for a width and the advances of the styles in use, the caret's place
// and the caret position under a point, and both kept through random edits.

#include "rowlayout.h"
#include "styleruns.h"

#include <QRandomGenerator>
#include <QTest>
#include <limits>

namespace {

// Every byte 10 px wide in style 0, 20 px in style 1 (in 1/64 px).
ByteAdvances uniform(int pixels) {
    ByteAdvances advances;
    advances.fill(pixels * 64);
    return advances;
}

const ByteAdvances narrow = uniform(10);
const ByteAdvances wide = uniform(20);

// A document, its styles and its layout, kept together through edits.
struct Laid {
    PieceTable bytes;
    StyleRuns styles;
    RowLayout layout{bytes, styles};

    // chunk > 0: laid out on demand in chunks of that many bytes.
    Laid(const QByteArray &content, int widthPixels, qint64 chunk = 0) : bytes(content) {
        styles.reset(content.size(), 0);
        layout.setAdvances({&narrow, &wide});
        layout.setWidth(widthPixels * 64);
        if (chunk > 0)
            layout.setOnDemand(1, chunk);
        layout.layOutAll();
    }
    void replace(qint64 offset, qint64 removed, const QByteArray &added, int style) {
        bytes.replace(offset, removed, added);
        styles.replace(offset, removed, added.size(), style);
        layout.edited(offset, removed, added.size());
    }
    QList<qint64> rowStarts() const {
        QList<qint64> starts;
        for (qint64 r = 0; r < layout.rowCount(); ++r)
            starts << layout.row(r).start;
        return starts;
    }
    // What makes a layout right, checked row by row: the rows cover the
    // document in order; a CR LF pair ends its row and nothing else lies
    // inside one; a row holds its glyphs within the width (at least one);
    // a row ends full unless it ends a line, the document or a soft cut.
    QString fault() const {
        QString found = faultIn(0, std::numeric_limits<qint64>::max());
        if (!found.isEmpty())
            return found;
        const qint64 size = bytes.size();
        const qint64 end = layout.row(layout.rowCount() - 1).end;
        const bool trailing =
            size == 0 || (size >= 2 && bytes.at(size - 2) == '\r' && bytes.at(size - 1) == '\n');
        if (end != size || (trailing && layout.row(layout.rowCount() - 1).start != size))
            return QStringLiteral("rows end at %1 of %2").arg(end).arg(size);
        return {};
    }
    // The same for the rows from first up to last only.
    QString faultIn(qint64 first, qint64 last) const {
        const qint64 size = bytes.size();
        const QByteArray all = bytes.read(0, size);
        std::vector<const ByteAdvances *> advance(std::size_t(size), &narrow);
        for (const StyleRuns::Run &run : styles.list()) {
            if (run.style == 1)
                std::fill(advance.begin() + run.start, advance.begin() + styles.runEnd(run.start),
                          &wide);
        }
        const auto width = [&](qint64 i) { return (*advance[std::size_t(i)])[uchar(all[i])]; };
        const auto pairEndsAt = [&](qint64 at) {
            return at >= 2 && all[at - 2] == '\r' && all[at - 1] == '\n';
        };
        first = std::max<qint64>(0, first);
        qint64 expectedStart = layout.row(first).start;
        for (qint64 r = first; r < layout.rowCount() && r <= last; ++r) {
            const RowLayout::Row row = layout.row(r);
            if (row.start != expectedStart)
                return QStringLiteral("row %1 starts at %2, not %3")
                    .arg(r)
                    .arg(row.start)
                    .arg(expectedStart);
            if (row.lineBreak != (row.end - row.start >= 2 && pairEndsAt(row.end)))
                return QStringLiteral("row %1: line break").arg(r);
            qint32 used = 0;
            for (qint64 i = row.start; i < row.textEnd(); ++i) {
                if (all[i] == '\r' && i + 1 < row.end && all[i + 1] == '\n')
                    return QStringLiteral("row %1 holds a line break").arg(r);
                used += width(i);
            }
            if (row.textEnd() - row.start > 1 && used > layout.width())
                return QStringLiteral("row %1 too wide").arg(r);
            const bool full = row.textEnd() < size && used + width(row.textEnd()) > layout.width();
            if (!row.lineBreak && row.end < size && !full && !layout.endsShort(r))
                return QStringLiteral("row %1 ends early").arg(r);
            expectedStart = row.end;
        }
        return {};
    }
};

// Lines of letters (and a lone CR or LF now and then) of up to maxLine
// bytes, each ended by a CR LF; none at all with maxLine 0.
QByteArray sampleDocument(qint64 size, int maxLine, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bytes;
    bytes.reserve(size);
    qint64 lineEnd = maxLine ? random.bounded(maxLine + 1) : size;
    while (bytes.size() < size) {
        if (bytes.size() >= lineEnd) {
            bytes += "\r\n";
            lineEnd = bytes.size() + random.bounded(maxLine + 1);
            continue;
        }
        const int pick = random.bounded(200);
        bytes += pick == 0 ? '\r' : pick == 1 ? '\n' : char('a' + pick % 26);
    }
    return bytes;
}

} // namespace

class RowLayoutTest : public QObject {
    Q_OBJECT

private slots:
    // Style 0 is 10 px a glyph, style 1 20 px; "styled" gives bytes 2..3 style 1.
    void rowsStartWhereGlyphsNoLongerFit_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("width");
        QTest::addColumn<bool>("styled");
        QTest::addColumn<QList<qint64>>("starts");
        QTest::newRow("three to a row")
            << QByteArray("abcdefgh") << 35 << false << QList<qint64>{0, 3, 6};
        QTest::newRow("exactly full") << QByteArray("abcdef") << 30 << false << QList<qint64>{0, 3};
        QTest::newRow("a line break ends its row")
            << QByteArray("ab\r\ncdef") << 30 << false << QList<qint64>{0, 4, 7};
        QTest::newRow("a full row keeps its line break")
            << QByteArray("abc\r\nd") << 30 << false << QList<qint64>{0, 5};
        QTest::newRow("lone CR and LF are glyphs")
            << QByteArray("a\rb\nc") << 30 << false << QList<qint64>{0, 3};
        QTest::newRow("CR CR LF LF")
            << QByteArray("\r\r\n\n") << 30 << false << QList<qint64>{0, 3};
        QTest::newRow("an empty row after a final break")
            << QByteArray("ab\r\n") << 30 << false << QList<qint64>{0, 4};
        QTest::newRow("empty lines")
            << QByteArray("\r\n\r\n") << 30 << false << QList<qint64>{0, 2, 4};
        QTest::newRow("empty document") << QByteArray() << 30 << false << QList<qint64>{0};
        QTest::newRow("narrower than a glyph")
            << QByteArray("abc") << 5 << false << QList<qint64>{0, 1, 2};
        QTest::newRow("a wider font in a range")
            << QByteArray("aaaaaa") << 35 << true << QList<qint64>{0, 2, 3, 5};
    }
    void rowsStartWhereGlyphsNoLongerFit() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, width);
        QFETCH(bool, styled);
        QFETCH(QList<qint64>, starts);
        Laid laid(bytes, width);
        if (styled) {
            laid.styles.restyle(2, 4, [](int) { return 1; });
            laid.layout.edited(2, 2, 2);
        }
        QCOMPARE(laid.rowStarts(), starts);
        QCOMPARE(laid.fault(), QString());
    }

    void aNewWidthOrFontLaysEverythingOutAnew() {
        Laid laid(QByteArray(100, 'x') + "\r\n" + QByteArray(50, 'y'), 95);
        QCOMPARE(laid.layout.rowCount(), 12 + 6); // 9 glyphs a row
        laid.layout.setWidth(195 * 64);
        laid.layout.layOutAll();
        QCOMPARE(laid.layout.rowCount(), 6 + 3); // 19
        laid.styles.reset(laid.bytes.size(), 1);
        laid.layout.layOutAll();
        QCOMPARE(laid.layout.rowCount(), 12 + 6); // 9 of the wide glyphs
        QCOMPARE(laid.fault(), QString());
    }

    // The caret's x and the position under a point agree both ways; a point
    // past a row's end gives its end, before a line break, or at a wrap the
    // end of this row (upstream) rather than the next one's start.
    void pointsAndPositionsAgree() {
        Laid laid("abcdefg\r\nhi", 35); // rows: abc | def | g\r\n | hi
        QCOMPARE(laid.rowStarts(), (QList<qint64>{0, 3, 6, 9}));
        for (qint64 offset = 0; offset <= laid.bytes.size(); ++offset) {
            if (offset == 8)
                continue; // inside the pair
            for (const bool upstream : {false, true}) {
                const qint64 row = laid.layout.rowOf(offset, upstream);
                const qint32 x = laid.layout.xOf(laid.layout.row(row), offset);
                const RowLayout::Hit hit = laid.layout.hit(row, x);
                QCOMPARE(hit.offset, offset);
                QCOMPARE(laid.layout.rowOf(hit.offset, hit.upstream), row);
            }
        }
        QCOMPARE(laid.layout.rowOf(3, true), 0);
        QCOMPARE(laid.layout.rowOf(3, false), 1);
        QCOMPARE(laid.layout.rowOf(9, true), 3);        // after a line break: no upstream
        QCOMPARE(laid.layout.hit(1, 4 * 64).offset, 3); // 4 px: before e's middle
        QCOMPARE(laid.layout.hit(1, 6 * 64).offset, 4); // past it
        const RowLayout::Hit wrapEnd = laid.layout.hit(0, 99 * 64);
        QCOMPARE(wrapEnd.offset, 3);
        QVERIFY(wrapEnd.upstream);
        const RowLayout::Hit breakEnd = laid.layout.hit(2, 99 * 64);
        QCOMPARE(breakEnd.offset, 7);
        QVERIFY(!breakEnd.upstream);
        QCOMPARE(laid.layout.hit(3, 99 * 64).offset, 11);
    }

    // Long runs are cut into segments at row starts; as laid out anew no row
    // shows a cut.
    void loadedSegmentsShowNowhere() {
        QByteArray bytes = QByteArray(50000, 'x') + "\r\n";
        for (int i = 0; i < 3000; ++i)
            bytes += QByteArray(i % 70, 'a' + i % 26) + "\r\n";
        Laid laid(bytes, 333);
        QVERIFY(laid.layout.segmentCount() > 20);
        QCOMPARE(laid.fault(), QString());
        for (qint64 r = 0; r < laid.layout.rowCount(); ++r)
            QVERIFY(!laid.layout.endsShort(r));
    }

    // Random edits and restyles, each laid out around itself only, keep a
    // right layout; laid out anew, it has no short rows left.
    void editsKeepTheLayoutRight() {
        QRandomGenerator random(866);
        QByteArray bytes;
        for (int i = 0; i < 12; ++i)
            bytes += random.bounded(3) ? QByteArray(random.bounded(1, 9000), 'x')
                                       : QByteArray(random.bounded(0, 40), 'y') + "\r\n";
        Laid laid(bytes, 97);
        const QByteArray pieces[] = {"a", "\r", "\n", "\r\n", "zz\r\nzz", QByteArray(6000, 'w')};
        for (int step = 0; step < 800; ++step) {
            const qint64 size = laid.bytes.size();
            const qint64 offset = random.bounded(size + 1);
            if (random.bounded(5) == 0) {
                const qint64 to = std::min(size, offset + random.bounded(12000));
                const int style = random.bounded(2);
                laid.styles.restyle(offset, to, [style](int) { return style; });
                laid.layout.edited(offset, to - offset, to - offset);
            } else {
                const qint64 removed =
                    std::min(size - offset, qint64(random.bounded(random.bounded(10) ? 3 : 9000)));
                const QByteArray added =
                    random.bounded(3) ? pieces[random.bounded(6)] : QByteArray();
                laid.replace(offset, removed, added, random.bounded(2));
            }
            const QString fault = laid.fault();
            QVERIFY2(fault.isEmpty(),
                     qPrintable(QStringLiteral("step %1: %2").arg(step).arg(fault)));
        }
        laid.layout.layOutAll();
        QCOMPARE(laid.fault(), QString());
        for (qint64 r = 0; r < laid.layout.rowCount(); ++r)
            QVERIFY(!laid.layout.endsShort(r));
    }

    // Laid out on demand, a chunk at a time as rows and offsets are asked
    // for, the rows are those of the whole layout where a chunk could start
    // after a line break or after its laid out neighbour; moves by up to a
    // page from any offset asked for count the same rows; elsewhere a chunk
    // may start with a soft cut, and the layout is right all the same.
    void onDemandRowsAgreeWithTheWholeLayout_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("inOrder");
        QTest::addColumn<bool>("exact");
        QTest::newRow("short lines, anywhere") << sampleDocument(300000, 300, 1) << false << true;
        QTest::newRow("lines longer than a segment, anywhere")
            << sampleDocument(300000, 6000, 2) << false << true;
        QTest::newRow("no line break, from the start on")
            << sampleDocument(300000, 0, 3) << true << true;
        QTest::newRow("no line break, anywhere") << sampleDocument(300000, 0, 4) << false << false;
        QTest::newRow("lines longer than the reach, anywhere")
            << sampleDocument(600000, 200000, 5) << false << false;
    }
    void onDemandRowsAgreeWithTheWholeLayout() {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, inOrder);
        QFETCH(bool, exact);
        Laid whole(bytes, 97);
        Laid lazy(bytes, 97, 16384);
        QVERIFY(lazy.layout.estimatedCount() > 10);
        QRandomGenerator random(1251);
        const qint64 size = bytes.size();
        for (int visit = 0; visit <= 60; ++visit) {
            const qint64 offset = inOrder ? size * visit / 90 : random.bounded(size + 1);
            // A jump of the scroll bar lays out a chunk between two not laid out.
            if (!inOrder && visit % 7 == 3)
                lazy.layout.row(random.bounded(lazy.layout.rowCount()));
            const qint64 row = lazy.layout.rowOf(offset);
            const RowLayout::Row shown = lazy.layout.row(row);
            QVERIFY(shown.start <= offset && (offset < shown.end || shown.end == size));
            QCOMPARE(lazy.layout.rowOf(shown.start), row);
            if (!exact)
                continue;
            const qint64 wholeRow = whole.layout.rowOf(offset);
            QCOMPARE(shown.start, whole.layout.row(wholeRow).start);
            QCOMPARE(shown.end, whole.layout.row(wholeRow).end);
            for (const qint64 step : {-256, -40, -1, 1, 40, 256}) {
                const qint64 target = wholeRow + step;
                if (target >= 0 && target < whole.layout.rowCount())
                    QCOMPARE(lazy.layout.row(row + step).start, whole.layout.row(target).start);
            }
            // Scrolled down a page at a time over chunks not yet laid out,
            // the rows above keep their numbers.
            for (qint64 step = 50; step <= 3000 && wholeRow + step < whole.layout.rowCount();
                 step += 50)
                QCOMPARE(lazy.layout.row(row + step).start,
                         whole.layout.row(wholeRow + step).start);
        }
        if (exact)
            QCOMPARE(lazy.rowStarts(), whole.rowStarts());
        QCOMPARE(lazy.fault(), QString());
        QCOMPARE(lazy.layout.estimatedCount(), 0);
    }

    // Edits inside chunks laid out and not, and across their edges, keep
    // the rows around any offset asked for right, and the whole layout.
    void editsOnDemandKeepTheRowsRight_data() {
        QTest::addColumn<int>("maxLine");
        QTest::newRow("lines") << 3000;
        QTest::newRow("no line break") << 0;
    }
    void editsOnDemandKeepTheRowsRight() {
        QFETCH(int, maxLine);
        QRandomGenerator random(866);
        Laid lazy(sampleDocument(1 << 20, maxLine, 6), 97, 16384);
        const QByteArray pieces[] = {"a", "\r", "\n", "\r\n", "zz\r\nzz", QByteArray(40000, 'w')};
        bool editedEstimated = false;
        for (int step = 0; step < 150; ++step) {
            const qint64 size = lazy.bytes.size();
            const qint64 offset = random.bounded(size + 1);
            const qint64 removed =
                std::min(size - offset, qint64(random.bounded(random.bounded(4) ? 3 : 60000)));
            const qint64 before = lazy.layout.estimatedCount();
            lazy.replace(offset, removed, pieces[random.bounded(6)], 0);
            editedEstimated = editedEstimated || lazy.layout.estimatedCount() != before;
            const qint64 row = lazy.layout.rowOf(random.bounded(lazy.bytes.size() + 1));
            const QString fault = lazy.faultIn(row - 300, row + 300);
            QVERIFY2(fault.isEmpty(),
                     qPrintable(QStringLiteral("step %1: %2").arg(step).arg(fault)));
        }
        QVERIFY(editedEstimated);
        QVERIFY(lazy.layout.estimatedCount() > 0);
        QCOMPARE(lazy.fault(), QString());
    }

    // The runs against a style per byte.
    void styleRunsMoveWithTheBytes() {
        QRandomGenerator random(1251);
        StyleRuns runs;
        QList<int> model(100, 0);
        runs.reset(100, 0);
        for (int step = 0; step < 3000; ++step) {
            const qint64 offset = random.bounded(model.size() + 1);
            const qint64 length = random.bounded(int(model.size() - offset) + 1);
            const int style = random.bounded(4);
            if (random.bounded(3) == 0) {
                runs.restyle(offset, offset + length, [style](int) { return style; });
                for (qint64 i = offset; i < offset + length; ++i)
                    model[i] = style;
            } else {
                const qint64 added = random.bounded(random.bounded(4) ? 3 : 40);
                runs.replace(offset, length, added, style);
                model.remove(offset, length);
                for (qint64 i = 0; i < added; ++i)
                    model.insert(offset, style);
            }
            QCOMPARE(runs.size(), model.size());
            for (qsizetype i = 0; i < model.size(); ++i)
                QCOMPARE(runs.styleAt(i), model[i]);
            const auto &list = runs.list();
            for (std::size_t k = 1; k < list.size(); ++k) {
                QVERIFY(list[k - 1].start < list[k].start);
                QVERIFY(list[k - 1].style != list[k].style);
            }
            QVERIFY(list.empty() == model.isEmpty());
        }
    }
};

QTEST_APPLESS_MAIN(RowLayoutTest)
#include "tst_rowlayout.moc"
