#include "carettext.h"

#include <QTest>

class CaretTextTest : public QObject {
    Q_OBJECT

private slots:
    void caretAndSelection_data() {
        QTest::addColumn<qint64>("caret");
        QTest::addColumn<qint64>("selectionStart");
        QTest::addColumn<qint64>("selectionLength");
        QTest::addColumn<qint64>("documentSize");
        QTest::addColumn<QString>("expected");

        QTest::newRow("empty document") << 0LL << 0LL << 0LL << 0LL << "0x0000 (0)";
        QTest::newRow("caret") << 240LL << 240LL << 0LL << 1000LL << "0x00F0 (240)";
        QTest::newRow("caret at the end") << 240LL << 240LL << 0LL << 240LL << "0x00F0 (240)";
        QTest::newRow("selection") << 318LL << 240LL << 78LL << 1000LL << "0x00F0–0x013D, 78";
        QTest::newRow("one byte") << 6LL << 5LL << 1LL << 10LL << "0x0005–0x0005, 1";
        QTest::newRow("all of a one-byte document")
            << 1LL << 0LL << 1LL << 1LL << "0x0000–0x0000, 1";
        // The end of the document decides the width, so every caret of it has one.
        QTest::newRow("four digits to the end")
            << 65535LL << 65535LL << 0LL << 65535LL << "0xFFFF (65535)";
        QTest::newRow("six from 64 KiB") << 0LL << 0LL << 0LL << 65536LL << "0x000000 (0)";
        QTest::newRow("end of 64 KiB")
            << 65536LL << 65536LL << 0LL << 65536LL << "0x010000 (65536)";
        QTest::newRow("eight from 16 MiB")
            << 0LL << 16LL << 0x1000000LL - 16 << 0x1000000LL << "0x00000010–0x00FFFFFF, 16777200";
        QTest::newRow("ten past 4 GiB") << 1LL << 1LL << 0LL << 0x100000000LL << "0x0000000001 (1)";
        QTest::newRow("caret past the end clamped") << 50LL << 50LL << 0LL << 16LL << "0x0010 (16)";
        QTest::newRow("selection past the end clamped")
            << 20LL << 10LL << 10LL << 16LL << "0x000A–0x000F, 6";
        QTest::newRow("selection at the end is none")
            << 16LL << 16LL << 4LL << 16LL << "0x0010 (16)";
    }
    void caretAndSelection() {
        QFETCH(qint64, caret);
        QFETCH(qint64, selectionStart);
        QFETCH(qint64, selectionLength);
        QFETCH(qint64, documentSize);
        QFETCH(QString, expected);
        QCOMPARE(carettext::caret(caret, selectionStart, selectionLength, documentSize), expected);
    }

    void byteCountsInRussian() {
        const std::pair<qint64, const char *> cases[] = {{0, "0 байт"},
                                                         {1, "1 байт"},
                                                         {2, "2 байта"},
                                                         {4, "4 байта"},
                                                         {5, "5 байт"},
                                                         {11, "11 байт"},
                                                         {12, "12 байт"},
                                                         {14, "14 байт"},
                                                         {21, "21 байт"},
                                                         {22, "22 байта"},
                                                         {104, "104 байта"},
                                                         {112, "112 байт"},
                                                         {1000, "1\u00A0000 байт"},
                                                         {67108864, "67\u00A0108\u00A0864 байта"}};
        for (const auto &[count, text] : cases)
            QCOMPARE(carettext::bytes(count), QString::fromUtf8(text));
    }
};

QTEST_GUILESS_MAIN(CaretTextTest)
#include "tst_carettext.moc"
