// --sum and --diff as a script meets them: the built program in a process of
// its own, its output against coreutils' checksum tools and cmp.

#include "../randombytes.h"

#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QString err;
};

Run run(const QString &program, const QStringList &arguments, const QString &directory) {
    QProcess process;
    process.setWorkingDirectory(directory);
    process.start(program, arguments);
    if (!process.waitForFinished(60 * 1000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), process.readAllStandardOutput(),
            QString::fromUtf8(process.readAllStandardError())};
}

QByteArray flipped(QByteArray bytes, qsizetype from, qsizetype to) {
    for (qsizetype i = from; i < to; ++i)
        bytes[i] = char(~bytes[i]);
    return bytes;
}

} // namespace

class SumDiffTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    Run kktview(const QStringList &arguments) {
        return run(QStringLiteral(KKTVIEW_BINARY), arguments, dir.path());
    }
    QString write(const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return name;
    }

private slots:
    void initTestCase() {
        QVERIFY(::mkfifo(QFile::encodeName(dir.filePath("fifo")).constData(), 0600) == 0);
        QVERIFY(QDir(dir.path()).mkdir("folder"));
    }

    // Each hash line is one that coreutils' own check accepts, odd names too.
    void sumLinesPassCoreutilsCheck() {
        const QStringList files = {write("empty", {}), write("one", "\xFF"),
                                   write("large", randomBytes(600 * 1000 + 1, 866)),
                                   write("line\nbreak\\", randomBytes(1000, 1251))};
        const Run result = kktview(QStringList{"--sum"} + files);
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out.count('\n'), 10 * files.size());
        for (const char *tag : {"MD5", "SHA1", "SHA256"}) {
            QByteArray lines;
            for (const QByteArray &line : result.out.split('\n')) {
                if (line.startsWith(QByteArray(tag) + " (") ||
                    line.startsWith("\\" + QByteArray(tag) + " ("))
                    lines += line + '\n';
            }
            write("sums", lines);
            const QString tool = QString::fromLatin1(tag).toLower() + QStringLiteral("sum");
            const Run check = run(tool, {"--check", "--strict", "sums"}, dir.path());
            QVERIFY2(check.status == 0, qPrintable(tool + ":\n" + check.out + check.err));
            QCOMPARE(check.out.count(": OK\n"), files.size());
        }
    }

    // The lines of the files it can read; the others named on standard error.
    void sumGoesOnPastWhatItCannotRead() {
        write("check.txt", "123456789");
        const Run result = kktview({"--sum", "missing", "fifo", "folder", "check.txt"});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, "CRC-16/CCITT-FALSE (check.txt) = 29b1\n"
                             "CRC-16/MODBUS (check.txt) = 4b37\n"
                             "CRC-16/XMODEM (check.txt) = 31c3\n"
                             "CRC-32 (check.txt) = cbf43926\n"
                             "CRC-32C (check.txt) = e3069283\n"
                             "SUM-8 (check.txt) = dd\n"
                             "XOR-8 (check.txt) = 31\n"
                             "MD5 (check.txt) = 25f9e794323b453885f5181f1b624d0b\n"
                             "SHA1 (check.txt) = f7c3bc1d808e04732adf679965ccc34ca7ae3441\n"
                             "SHA256 (check.txt) = 15e2b0d3c33891ebb0f1ef609ec419420c20e320ce9"
                             "4c65fbc8c3312448eb225\n");
        const QStringList reasons = result.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(reasons.size(), 3);
        for (const char *name : {"missing", "fifo", "folder"})
            QVERIFY2(result.err.contains(QStringLiteral("kktview: %1: ").arg(name)),
                     qPrintable(result.err));
    }

    void diffAgreesWithCmp_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");

        // Longer than the piece the program reads at a time (256 KiB).
        const QByteArray base = randomBytes(600 * 1000, 42);
        const qsizetype piece = 256 * 1024;
        QTest::newRow("equal") << base << base;
        QTest::newRow("first byte") << flipped(base, 0, 1) << base;
        QTest::newRow("middle byte") << base << flipped(base, 300000, 300001);
        QTest::newRow("last byte") << flipped(base, base.size() - 1, base.size()) << base;
        QTest::newRow("runs, one across a piece")
            << flipped(flipped(base, piece - 20, piece + 21), 100, 140) << base;
        QTest::newRow("first shorter") << flipped(base.left(400000), 5, 6) << base;
        QTest::newRow("second shorter") << base << base.left(piece);
        QTest::newRow("first empty") << QByteArray() << base;
        QTest::newRow("both empty") << QByteArray() << QByteArray();
    }
    void diffAgreesWithCmp() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        write("first", first);
        write("second", second);
        const Run ours = kktview({"--diff", "first", "second"});
        const Run cmp = run("cmp", {"-l", "first", "second"}, dir.path());
        QCOMPARE(ours.status, cmp.status);
        QCOMPARE(ours.err, QString());

        // Our runs as cmp -l lists them: the 1-based offset and both bytes in octal.
        QStringList ourBytes;
        QString eof;
        const QRegularExpression runLine("^([0-9A-F]{8,}) ([0-9A-F]{2,32}) ([0-9A-F]{2,32})$");
        const QRegularExpression eofLine("^([0-9A-F]{8,}) EOF (.+)$");
        for (const QByteArray &line : ours.out.split('\n')) {
            if (line.isEmpty())
                continue;
            QVERIFY2(eof.isEmpty(), "a line after the EOF line");
            if (const auto match = eofLine.match(QString::fromUtf8(line)); match.hasMatch()) {
                eof = match.captured(2) + ' ' +
                      QString::number(match.captured(1).toLongLong(nullptr, 16));
                continue;
            }
            const auto match = runLine.match(QString::fromUtf8(line));
            QVERIFY2(match.hasMatch() && match.capturedLength(2) == match.capturedLength(3),
                     line.constData());
            const qint64 offset = match.captured(1).toLongLong(nullptr, 16);
            const QByteArray a = QByteArray::fromHex(match.captured(2).toLatin1());
            const QByteArray b = QByteArray::fromHex(match.captured(3).toLatin1());
            for (qsizetype i = 0; i < a.size(); ++i)
                ourBytes << QStringLiteral("%1 %2 %3")
                                .arg(offset + i + 1)
                                .arg(quint8(a[i]), 0, 8)
                                .arg(quint8(b[i]), 0, 8);
        }
        QStringList cmpBytes;
        for (const QByteArray &line : cmp.out.split('\n')) {
            if (!line.isEmpty())
                cmpBytes << QString::fromLatin1(line.simplified());
        }
        QCOMPARE(ourBytes, cmpBytes);
        const QString shorter = first.size() < second.size()   ? "first"
                                : second.size() < first.size() ? "second"
                                                               : QString();
        QCOMPARE(eof, shorter.isEmpty()
                          ? QString()
                          : shorter + ' ' + QString::number(std::min(first.size(), second.size())));
    }

    // The lines themselves, byte for byte: runs cut at 16 bytes, a run that
    // continues another at its own offset, the EOF line last.
    void diffLinesAreExact_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<QByteArray>("second");
        QTest::addColumn<QByteArray>("out");
        QByteArray changed(64, '\0');
        changed.replace(1, 18, QByteArray(18, '\xFF'));
        changed[20] = '\x01';
        QTest::newRow("a run of 18 and a lone byte")
            << QByteArray(64, '\0') << changed
            << "00000001 " + QByteArray(32, '0') + ' ' + QByteArray(32, 'F') +
                   "\n00000011 0000 FFFF\n00000014 00 01\n";
        QTest::newRow("second shorter") << QByteArray(20, 'a') << QByteArray("aaaZaaaaaa")
                                        << QByteArray("00000003 61 5A\n0000000A EOF second\n");

        // A tenth of the bytes differ, across the pieces the program reads.
        const QByteArray base = randomBytes(600 * 1000, 10);
        QByteArray dense = base;
        QRandomGenerator random(11);
        for (char &byte : dense) {
            if (random.bounded(10) == 0)
                byte = char(~byte);
        }
        QByteArray out;
        qsizetype lineStart = -1, lineLength = 0;
        const auto endLine = [&] {
            if (lineStart >= 0) {
                out += QByteArray::number(lineStart, 16).toUpper().rightJustified(8, '0') + ' ' +
                       base.mid(lineStart, lineLength).toHex().toUpper() + ' ' +
                       dense.mid(lineStart, lineLength).toHex().toUpper() + '\n';
            }
            lineStart = -1;
            lineLength = 0;
        };
        for (qsizetype i = 0; i < base.size(); ++i) {
            if (base[i] == dense[i])
                continue;
            if (lineStart < 0 || lineStart + lineLength != i || lineLength == 16) {
                endLine();
                lineStart = i;
            }
            ++lineLength;
        }
        endLine();
        QTest::newRow("a tenth differ") << base << dense << out;
    }
    void diffLinesAreExact() {
        QFETCH(QByteArray, first);
        QFETCH(QByteArray, second);
        QFETCH(QByteArray, out);
        write("first", first);
        write("second", second);
        const Run ours = kktview({"--diff", "first", "second"});
        QCOMPARE(ours.err, QString());
        QCOMPARE(ours.status, 1);
        QCOMPARE(ours.out, out);
    }

    void diffRefusesWhatItCannotRead_data() {
        QTest::addColumn<QStringList>("files");
        QTest::newRow("one file") << QStringList{"a"};
        QTest::newRow("three files") << QStringList{"a", "a", "a"};
        QTest::newRow("missing") << QStringList{"a", "missing"};
        QTest::newRow("a pipe") << QStringList{"fifo", "a"};
        QTest::newRow("a folder") << QStringList{"a", "folder"};
    }
    void diffRefusesWhatItCannotRead() {
        QFETCH(QStringList, files);
        write("a", "bytes");
        const Run result = kktview(QStringList{"--diff"} + files);
        QCOMPARE(result.status, 2);
        QCOMPARE(result.out, QByteArray());
        QVERIFY2(result.err.startsWith("kktview: "), qPrintable(result.err));
    }
};

QTEST_GUILESS_MAIN(SumDiffTest)
#include "tst_sumdiff.moc"
