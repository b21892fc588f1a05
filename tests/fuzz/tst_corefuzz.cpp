// The fuzz target's checks over seeded random inputs, so that every test run
// covers them in a second or two; scripts/fuzz.sh runs them under libFuzzer.

#include "codepages/cp1251codec.h"
#include "corechecks.h"
#include "scratch.h"
#include "seedrows.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Sizes up to past the 16-bit position counter; bytes uniform, or from the
// few that views and listings treat specially.
QByteArray randomDocument(QRandomGenerator &random) {
    static const int sizes[] = {4, 64, 1000, 10700, 40000};
    QByteArray bytes(random.bounded(sizes[random.bounded(5)] + 1), Qt::Uninitialized);
    const QByteArray special = QByteArrayLiteral("\r\n\r\n\x00\x7F\x98\xAB\xBB\xC0\xFF 0^.-A");
    const bool uniform = random.bounded(2) == 0;
    for (char &c : bytes)
        c = uniform ? char(random.bounded(256)) : special[random.bounded(special.size())];
    return bytes;
}

// Mostly characters the pane shows, now and then its line break, a paragraph
// separator or any UTF-16 unit at all (lone surrogates included).
QString randomPaneText(QRandomGenerator &random) {
    QString text(random.bounded(200), Qt::Uninitialized);
    for (QChar &ch : text) {
        const int kind = random.bounded(12);
        ch = kind == 0   ? QChar(QChar::ParagraphSeparator)
             : kind == 1 ? cp1251::lineBreak
             : kind == 2 ? QChar(char16_t(random.bounded(0x10000)))
                         : cp1251::toChar(uchar(random.bounded(256)));
    }
    return text;
}

} // namespace

class CoreFuzzTest : public QObject {
    Q_OBJECT

private slots:
    void randomInputsPassEveryCheck_data() { fuzzscratch::addSeedRows(); }
    void randomInputsPassEveryCheck() {
        QFETCH(quint32, seed);
        const QString failure = fuzzscratch::firstFailure(
            QStringLiteral("tst_corefuzz"), seed, 40,
            [](QRandomGenerator &random, const QTemporaryDir &scratch) {
                const QString documentFailure =
                    corechecks::checkDocument(randomDocument(random), scratch.filePath("document"));
                return documentFailure.isEmpty() ? corechecks::checkPaneText(randomPaneText(random))
                                                 : documentFailure;
            });
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_APPLESS_MAIN(CoreFuzzTest)
#include "tst_corefuzz.moc"
