#include "codepages/recode.h"
#include "document/byteedit.h"
#include "oracle.h"

#include <QTest>

// Code page conversion against glibc iconv, and the smallest edit that
// applies a rewrite.
class RecodeTest : public QObject {
    Q_OBJECT

private slots:
    // iconv shares nothing with the program's tables: a byte it converts
    // must convert the same, a byte it refuses must be kept and counted.
    void everyByteConvertsLikeThePublishedCodePages_data() {
        QTest::addColumn<bool>("from866");
        QTest::newRow("866 -> 1251") << true;
        QTest::newRow("1251 -> 866") << false;
    }
    void everyByteConvertsLikeThePublishedCodePages() {
        QFETCH(bool, from866);
        for (int b = 0; b < 256; ++b) {
            const QByteArray in(1, char(b));
            const recode::Result result =
                from866 ? recode::cp866ToCp1251(in) : recode::cp1251ToCp866(in);
            const auto published =
                iconvConvert(from866 ? "CP1251" : "CP866", from866 ? "CP866" : "CP1251", in);
            if (b < 32 || b == 127 || !published) {
                QCOMPARE(result.bytes, in);
                QCOMPARE(result.unmatchedCount, qsizetype(b >= 32 && b != 127));
            } else {
                QCOMPARE(result.bytes, *published);
                QCOMPARE(result.unmatchedCount, 0);
            }
        }
    }

    void cyrillicDigitsAndPunctuationSurviveTheRoundTrip() {
        QByteArray text;
        for (int b = 32; b < 127; ++b)
            text += char(b);
        for (int b = 192; b < 256; ++b)
            text += char(b);
        text += inCp1251("Ёё№\r\n\t");
        text += QByteArray("\0\x1b\x7f", 3);
        const recode::Result to866 = recode::cp1251ToCp866(text);
        QCOMPARE(to866.unmatchedCount, 0);
        QVERIFY(to866.bytes != text);
        QVERIFY(to866.bytes.endsWith(QByteArray("\r\n\t\0\x1b\x7f", 6)));
        const recode::Result back = recode::cp866ToCp1251(to866.bytes);
        QCOMPARE(back.unmatchedCount, 0);
        QCOMPARE(back.bytes, text);
    }

    void charactersWithoutCounterpartAreKeptCountedAndNamed() {
        const QByteArray text = inCp1251("«Привет» ‰ «да»") + '\x98';
        const recode::Result result = recode::cp1251ToCp866(text);
        QCOMPARE(result.unmatchedCount, 6);
        QCOMPARE(result.unmatched, inCp1251("«»‰") + '\x98');
        QCOMPARE(result.bytes.at(0), text.at(0));
        QCOMPARE(recode::unmatchedNotice(result, false),
                 QStringLiteral("6 символов без соответствия: «, », ‰, код 152"));

        const recode::Result boxes = recode::cp866ToCp1251(QByteArray::fromHex("b0b0c48d"));
        QCOMPARE(boxes.bytes, QByteArray::fromHex("b0b0c4cd"));
        QCOMPARE(recode::unmatchedNotice(boxes, true),
                 QStringLiteral("3 символа без соответствия: код 176, код 196"));
        QCOMPARE(recode::unmatchedNotice(recode::cp866ToCp1251("abc"), true), QString());
    }

    void differenceIsTheSmallestEditAndKeepsPairsWhole_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<qsizetype>("length");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("middle") << QByteArray("abcdef") << QByteArray("abXYef") << qsizetype(2)
                                << qsizetype(2) << QByteArray("XY");
        QTest::newRow("grows") << QByteArray("a…b") << QByteArray("a...b") << qsizetype(1)
                               << qsizetype(3) << QByteArray("...");
        QTest::newRow("repeated letters") << QByteArray("aaa") << QByteArray("aaaa") << qsizetype(3)
                                          << qsizetype(0) << QByteArray("a");
        QTest::newRow("not inside CR LF") << QByteArray("A\r\nB") << QByteArray("A\nB")
                                          << qsizetype(1) << qsizetype(2) << QByteArray("\n");
        QTest::newRow("widened to whole pairs")
            << QByteArray("a\r\n") << QByteArray("a\r\r\n") << qsizetype(1) << qsizetype(2)
            << QByteArray("\r\r\n");
    }
    void differenceIsTheSmallestEditAndKeepsPairsWhole() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        const auto edit = byteedit::difference(before, after);
        QVERIFY(edit);
        QTEST(edit->offset, "offset");
        QTEST(edit->length, "length");
        QTEST(edit->bytes, "bytes");
        QCOMPARE(QByteArray(before).replace(edit->offset, edit->length, edit->bytes), after);
        QVERIFY(!byteedit::difference(before, before));
    }
};

QTEST_APPLESS_MAIN(RecodeTest)
#include "tst_recode.moc"
