#include "../randombytes.h"
#include "checks/bytecomparison.h"
#include "checks/streamcompare.h"
#include "document/filesource.h"
#include "document/piecetable.h"
#include "ondisk.h"

#include <QBuffer>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray flipped(QByteArray bytes, std::initializer_list<std::pair<qsizetype, qsizetype>> runs) {
    for (const auto &[from, to] : runs) {
        for (qsizetype i = from; i < to; ++i)
            bytes[i] = char(~bytes[i]);
    }
    return bytes;
}

// The same bytes in pieces that start anywhere, as an edited document holds them.
PieceTable inPieces(const QByteArray &bytes) {
    PieceTable table(bytes);
    for (qint64 at = 5; at < bytes.size(); at += 37)
        table.replace(at, 3, bytes.mid(at, 3));
    return table;
}

// [offset, offset + length) of each maximal run of differing bytes.
using Runs = QList<std::pair<qint64, qint64>>;

Runs naiveRuns(const QByteArray &a, const QByteArray &b) {
    Runs runs;
    for (qint64 i = 0; i < std::min(a.size(), b.size()); ++i) {
        if (a[i] == b[i])
            continue;
        if (!runs.isEmpty() && runs.back().first + runs.back().second == i)
            ++runs.back().second;
        else
            runs.append({i, 1});
    }
    return runs;
}

// Everything a comparison answers, against the bytes themselves.
void verifyAgainstBytes(const ByteComparison &comparison, const QByteArray &mine,
                        const QByteArray &theirs) {
    const qint64 length = std::min(mine.size(), theirs.size());
    QCOMPARE(comparison.comparedLength(), length);
    QCOMPARE(comparison.documentSize(), mine.size());
    QList<qint64> differing;
    for (qint64 i = 0; i < length; ++i) {
        if (mine[i] != theirs[i])
            differing.append(i);
    }
    QCOMPARE(comparison.differingCount(), differing.size());
    QCOMPARE(comparison.isEqual(), mine == theirs);
    for (qint64 at = -1; at <= std::max(mine.size(), theirs.size()) + 1; ++at) {
        QCOMPARE(comparison.differs(at), differing.contains(at));
        const auto next = std::lower_bound(differing.begin(), differing.end(), at);
        QCOMPARE(comparison.nextDifference(at),
                 next == differing.end() ? std::nullopt : std::optional<qint64>(*next));
        const auto previous = std::lower_bound(differing.begin(), differing.end(), at);
        QCOMPARE(comparison.previousDifference(at),
                 previous == differing.begin() ? std::nullopt
                                               : std::optional<qint64>(*std::prev(previous)));
    }
    // Every run's bounds from inside it and from its ends.
    for (const auto &[offset, runLength] : naiveRuns(mine, theirs)) {
        for (const qint64 at : {offset, offset + runLength / 2, offset + runLength - 1}) {
            QCOMPARE(comparison.runEnd(at), offset + runLength);
            QCOMPARE(comparison.runStart(at + 1), offset);
        }
        QCOMPARE(comparison.runEnd(offset + runLength), offset + runLength);
        QCOMPARE(comparison.runStart(offset), offset);
    }
    QCOMPARE(comparison.runEnd(length + 5), length);
    QCOMPARE(comparison.runStart(-1), 0);
}

} // namespace

class ByteComparisonTest : public QObject {
    Q_OBJECT

private slots:
    void comparesByteByByte_data() {
        QTest::addColumn<QByteArray>("mine");
        QTest::addColumn<QByteArray>("theirs");

        QRandomGenerator random(866);
        const QByteArray base = randomBytes(random, 1000);
        QByteArray everyOther = base;
        for (qsizetype i = 0; i < everyOther.size(); i += 2)
            everyOther[i] = char(~everyOther[i]);
        QTest::newRow("equal") << base << base;
        QTest::newRow("first byte") << flipped(base, {{0, 1}}) << base;
        QTest::newRow("middle byte") << flipped(base, {{500, 501}}) << base;
        QTest::newRow("last byte") << flipped(base, {{999, 1000}}) << base;
        QTest::newRow("runs across words") << base << flipped(base, {{60, 130}, {700, 703}});
        QTest::newRow("every other byte") << everyOther << base;
        QTest::newRow("document longer") << base << flipped(base.left(900), {{10, 11}});
        QTest::newRow("other longer") << base.left(900) << base;
        QTest::newRow("empty document") << QByteArray() << base;
    }
    void comparesByteByByte() {
        QFETCH(QByteArray, mine);
        QFETCH(QByteArray, theirs);
        const ByteComparison comparison(inPieces(mine), theirs);
        QCOMPARE(comparison.otherSize(), theirs.size());
        verifyAgainstBytes(comparison, mine, theirs);

        // The other file read on demand, in pages that fall anywhere in the
        // document's pieces.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("other.bin"));
        auto source = ondisk::writtenSource(path, theirs, 23, 2);
        QVERIFY(source);
        const ByteComparison onDemand(inPieces(mine), PieceTable(std::move(source)));
        QCOMPARE(onDemand.otherSize(), theirs.size());
        verifyAgainstBytes(onDemand, mine, theirs);
    }

    // Every kind of edit, then the comparison as a fresh one would be.
    void followsEditsOfTheDocument() {
        QRandomGenerator random(1251);
        const QByteArray theirs = randomBytes(random, 700);
        QByteArray mine = flipped(theirs.left(650), {{100, 110}});
        PieceTable table(mine);
        ByteComparison comparison(table, theirs);
        for (int step = 0; step < 300; ++step) {
            const qint64 offset = random.bounded(int(mine.size()) + 1);
            const qint64 removed = std::min<qint64>(random.bounded(80), mine.size() - offset);
            const bool sameLength = random.bounded(2) == 0;
            // Mostly the other file's own bytes, so edits make bytes equal too.
            QByteArray added =
                sameLength ? theirs.mid(offset, removed) : theirs.mid(offset, random.bounded(80));
            if (random.bounded(3) == 0 && !added.isEmpty())
                added[0] = char(~added[0]);
            table.replace(offset, removed, added);
            mine.replace(offset, removed, added);
            comparison.documentChanged(table, offset, removed, added.size());
            verifyAgainstBytes(comparison, mine, theirs);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("after step %1").arg(step)));
        }
    }

    void streamsGiveTheRunsOfTheWhole_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<qsizetype>("pieceSize");

        QRandomGenerator random(42);
        const QByteArray base = randomBytes(random, 3000);
        const QByteArray sparse = flipped(base, {{0, 1}, {255, 270}, {1000, 1040}, {2999, 3000}});
        QByteArray dense = base;
        for (char &b : dense)
            b = char(random.bounded(4) == 0 ? b : ~b);
        for (const qsizetype pieceSize :
             {qsizetype(1), qsizetype(7), qsizetype(256), streamcompare::defaultPieceSize}) {
            const auto row = [&](const char *name, const QByteArray &a, const QByteArray &b) {
                QTest::addRow("%s, pieces of %lld", name, qint64(pieceSize)) << a << b << pieceSize;
            };
            row("equal", base, base);
            row("sparse", sparse, base);
            row("dense", base, dense);
            row("first shorter", sparse.left(2000), base);
            row("second shorter", base, sparse.left(256));
        }
    }
    void streamsGiveTheRunsOfTheWhole() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(qsizetype, pieceSize);

        QBuffer a(&first), b(&second);
        QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
        Runs runs;
        const auto outcome = streamcompare::compare(
            a, b,
            [&](qint64 offset, QByteArrayView mine, QByteArrayView theirs) {
                if (mine != QByteArrayView(first).sliced(offset, mine.size()) ||
                    theirs != QByteArrayView(second).sliced(offset, theirs.size()))
                    return false;
                if (!runs.isEmpty() && runs.back().first + runs.back().second == offset)
                    runs.back().second += mine.size();
                else
                    runs.append({offset, mine.size()});
                return true;
            },
            pieceSize);
        using Outcome = streamcompare::Outcome;
        QCOMPARE(outcome.status, Outcome::Status::Compared);
        QCOMPARE(runs, naiveRuns(first, second));
        QCOMPARE(outcome.compared, std::min(first.size(), second.size()));
        QCOMPARE(outcome.ended, first.size() == second.size()  ? Outcome::Ended::Both
                                : first.size() < second.size() ? Outcome::Ended::First
                                                               : Outcome::Ended::Second);
    }
};

QTEST_GUILESS_MAIN(ByteComparisonTest)
#include "tst_bytecomparison.moc"
