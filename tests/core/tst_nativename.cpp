// File names as bytes: a name in code page 1251 from an old flash drive must
// open and save under its own bytes, and Qt's lossy names must lead back to it.

#include "io/nativename.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

class NativeNameTest : public QObject {
    Q_OBJECT

private slots:
    void namesGiveTheirBytesBack_data() {
        QTest::addColumn<QByteArray>("native");
        QTest::addColumn<QString>("shown");
        QTest::newRow("UTF-8 Cyrillic") << QByteArray("клише.bin") << "клише.bin";
        QTest::newRow("code page 1251") << QByteArray("\xCF\xF0.bin") << "\\xCF\\xF0.bin";
        QTest::newRow("code page 866") << QByteArray("\x8F\xE0") << "\\x8F\\xE0";
        QTest::newRow("overlong slash") << QByteArray("\xC0\xAF") << "\\xC0\\xAF";
        QTest::newRow("encoded surrogate") << QByteArray("\xED\xB3\x8F") << "\\xED\\xB3\\x8F";
        QTest::newRow("cut off at the end") << QByteArray("a\xE2\x82") << "a\\xE2\\x82";
        QTest::newRow("beyond U+10FFFF")
            << QByteArray("\xF4\x90\x80\x80") << "\\xF4\\x90\\x80\\x80";
        QTest::newRow("four bytes") << QByteArray("\xF0\x9F\x93\x84") << "\U0001F4C4";
        QTest::newRow("U+FFFD itself") << QByteArray("\xEF\xBF\xBD") << "\uFFFD";
        // Characters that would hide, move or break the text around the name.
        QTest::newRow("escape and delete") << QByteArray("a\x1B[2J\x7F") << "a\\x1B[2J\\x7F";
        QTest::newRow("line break and tab") << QByteArray("a\nb\tc") << "a\\x0Ab\\x09c";
        QTest::newRow("C1 control") << QByteArray("\xC2\x85") << "\\u0085";
        QTest::newRow("right-to-left override")
            << QByteArray("a\xE2\x80\xAEgpj.exe") << "a\\u202Egpj.exe";
        QTest::newRow("marks and isolates")
            << QByteArray("\xE2\x80\x8F\xD8\x9C\xE2\x81\xA6\xE2\x81\xA9\xE2\x80\xA8")
            << "\\u200F\\u061C\\u2066\\u2069\\u2028";
        QTest::newRow("no-break space and Cyrillic stay")
            << QByteArray("\xC2\xA0\xD1\x8F") << "\u00A0\u044F";
    }
    void namesGiveTheirBytesBack() {
        QFETCH(QByteArray, native);
        QFETCH(QString, shown);
        const QString name = nativename::decode(native);
        QCOMPARE(nativename::encode(name), native);
        QCOMPARE(nativename::displayed(name), shown);
    }

    void randomBytesGiveThemselvesBack() {
        QRandomGenerator random(8);
        for (int round = 0; round < 2000; ++round) {
            QByteArray native(random.bounded(12), Qt::Uninitialized);
            for (char &c : native)
                c = char(random.bounded(1, 256));
            QCOMPARE(nativename::encode(nativename::decode(native)), native);
        }
    }

    // Qt's file dialog shows the name \xCF\xF0.bin as "��.bin".
    void lossyNamesLeadBackToTheirFile() {
        QTemporaryDir dir;
        const QByteArray base = QFile::encodeName(dir.path());
        QDir().mkpath(dir.filePath("sub"));
        for (const QByteArray &name : {QByteArray("/\xCF\xF0.bin"), QByteArray("/sub/\xE0.bin"),
                                       QByteArray("/sub/\xC0.bin"), QByteArray("/sub/a.bin")}) {
            const int fd = ::creat((base + name).constData(), 0644);
            QVERIFY(fd >= 0);
            ::close(fd);
        }
        const auto resolved = [&](const QByteArray &name) {
            return nativename::resolveLossy(QFile::decodeName(base + name));
        };

        QCOMPARE(resolved("/\xCF\xF0.bin").path, nativename::decode(base + "/\xCF\xF0.bin"));
        QCOMPARE(resolved("/sub/a.bin").path, nativename::decode(base + "/sub/a.bin"));
        QCOMPARE(resolved("/sub/\xF1.new").path, QFile::decodeName(base + "/sub/\xF1.new"));
        // "\xE0.bin" and "\xC0.bin" both look like "�.bin".
        QVERIFY(resolved("/sub/\xE0.bin").path.isEmpty());
        QVERIFY(resolved("/sub/\xE0.bin").error.contains("\uFFFD.bin"));
    }
};

QTEST_APPLESS_MAIN(NativeNameTest)
#include "tst_nativename.moc"
