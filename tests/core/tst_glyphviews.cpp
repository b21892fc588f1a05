#include "codepages/views.h"
#include "oracle.h"

#include <QMap>
#include <QTest>

// Both glyph views: the worked sources, and every byte value against the
// published code page with the map's deviations spelled out.
class GlyphViewsTest : public QObject {
    Q_OBJECT

private:
    static void addWorkedRows(const char *const rows[][3], int count) {
        QTest::addColumn<bool>("cp866");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("view");
        for (int i = 0; i < count; ++i) {
            QTest::addRow("%s %s", rows[i][0], rows[i][1])
                << (qstrcmp(rows[i][0], "866") == 0) << QByteArray::fromHex(rows[i][1])
                << inCp1251(rows[i][2]);
        }
    }

    // One row per byte value: what it must show, in UTF-8.
    static void addEveryByte(const char *codePage, const QMap<int, QByteArray> &deviations) {
        QTest::addColumn<int>("byte");
        QTest::addColumn<QByteArray>("shown");
        for (int b = 0; b < 256; ++b) {
            const QByteArray published =
                iconvConvert("UTF-8", codePage, QByteArray(1, char(b))).value_or("?");
            QTest::addRow("%d", b) << b << deviations.value(b, published);
        }
    }

    static QMap<int, QByteArray> runs(std::initializer_list<std::pair<int, int>> ranges,
                                      const QByteArray &shown) {
        QMap<int, QByteArray> map;
        for (const auto &[from, to] : ranges) {
            for (int b = from; b <= to; ++b)
                map.insert(b, shown);
        }
        return map;
    }

    static QByteArray shownAsUtf8(const QByteArray &view) {
        return iconvConvert("UTF-8", "CP1251", view).value_or("not code page 1251");
    }

private slots:
    void glyphViewsShowWorkedSources_data() {
        // The view, the source in hex, what it shows.
        const char *const rows[][3] = {
            {"866", "8FE0A8A2A5E2", "Привет"},
            {"866", "CFF0E8E2E5F2", ".ЁштхЄ"},
            {"866", "0D0A", ".."},
            {"866", "007F1B", ".del."},
            {"866", "B0C4DB", "..."},
            {"866", "FFFBFCF9FAF3F0F1F2", ".v№··єЁёЄ"},
            {"866", "612E62", "a.b"},
            {"866", "416180A0", "AaАа"},
            {"866", "", ""},
            {"1251", "CFF0E8E2E5F2", "Привет"},
            {"1251", "8FE0A8A2A5E2", ".аЁ..в"},
            {"1251", "AB20BB", "<< >>"},
            {"1251", "9697B7", "-_."},
            {"1251", "8B9B", ".>"},
            {"1251", "BCBDBE", "jSs"},
            {"1251", "B2B3AFBF", "Іі.ї"},
            {"1251", "8090", "Ђ."},
            {"1251", "A8B8AABAB9", "ЁёЄє№"},
            {"1251", "A6A7A9B1B0", "¦§.±."},
            {"1251", "0D0A", ".."},
            {"1251", "007F1B", ".del."},
            {"1251", "98", "."},
            {"1251", "4161C0E0", "AaАа"},
            {"1251", "A0", " "},
            {"1251", "", ""},
        };
        addWorkedRows(rows, std::size(rows));
    }
    void glyphViewsShowWorkedSources() {
        QFETCH(bool, cp866);
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, view);
        QCOMPARE(cp866 ? views::cp866Glyphs(source) : views::cp1251Glyphs(source), view);
    }

    void cp866ViewShowsPublishedCodePageExceptItsDeviations_data() {
        auto deviations = runs({{0, 31}, {176, 223}, {244, 248}, {253, 255}}, ".");
        deviations.insert(127, "del");
        deviations.insert(249, "·"); // the bullet operator
        deviations.insert(251, "v"); // the square-root sign
        addEveryByte("CP866", deviations);
    }
    void cp866ViewShowsPublishedCodePageExceptItsDeviations() {
        QFETCH(int, byte);
        QFETCH(QByteArray, shown);
        QCOMPARE(shownAsUtf8(views::cp866Glyphs(QByteArray(1, char(byte)))), shown);
    }

    void cp1251ViewShowsPublishedCodePageExceptItsDeviations_data() {
        auto deviations = runs({{0, 31},
                                {129, 149},
                                {152, 154},
                                {156, 159},
                                {161, 165},
                                {169, 169},
                                {172, 176},
                                {180, 182}},
                               ".");
        const std::pair<int, const char *> lookAlikes[] = {
            {127, "del"}, {150, "-"},  {151, "_"}, {155, ">"}, {160, " "}, {171, "<<"},
            {183, "."},   {187, ">>"}, {188, "j"}, {189, "S"}, {190, "s"},
        };
        for (const auto &[b, text] : lookAlikes)
            deviations.insert(b, text);
        addEveryByte("CP1251", deviations);
    }
    void cp1251ViewShowsPublishedCodePageExceptItsDeviations() {
        QFETCH(int, byte);
        QFETCH(QByteArray, shown);
        QCOMPARE(shownAsUtf8(views::cp1251Glyphs(QByteArray(1, char(byte)))), shown);
    }

    // Beside a hex dump: one character a byte, the glyph view's own where
    // it writes one.
    void textColumnsShowOneCharacterAByte_data() {
        QTest::addColumn<bool>("cp866");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("column");
        QTest::newRow("866 delete") << true
                                    << QByteArray("a\x7f"
                                                  "b")
                                    << inCp1251("a.b");
        QTest::newRow("866 control bytes")
            << true << QByteArray::fromHex("000D0A1F20") << inCp1251(".... ");
        QTest::newRow("866 letters and marks")
            << true << QByteArray::fromHex("8FE0B0F9FB") << inCp1251("Пр.·v");
        QTest::newRow("1251 delete") << false << QByteArray("\x7f\x7f") << inCp1251("..");
        QTest::newRow("1251 guillemets")
            << false << QByteArray::fromHex("AB20BB") << inCp1251("« »");
        QTest::newRow("1251 letters and marks")
            << false << QByteArray::fromHex("CFE0969798A0") << inCp1251("Па-_. ");
    }
    void textColumnsShowOneCharacterAByte() {
        QFETCH(bool, cp866);
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, column);
        const views::View glyphs = cp866 ? views::cp866Glyphs : views::cp1251Glyphs;
        QCOMPARE(views::textColumnOf(glyphs)(source, nullptr), column);
        QVERIFY(views::textColumnOf(views::controlNames) == views::controlNames);
    }
};

QTEST_APPLESS_MAIN(GlyphViewsTest)
#include "tst_glyphviews.moc"
