#include "../testfonts.h"
#include "codepages/cp1251codec.h"
#include "codepages/views.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "panecontent.h"
#include "panestyles.h"
#include "tokenlayout.h"
#include "tokenmoves.h"
#include "tokenview.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QtTest>

namespace {

// The text a view of bytes shows, as the core writes it.
QString viewText(views::View view, const QByteArray &bytes) {
    return cp1251::toDisplayText(view(bytes, nullptr));
}

// Bytes with the tokens that are not one character long among plain ones:
// del, guillemets, CR LF, control bytes, Cyrillic letters.
QByteArray mixedBytes(int size, quint32 seed) {
    QRandomGenerator random(seed);
    const QByteArray special("\x7f\xab\xbb\r\n\x01\x1f\xc0\xff 5");
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = random.bounded(3) == 0 ? special[random.bounded(int(special.size()))]
                                      : char(random.bounded(256));
    return bytes;
}

QFont font(const char *family, int points, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPointSize(points);
    f.setBold(bold);
    return f;
}

} // namespace

// A display pane's text, rows and fonts as values, without a window: the
// text made from bytes and tokens, places and characters, rows wrapped at a
// width or fixed, points and places, fonts by range.
class TestPaneLayout : public QObject {
    Q_OBJECT

private slots:
    void contentIsTheViewsTextAndCountsItsCharacters_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("size");
        const char *names[] = {"hex", "866", "1251", "names", "listing866", "listing1251"};
        for (int view = 0; view < 6; ++view) {
            QTest::addRow("%s, 40 bytes", names[view]) << view << 40;
            QTest::addRow("%s, 5000 bytes", names[view]) << view << 5000;
        }
    }
    void contentIsTheViewsTextAndCountsItsCharacters() {
        QFETCH(int, view);
        QFETCH(int, size);
        const views::View shown = allViews[view];
        const QByteArray first = mixedBytes(size, 1);
        const QByteArray second = mixedBytes(size / 2, 2);
        PaneContent content;
        content.append(shown, PieceTable(first), 0);
        content.append(shown, PieceTable(second), size);
        const QString whole = viewText(shown, first) + viewText(shown, second);
        QCOMPARE(content.text(), whole);
        QCOMPARE(content.charCount(), whole.size());
        const qint64 lead = views::tokensOf(shown)->lead.isEmpty() ? 0 : 1;
        QCOMPARE(content.tokenCount(), 2 * lead + first.size() + second.size());
        // Two appends of one view continue one range unless a lead parts them.
        QCOMPARE(content.source().offset, lead ? -1 : 0);

        QRandomGenerator random{quint32(size + view)};
        for (int i = 0; i < 200; ++i) {
            const qint64 a = random.bounded(int(whole.size()) + 1);
            const qint64 b = qMin<qint64>(whole.size(), a + random.bounded(300));
            const TokenPlace from = content.placeOf(a);
            QCOMPARE(content.charOf(from), a);
            QCOMPARE(content.text(from, content.placeOf(b)), whole.mid(a, b - a));
            if (a < whole.size())
                QCOMPARE(content.tokenText(from.token).at(from.offset), whole.at(a));
        }
    }

    // Random edits of a document the content follows, in place and not, in
    // and outside a range of fixed offsets: after each, the content is the
    // view of the bytes there and its character counts hold.
    void followsTheDocumentThroughEdits_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("length");
        QTest::newRow("1251, whole document") << 2 << qint64(0) << PieceTable::toEnd;
        QTest::newRow("listing1251, whole document") << 5 << qint64(0) << PieceTable::toEnd;
        QTest::newRow("names, fixed range") << 3 << qint64(1500) << qint64(2000);
        QTest::newRow("hex, fixed range") << 0 << qint64(1500) << qint64(2000);
    }
    void followsTheDocumentThroughEdits() {
        QFETCH(int, view);
        QFETCH(qint64, offset);
        QFETCH(qint64, length);
        const views::View shown = allViews[view];
        ByteDocument document;
        document.load(mixedBytes(6000, 3));
        PaneContent content;
        content.follow(shown, &document, offset, length);
        qint64 chars = content.charCount();
        QObject::connect(&document, &ByteDocument::changed, [&](qint64 at, qint64 out, qint64 in) {
            const auto change = content.documentChanged(at, out, in);
            if (change)
                chars += change->addedChars - change->removedChars;
        });
        QRandomGenerator random{quint32(view)};
        for (int step = 0; step < 300; ++step) {
            const qint64 at = random.bounded(int(document.size()) + 1);
            const qint64 removed = random.bounded(step % 3 == 0 ? 40 : 3);
            const qint64 added = step % 2 ? removed : random.bounded(40);
            document.replace(at, removed, mixedBytes(int(added), quint32(step)));
            const QByteArray bytes = document.read(offset, qMin(length, document.size()));
            const QString expected = viewText(shown, bytes);
            QCOMPARE(content.charCount(), chars);
            if (step % 10 == 0) {
                QCOMPARE(content.text(), expected);
                QCOMPARE(content.charOf(content.end()), expected.size());
            }
            const qint64 c = random.bounded(int(expected.size()) + 1);
            QCOMPARE(content.charOf(content.placeOf(c)), c);
        }
    }

    // Every row ends at a token boundary or after a line break, holds what
    // fits in the width, and takes as much as fits: the next row's first
    // token would not have.
    void wrappedRowsBreakBetweenTokensAndFillEachRow_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("width");
        for (const int width : {200, 420}) {
            QTest::addRow("listing1251, %d", width) << 5 << width;
            QTest::addRow("listing866, %d", width) << 4 << width;
            QTest::addRow("names, %d", width) << 3 << width;
            QTest::addRow("1251, %d", width) << 2 << width;
        }
    }
    void wrappedRowsBreakBetweenTokensAndFillEachRow() {
        QFETCH(int, view);
        QFETCH(int, width);
        PaneContent content;
        content.append(allViews[view], PieceTable(mixedBytes(3000, 4)));
        PaneStyles styles(font("DejaVu Sans", 9));
        styles.appended({});
        TokenLayout layout(content, styles);
        layout.setWidth(width);
        const qreal available = width - layout.textLeft() - TokenLayout::margin;
        const PaneStyles::Style &style = styles.style(0);
        QVERIFY(layout.rowCount() > 20);

        TokenLayout::Row row;
        TokenLayout::Row next;
        for (qint64 r = 0; r + 1 < layout.rowCount(); ++r) {
            layout.placeRow(r, row);
            layout.placeRow(r + 1, next);
            QCOMPARE(next.start, row.end);
            const bool afterBreak = row.endsWithBreak();
            // Inside a token only after a line break, or where the token is
            // wider than a whole row.
            const bool overwide = style.width(content.tokenText(next.start.token)) > available;
            QVERIFY2(next.start.offset == 0 || afterBreak || overwide,
                     qPrintable(QString::number(r)));
            // Blank tokens may hang past the edge.
            qreal used = row.endX - layout.textLeft();
            for (qsizetype i = row.cells.size() - 1; i >= 0 && row.cells[i].ch == u' '; --i)
                used -= style.advance(u' ');
            QVERIFY(used <= available + 0.01);
            if (!afterBreak && next.start.offset == 0 && !overwide) {
                QStringView first = content.tokenText(next.start.token);
                first = first.first(qMax<qsizetype>(0, first.indexOf(u'\n')) +
                                    (first.contains(u'\n') ? 0 : first.size()));
                QVERIFY2(row.endX - layout.textLeft() + style.width(first) > available,
                         qPrintable(QString::number(r)));
            }
        }
    }

    // Fixed rows are counted, not kept: token r * n starts row r. In columns
    // every group stands at its column whatever the font of its digits.
    void fixedRowsAndColumns() {
        PaneContent content;
        content.append(views::hexDump, PieceTable(mixedBytes(1000, 5)), 0x40);
        PaneStyles styles(font("DejaVu Sans Mono", 9));
        styles.appended({});
        TokenLayout layout(content, styles);
        layout.setTokensPerRow(16);
        QCOMPARE(layout.rowCount(), 63);
        QCOMPARE(layout.rowStart(62), (TokenPlace{992, 0}));
        QCOMPARE(layout.rowStart(63), content.end());
        QCOMPARE(layout.rowOf(content.end()), 62);
        QCOMPARE(layout.rowOf({31, 3}), 1);
        QVERIFY(!layout.inColumns());

        layout.setColumns(true);
        layout.setTextLeft(50);
        QVERIFY(layout.inColumns());
        const qreal pitch = layout.columnPitch();
        // A wider font in one group widens every column.
        styles.merge({20, 0}, {21, 0}, content.end(), charFormat(font("DejaVu Serif", 16)));
        layout.invalidate();
        QVERIFY(layout.columnPitch() > pitch);
        TokenLayout::Row row;
        layout.placeRow(1, row);
        for (int k = 0; k < 16; ++k) {
            const TokenLayout::Cell &digit = row.cells[4 * k + 1];
            QCOMPARE(digit.place, (TokenPlace{16 + k, 1}));
            QCOMPARE(digit.x, 50 + k * layout.columnPitch() + layout.digitCell());
            QCOMPARE(layout.columnCentre(k), digit.x + layout.digitCell() / 2);
        }
        QCOMPARE(layout.contentWidth(), 50 + 16 * layout.columnPitch() + TokenLayout::margin);
    }

    // The place of a point is the character whose cell holds it (the nearer
    // boundary), a point right of a row its end (before its line break), one
    // below the rows the last row.
    void pointsAndPlacesMeet_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<int>("perRow");
        QTest::addColumn<bool>("columns");
        QTest::newRow("wrapped listing") << 5 << 0 << false;
        QTest::newRow("16 glyphs a row") << 2 << 16 << false;
        QTest::newRow("hex columns") << 0 << 16 << true;
    }
    void pointsAndPlacesMeet() {
        QFETCH(int, view);
        QFETCH(int, perRow);
        QFETCH(bool, columns);
        PaneContent content;
        content.append(allViews[view], PieceTable(mixedBytes(300, 6)));
        PaneStyles styles(font("DejaVu Sans", 10));
        styles.appended({});
        TokenLayout layout(content, styles);
        layout.setWidth(300);
        layout.setTokensPerRow(perRow);
        layout.setColumns(columns);
        TokenLayout::Row row;
        for (qint64 r = 0; r < layout.rowCount(); r += 3) {
            layout.placeRow(r, row);
            const qreal y = layout.rowTop(r) + layout.rowHeight() / 2.0;
            for (qsizetype i = 0; i < row.cells.size(); ++i) {
                const TokenLayout::Cell &cell = row.cells[i];
                if (cell.ch == u'\n')
                    continue;
                const qreal next = i + 1 < row.cells.size() ? row.cells[i + 1].x : row.endX;
                QCOMPARE(layout.placeAt({cell.x + (next - cell.x) / 4, y}), cell.place);
                QCOMPARE(layout.pointOf(cell.place), QPointF(cell.x, layout.rowTop(r)));
            }
            const TokenPlace end =
                row.endsWithBreak() ? row.cells.back().place : content.normalized(row.end);
            QCOMPARE(layout.placeAt({row.endX + 50, y}), end);
        }
        const qint64 last = layout.rowCount() - 1;
        QCOMPARE(layout.placeAt({0, layout.rowTop(last + 5)}), layout.rowStart(last));
    }

    // Caret moves by keys over the rows of a listing, as characters of its
    // text: a row's end stands before its line break; Up on the first row
    // goes to the start and Down on the last to the end, as in Qt's text
    // edits. Rows: 0..14 with the break at 14, 15..29, 30..44.
    void keysMoveByRowsAndStopBeforeLineBreaks_data() {
        QTest::addColumn<int>("move");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::newRow("End before the break") << int(CaretMove::RowEnd) << 0 << 14;
        QTest::newRow("End of the last row") << int(CaretMove::RowEnd) << 30 << 44;
        QTest::newRow("Home") << int(CaretMove::RowStart) << 35 << 30;
        QTest::newRow("Up on the first row") << int(CaretMove::Up) << 3 << 0;
        QTest::newRow("Up keeps the column") << int(CaretMove::Up) << 33 << 18;
        QTest::newRow("Down on the last row") << int(CaretMove::Down) << 40 << 44;
        QTest::newRow("Down keeps the column") << int(CaretMove::Down) << 3 << 18;
    }
    void keysMoveByRowsAndStopBeforeLineBreaks() {
        QFETCH(int, move);
        QFETCH(int, from);
        QFETCH(int, to);
        PaneContent content;
        content.append(views::clicheListing866, PieceTable(QByteArray("12\r\n34\r\n56")));
        QCOMPARE(content.text(), "нов.стр.49_50_\nнов.стр.51_52_\nнов.стр.53_54_");
        PaneStyles styles(font("DejaVu Sans Mono", 10));
        styles.appended({});
        TokenLayout layout(content, styles);
        layout.setWidth(400);
        QCOMPARE(layout.rowCount(), 3);
        const TokenPlace moved =
            tokenmoves::moved(content, layout, content.placeOf(from), CaretMove(move), -1, 10);
        QCOMPARE(content.charOf(moved), to);
    }

    // The Font command's fonts by range, the pane's font changed, text
    // appended after, and an edit of the tokens under a run.
    void fontsPerRangeAndAChangeOfFont() {
        PaneContent content;
        const QByteArray bytes = mixedBytes(400, 7);
        content.append(views::cp1251Glyphs, PieceTable(bytes));
        PaneStyles styles(font("DejaVu Sans", 9));
        styles.appended({});
        TokenLayout layout(content, styles);
        layout.setWidth(250);
        const int plainHeight = layout.rowHeight();
        const qint64 plainRows = layout.rowCount();

        styles.merge({10, 0}, {60, 0}, content.end(), charFormat(font("DejaVu Serif", 18, true)));
        layout.invalidate();
        const auto bold = [&](TokenPlace place) {
            return styles.formatOf(styles.styleAt(place)).font().bold();
        };
        QVERIFY(!bold({9, 0}) && bold({10, 0}) && bold({59, 0}) && !bold({60, 0}));
        QVERIFY(layout.rowHeight() > plainHeight);
        QVERIFY(layout.rowCount() > plainRows);
        TokenLayout::Row row;
        layout.placeRow(layout.rowOf({30, 0}), row);
        for (const TokenLayout::Cell &cell : row.cells)
            QCOMPARE(cell.style, styles.styleAt(cell.place));

        // The pane's own font reaches the text outside the range only.
        styles.setPaneFont(font("DejaVu Sans Mono", 14));
        layout.invalidate();
        QCOMPARE(styles.formatOf(styles.styleAt({0, 0})).font().family(),
                 QStringLiteral("DejaVu Sans Mono"));
        QCOMPARE(styles.formatOf(styles.styleAt({20, 0})).font().family(),
                 QStringLiteral("DejaVu Serif"));

        // Text appended after the Font command takes the insertion style.
        const TokenPlace end = content.end();
        content.append(views::cp1251Glyphs, PieceTable(QByteArray("tail")));
        styles.appended(end);
        QVERIFY(bold({end.token + 2, 0}));

        // Five tokens before the run became two: the run moves with its bytes.
        styles.tokensChanged(0, 5, 2);
        QVERIFY(!bold({6, 0}) && bold({7, 0}) && bold({56, 0}) && !bold({57, 0}));
    }

    // A pane that follows the document shows each edit at once; its
    // selection and fonts stay on their bytes, its rows are counted anew.
    void aPaneFollowingTheDocumentKeepsItsSelectionOnItsBytes() {
        ByteDocument document;
        document.load(mixedBytes(1000, 8));
        TokenView pane;
        pane.follow(views::cp1251Glyphs, &document, 0);
        pane.setTokensPerRow(16);
        pane.selectTokens(100, 110);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        pane.mergeCurrentCharFormat(bold);
        QSignalSpy moved(&pane, &TokenView::selectionChanged);

        document.replace(10, 0, "XYZ");
        QCOMPARE(pane.selectedTokens(), std::make_pair(qint64(103), qint64(113)));
        QCOMPARE(moved.size(), 1);
        document.replace(105, 1, "\x7f");
        document.replace(0, 2, {});
        QCOMPARE(pane.selectedTokens(), std::make_pair(qint64(101), qint64(111)));
        QCOMPARE(pane.toPlainText(), viewText(views::cp1251Glyphs, document.read(0, 1001)));
        QCOMPARE(pane.selectedText(), viewText(views::cp1251Glyphs, document.read(101, 10)));
        QCOMPARE(pane.charFormatAt(pane.selectionStart()).fontWeight(), int(QFont::Bold));
        QVERIFY(pane.charFormatAt(pane.selectionStart() - 1).fontWeight() != QFont::Bold);
        QCOMPARE(pane.rowCount(), (1001 + 15) / 16);
        QCOMPARE(pane.source().length, 1001);

        document.load(QByteArray("new"));
        QCOMPARE(pane.toPlainText(), QStringLiteral("new"));
        QVERIFY(!pane.hasSelection());
    }

    // A pane that shares the document's selection shows where it is, not
    // where the pane last put it: a selection made elsewhere outside the
    // range the pane follows leaves its caret at the range's nearer end.
    void aSharedSelectionShowsWhereTheDocumentsIs_data() {
        QTest::addColumn<qint64>("anchor");
        QTest::addColumn<qint64>("caret");
        QTest::addColumn<qint64>("shownAnchor");
        QTest::addColumn<qint64>("shownCaret");
        QTest::newRow("caret before the range") << qint64(3) << qint64(3) << qint64(0) << qint64(0);
        QTest::newRow("selection after the range")
            << qint64(90) << qint64(70) << qint64(40) << qint64(40);
        QTest::newRow("selection across its start")
            << qint64(30) << qint64(10) << qint64(10) << qint64(0);
        QTest::newRow("caret inside") << qint64(25) << qint64(25) << qint64(5) << qint64(5);
    }
    void aSharedSelectionShowsWhereTheDocumentsIs() {
        QFETCH(qint64, anchor);
        QFETCH(qint64, caret);
        QFETCH(qint64, shownAnchor);
        QFETCH(qint64, shownCaret);
        ByteDocument document;
        document.load(QByteArray(100, 'a'));
        ByteSelection selection(&document);
        TokenView pane;
        pane.follow(views::cp1251Glyphs, &document, 20, 40);
        pane.shareSelection(&selection);
        pane.selectTokens(12, 17);
        QCOMPARE(std::make_pair(selection.anchor(), selection.caret()),
                 std::make_pair(qint64(32), qint64(37)));

        selection.select(anchor, caret);
        QCOMPARE(pane.anchorPlace().token, shownAnchor);
        QCOMPARE(pane.cursorPlace().token, shownCaret);
    }

private:
    static constexpr views::View allViews[] = {views::hexDump,          views::cp866Glyphs,
                                               views::cp1251Glyphs,     views::controlNames,
                                               views::clicheListing866, views::clicheListing1251};

    static QTextCharFormat charFormat(const QFont &font) {
        QTextCharFormat format;
        format.setFont(font);
        return format;
    }
};

KKTVIEW_TEST_MAIN(TestPaneLayout)
#include "tst_panelayout.moc"
