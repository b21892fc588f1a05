#include "document/caretvalues.h"

#include <QTest>

namespace {

QStringList texts(const std::vector<caretvalues::Row> &rows) {
    QStringList list;
    for (const caretvalues::Row &row : rows)
        list << row.label + QStringLiteral(": ") + row.value;
    return list;
}

} // namespace

class CaretValuesTest : public QObject {
    Q_OBJECT

private slots:
    void bytesGiveTheirValues_data() {
        QTest::addColumn<QByteArray>("bytes");
        // Rows that must be there, in this order; all of them when complete.
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("complete");
        QTest::addColumn<QStringList>("absent"); // labels

        const QString date = QStringLiteral("Дата (BCD ДД ММ ГГ)");
        const QString dateTime = QStringLiteral("Дата и время (BCD ДД ММ ГГ чч мм)");
        QTest::newRow("date and time, all rows")
            << QByteArray::fromHex("3112242359FF")
            << QStringList{"Двоичное: 00110001",
                           "uint8: 49",
                           "int8: 49",
                           "Знак 866: 1",
                           "Знак 1251: 1",
                           "uint16 LE: 4657",
                           "int16 LE: 4657",
                           "uint16 BE: 12562",
                           "int16 BE: 12562",
                           "uint32 LE: 589566513",
                           "int32 LE: 589566513",
                           "uint32 BE: 823272483",
                           "int32 BE: 823272483",
                           "BCD 1 байт: 31",
                           "BCD 2 байта: 3112",
                           "BCD 3 байта: 311224",
                           "BCD 4 байта: 31122423",
                           "Дата и время (BCD ДД ММ ГГ чч мм): 31.12.24 23:59"}
            << true << QStringList{};
        QTest::newRow("negative in both orders")
            << QByteArray::fromHex("FFFEFDFC")
            << QStringList{"uint8: 255",
                           "int8: -1",
                           "Знак 866: \u00A0",
                           "Знак 1251: я",
                           "uint16 LE: 65279",
                           "int16 LE: -257",
                           "uint16 BE: 65534",
                           "int16 BE: -2",
                           "uint32 LE: 4244504319",
                           "int32 LE: -50462977",
                           "uint32 BE: 4294901244",
                           "int32 BE: -66052"}
            << false << QStringList{"BCD 1 байт", date, dateTime};
        QTest::newRow("one byte at the end")
            << QByteArray::fromHex("80") << QStringList{"Знак 866: А", "Знак 1251: Ђ"} << false
            << QStringList{"uint16 LE", "BCD 2 байта", date};
        QTest::newRow("BCD with a nibble over 9")
            << QByteArray::fromHex("123A00") << QStringList{"BCD 1 байт: 12"} << false
            << QStringList{"BCD 2 байта", "BCD 3 байта", "uint32 LE", date};
        // Every digit of a BCD number, the leading zeros too.
        QTest::newRow("BCD of zeros")
            << QByteArray::fromHex("0000") << QStringList{"BCD 1 байт: 00", "BCD 2 байта: 0000"}
            << false << QStringList{};
        QTest::newRow("BCD with a leading zero")
            << QByteArray::fromHex("0912003450")
            << QStringList{"BCD 1 байт: 09", "BCD 2 байта: 0912", "BCD 3 байта: 091200",
                           "BCD 4 байта: 09120034"}
            << false << QStringList{};
        QTest::newRow("29 February of a leap year")
            << QByteArray::fromHex("290224") << QStringList{date + ": 29.02.24"} << false
            << QStringList{dateTime};
        QTest::newRow("29 February of another year")
            << QByteArray::fromHex("290223") << QStringList{"BCD 3 байта: 290223"} << false
            << QStringList{date};
        for (const char *notADate : {"310424", "001224", "011324", "010024", "3A0124"}) {
            QTest::newRow(notADate) << QByteArray::fromHex(notADate) << QStringList{} << false
                                    << QStringList{date, dateTime};
        }
        QTest::newRow("no time: hour 24")
            << QByteArray::fromHex("0101002400") << QStringList{date + ": 01.01.00"} << false
            << QStringList{dateTime};
        QTest::newRow("no time: minute 60")
            << QByteArray::fromHex("0101992360") << QStringList{date + ": 01.01.99"} << false
            << QStringList{dateTime};
        QTest::newRow("control byte") << QByteArray::fromHex("0D")
                                      << QStringList{"Управляющий знак: Возврат каретки (CR, ^M)"}
                                      << false << QStringList{"Знак 866", "Знак 1251"};
        QTest::newRow("delete") << QByteArray::fromHex("7F")
                                << QStringList{"Управляющий знак: Удаление (DEL, ^?)"} << false
                                << QStringList{"Знак 866", "Знак 1251"};
        QTest::newRow("undefined in 1251")
            << QByteArray::fromHex("98") << QStringList{"Знак 866: Ш"} << false
            << QStringList{"Знак 1251", "Управляющий знак"};
        QTest::newRow("nothing at the caret")
            << QByteArray() << QStringList{} << true << QStringList{};
    }
    void bytesGiveTheirValues() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, expected);
        QFETCH(bool, complete);
        QFETCH(QStringList, absent);

        const QStringList rows = texts(caretvalues::rows(bytes));
        if (complete)
            QCOMPARE(rows, expected);
        qsizetype at = 0;
        for (const QString &row : expected) {
            at = rows.indexOf(row, at);
            QVERIFY2(at >= 0, qPrintable(row + " missing or out of order in:\n" + rows.join('\n')));
        }
        for (const QString &label : absent) {
            for (const QString &row : rows)
                QVERIFY2(!row.startsWith(label + ": "), qPrintable(row));
        }
    }
};

QTEST_GUILESS_MAIN(CaretValuesTest)
#include "tst_caretvalues.moc"
