// The recovery fuzz target's checks over seeded random copies, so that every
// test run covers them in a second or two; scripts/fuzz.sh runs them under
// libFuzzer (FUZZ_TARGET=fuzz_recovery).

#include "base/sizebounds.h"
#include "recovery/recoveryheader.h"
#include "recoverychecks.h"
#include "scratch.h"
#include "seedrows.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray randomBytes(QRandomGenerator &random, int most) {
    QByteArray bytes(random.bounded(most + 1), Qt::Uninitialized);
    for (char &c : bytes)
        c = char(random.bounded(256));
    return bytes;
}

// A line of a copy's header, picked at random: where it starts and where its
// line break is.
std::pair<qsizetype, qsizetype> randomHeaderLine(const QByteArray &file, QRandomGenerator &random) {
    const int lines = int(file.left(file.indexOf("\n\n")).count('\n')) + 1;
    qsizetype start = 0;
    for (int skip = random.bounded(lines); skip > 0; --skip)
        start = file.indexOf('\n', start) + 1;
    return {start, file.indexOf('\n', start)};
}

// A copy as the store writes it, or as the release before did (without a
// checksum), then changed as a disk or a hand might change it: another size
// in its header, a line gone or doubled and cut short, a bit flipped, cut
// short, bytes added; or noise.
QByteArray randomCopyFile(QRandomGenerator &random) {
    const QByteArray bytes = randomBytes(random, 300);
    const QDateTime written = QDateTime::fromSecsSinceEpoch(random.bounded(2000000000), Qt::UTC);
    QByteArray file =
        random.bounded(2) == 0
            ? recovery::headerOf(
                  bytes.size(),
                  recovery::checksumOf(recovery::checksumUpdate(recovery::checksumStart, bytes)),
                  QStringLiteral("/d/a.bin"), written)
            : "KKTVIEW RECOVERY 1\nwritten " + written.toString(Qt::ISODateWithMs).toLatin1() +
                  "\nsize " + QByteArray::number(bytes.size()) + "\norigin /d/%CA\n\n";
    file += bytes;
    switch (random.bounded(8)) {
    case 0:
        break;
    case 1: {
        const QByteArray sizes[] = {"-1",
                                    QByteArray::number(bytes.size() + 1),
                                    QByteArray::number(bytes.size() - 1),
                                    QByteArray::number(qint64(100) << 30),
                                    QByteArray::number(sizebounds::recoveryCopyAtMost + 1),
                                    "99999999999999999999",
                                    "",
                                    "0x10"};
        const qsizetype at = file.indexOf("\nsize ") + 6;
        file.replace(at, file.indexOf('\n', at) - at, sizes[random.bounded(8)]);
        break;
    }
    case 2: {
        const qsizetype at = random.bounded(file.size());
        file[at] = char(file[at] ^ (1 << random.bounded(8)));
        break;
    }
    case 3:
        file.truncate(random.bounded(file.size() + 1));
        break;
    case 4:
        file += randomBytes(random, 20);
        break;
    case 5: {
        const auto [start, end] = randomHeaderLine(file, random);
        file.remove(start, end + 1 - start);
        break;
    }
    case 6: {
        const auto [start, end] = randomHeaderLine(file, random);
        file.insert(end + 1, file.mid(start, random.bounded(end - start)) + '\n');
        break;
    }
    default:
        file = randomBytes(random, 200);
    }
    return file;
}

} // namespace

class RecoveryFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void randomCopiesPassEveryCheck_data() { fuzzscratch::addSeedRows(); }
    void randomCopiesPassEveryCheck() {
        QFETCH(quint32, seed);
        const QString failure = fuzzscratch::firstFailure(
            QStringLiteral("tst_recoveryfuzz"), seed, 40,
            [](QRandomGenerator &random, const QTemporaryDir &scratch) {
                return recoverychecks::checkAll(randomCopyFile(random), scratch.path());
            });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_APPLESS_MAIN(RecoveryFuzzTest)
#include "tst_recoveryfuzz.moc"
