#include "../randombytes.h"
#include "checksums.h"
#include "crc.h"
#include "piecetable.h"

#include <QRandomGenerator>
#include <QTest>

using checksums::Algorithm;

namespace {

// The CRC a bit at a time, straight from the model's definition.
quint32 bitwiseCrc(const crc::Model &model, QByteArrayView bytes) {
    const auto reflect = [](quint32 value, int width) {
        quint32 out = 0;
        for (int i = 0; i < width; ++i)
            out |= (value >> i & 1) << (width - 1 - i);
        return out;
    };
    const quint64 mask = (quint64(1) << model.width) - 1;
    quint64 reg = model.init;
    for (const char c : bytes) {
        const quint32 byte = model.reflected ? reflect(quint8(c), 8) : quint8(c);
        reg ^= quint64(byte) << (model.width - 8);
        for (int bit = 0; bit < 8; ++bit)
            reg = (reg >> (model.width - 1) & 1 ? reg << 1 ^ model.poly : reg << 1) & mask;
    }
    if (model.reflected)
        reg = reflect(quint32(reg), model.width);
    return quint32(reg) ^ model.xorOut;
}

QString valueOf(const std::vector<checksums::Result> &results, Algorithm algorithm) {
    for (const checksums::Result &result : results) {
        if (result.algorithm == algorithm)
            return result.value;
    }
    return {};
}

} // namespace

class ChecksumsTest : public QObject {
    Q_OBJECT

private slots:
    void publishedCheckValues_data() {
        QTest::addColumn<Algorithm>("algorithm");
        QTest::addColumn<QString>("value");
        QTest::newRow("CRC-16/CCITT-FALSE") << Algorithm::Crc16CcittFalse << "29b1";
        QTest::newRow("CRC-16/MODBUS") << Algorithm::Crc16Modbus << "4b37";
        QTest::newRow("CRC-16/XMODEM") << Algorithm::Crc16Xmodem << "31c3";
        QTest::newRow("CRC-32") << Algorithm::Crc32 << "cbf43926";
        QTest::newRow("CRC-32C") << Algorithm::Crc32c << "e3069283";
        QTest::newRow("SUM-8") << Algorithm::Sum8 << "dd";
        QTest::newRow("XOR-8") << Algorithm::Xor8 << "31";
        QTest::newRow("MD5") << Algorithm::Md5 << "25f9e794323b453885f5181f1b624d0b";
        QTest::newRow("SHA-1") << Algorithm::Sha1 << "f7c3bc1d808e04732adf679965ccc34ca7ae3441";
        QTest::newRow("SHA-256")
            << Algorithm::Sha256
            << "15e2b0d3c33891ebb0f1ef609ec419420c20e320ce94c65fbc8c3312448eb225";
    }
    void publishedCheckValues() {
        QFETCH(Algorithm, algorithm);
        QFETCH(QString, value);
        checksums::Accumulator accumulator;
        accumulator.add("1234");
        accumulator.add("56789");
        QCOMPARE(valueOf(accumulator.results(), algorithm), value);
    }

    // Runs of every length and alignment, as a piece table's chunks come.
    void anyRunsGiveTheValuesOfTheWhole() {
        const QByteArray bytes = randomBytes(200 * 1024 + 13, 866);
        QRandomGenerator random(1251);
        PieceTable table(bytes);
        for (qint64 at = 0; at < bytes.size(); at += random.bounded(1, 5000))
            table.replace(at, 1, bytes.mid(at, 1)); // the same bytes, cut into pieces
        QVERIFY(table.pieceCount() > 100);
        const qint64 offset = 3;
        const QByteArrayView whole = QByteArrayView(bytes).sliced(offset);
        const auto results = checksums::of(table, offset, PieceTable::toEnd);

        const std::pair<Algorithm, crc::Model> crcs[] = {
            {Algorithm::Crc16CcittFalse, crc::ccittFalse},
            {Algorithm::Crc16Modbus, crc::modbus},
            {Algorithm::Crc16Xmodem, crc::xmodem},
            {Algorithm::Crc32, crc::crc32},
            {Algorithm::Crc32c, crc::crc32c}};
        for (const auto &[algorithm, model] : crcs) {
            const quint32 expected = bitwiseCrc(model, whole);
            QCOMPARE(valueOf(results, algorithm).toUInt(nullptr, 16), expected);
            QCOMPARE(crc::Engine(model).checksum(whole), expected);
        }
        quint8 sum = 0, xorOfAll = 0;
        for (const char c : whole) {
            sum = quint8(sum + quint8(c));
            xorOfAll ^= quint8(c);
        }
        QCOMPARE(valueOf(results, Algorithm::Sum8).toUInt(nullptr, 16), sum);
        QCOMPARE(valueOf(results, Algorithm::Xor8).toUInt(nullptr, 16), xorOfAll);
        QCOMPARE(valueOf(results, Algorithm::Sha256),
                 QString::fromLatin1(
                     QCryptographicHash::hash(whole, QCryptographicHash::Sha256).toHex()));
    }
};

QTEST_GUILESS_MAIN(ChecksumsTest)
#include "tst_checksums.moc"
