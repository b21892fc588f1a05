#include "../randombytes.h"
#include "checks/checksums.h"
#include "checks/crc.h"
#include "checks/digests.h"
#include "document/piecetable.h"

#include <QCryptographicHash>
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

// Sizes around the hashes' 64-byte blocks, the accumulator's 32 KiB blocks
// and the length from which a run is shared between two threads.
void addSizes() {
    QTest::addColumn<qsizetype>("size");
    const qsizetype shared = checksums::Accumulator::sharedFrom;
    for (const qsizetype size :
         {qsizetype(0), qsizetype(1), qsizetype(3), qsizetype(55), qsizetype(56), qsizetype(63),
          qsizetype(64), qsizetype(65), qsizetype(32 * 1024 - 1), qsizetype(32 * 1024 + 1),
          shared - 1, shared, shared + 1, 3 * shared + 17, qsizetype(1024 * 1024 + 7)})
        QTest::addRow("%lld bytes", qlonglong(size)) << size;
}

// The bytes cut into runs of every length, short and long by turns, so one
// accumulation goes on one thread and on two.
std::vector<QByteArrayView> cutIntoRuns(const QByteArray &bytes, quint32 seed) {
    QRandomGenerator random(seed);
    std::vector<QByteArrayView> runs;
    const qsizetype shared = checksums::Accumulator::sharedFrom;
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype most = runs.size() % 2 ? 300 : 2 * shared;
        const qsizetype length = std::min(bytes.size() - at, random.bounded(qsizetype(1), most));
        runs.push_back(QByteArrayView(bytes).sliced(at, length));
        at += length;
    }
    return runs;
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

    // Whichever library computes them, the hashes and CRC-32 are the values
    // of Qt's hashes and the program's own tables.
    void digestsMatchTheirReferences_data() { addSizes(); }
    void digestsMatchTheirReferences() {
        QFETCH(qsizetype, size);
        const QByteArray bytes = randomBytes(size, quint32(size));
        const std::pair<digests::Hash, QCryptographicHash::Algorithm> hashes[] = {
            {digests::Hash::Md5, QCryptographicHash::Md5},
            {digests::Hash::Sha1, QCryptographicHash::Sha1},
            {digests::Hash::Sha256, QCryptographicHash::Sha256}};
        for (const auto &[hash, reference] : hashes) {
            digests::Hasher hasher(hash);
            for (const QByteArrayView run : cutIntoRuns(bytes, 7))
                hasher.add(run);
            QCOMPARE(hasher.result().toHex(), QCryptographicHash::hash(bytes, reference).toHex());
        }
        const crc::Engine tables(crc::crc32);
        quint32 reg = tables.start();
        for (const QByteArrayView run : cutIntoRuns(bytes, 8))
            reg = digests::updateCrc32(reg, run);
        QCOMPARE(tables.finish(reg), tables.checksum(bytes));
    }

    // The instruction's CRC-32C where the processor has it, the tables'
    // otherwise: both are the tables' value.
    void crc32cMatchesTheTables_data() { addSizes(); }
    void crc32cMatchesTheTables() {
        QFETCH(qsizetype, size);
        const QByteArray bytes = randomBytes(size, quint32(size) + 1);
        const crc::Engine tables(crc::crc32c);
        quint32 reg = tables.start();
        for (const QByteArrayView run : cutIntoRuns(bytes, 9))
            reg = crc::updateCrc32c(reg, run);
        QCOMPARE(reg, tables.update(tables.start(), bytes));
    }

    // The CRCs by carry-less multiplication where the processor has it:
    // from any register, the tables' register.
    void fastCrcMatchesTheTables_data() { addSizes(); }
    void fastCrcMatchesTheTables() {
        QFETCH(qsizetype, size);
        const QByteArray bytes = randomBytes(size, quint32(size) + 3);
        for (const crc::Model &model :
             {crc::ccittFalse, crc::modbus, crc::xmodem, crc::crc32, crc::crc32c}) {
            const crc::Engine engine(model);
            const quint32 mask = model.width == 32 ? 0xFFFFFFFFu : 0xFFFFu;
            for (const quint32 full : {0x00000000u, 0xFFFFFFFFu, 0x80000001u, 0x12345678u}) {
                const quint32 start = full & mask;
                quint32 reg = start;
                for (const QByteArrayView run : cutIntoRuns(bytes, 11))
                    reg = engine.updateFast(reg, run);
                QCOMPARE(reg, engine.update(start, bytes));
            }
        }
    }

    // All ten, whether a run is summed on one thread or shared by two, are
    // the values of the whole at once by the references.
    void accumulatorOnOneAndTwoThreads_data() { addSizes(); }
    void accumulatorOnOneAndTwoThreads() {
        QFETCH(qsizetype, size);
        const QByteArray bytes = randomBytes(size, quint32(size) + 2);
        QStringList expected;
        for (const crc::Model &model :
             {crc::ccittFalse, crc::modbus, crc::xmodem, crc::crc32, crc::crc32c})
            expected << QString::number(crc::Engine(model).checksum(bytes), 16)
                            .rightJustified(model.width / 4, u'0');
        quint8 sum = 0, xorOfAll = 0;
        for (const char c : bytes) {
            sum = quint8(sum + quint8(c));
            xorOfAll ^= quint8(c);
        }
        expected << QString::number(sum, 16).rightJustified(2, u'0')
                 << QString::number(xorOfAll, 16).rightJustified(2, u'0');
        for (const auto algorithm :
             {QCryptographicHash::Md5, QCryptographicHash::Sha1, QCryptographicHash::Sha256})
            expected << QString::fromLatin1(QCryptographicHash::hash(bytes, algorithm).toHex());

        for (const bool inRuns : {false, true}) {
            checksums::Accumulator accumulator;
            if (inRuns) {
                for (const QByteArrayView run : cutIntoRuns(bytes, 10))
                    accumulator.add(run);
            } else {
                accumulator.add(bytes);
            }
            QStringList values;
            for (const checksums::Result &result : accumulator.results())
                values << result.value;
            QCOMPARE(values, expected);
        }
    }
};

QTEST_GUILESS_MAIN(ChecksumsTest)
#include "tst_checksums.moc"
