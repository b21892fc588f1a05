#include "bytedocument.h"
#include "filecomparison.h"
#include "form1.h"

#include <QAction>
#include <QFile>
#include <QKeySequence>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using Run = std::tuple<qint64, qint64, bool>;

namespace {

Run runOf(const std::optional<FileComparison::Run> &run) {
    return run ? Run{run->offset, run->length, run->wrapped} : Run{-1, -1, false};
}

// Bytes of a file: the document's with the bytes at the given offsets changed.
QByteArray changedAt(QByteArray bytes, std::initializer_list<qsizetype> offsets) {
    for (const qsizetype at : offsets)
        bytes[at] = char(bytes[at] ^ 0x5A);
    return bytes;
}

} // namespace

class FileComparisonTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("other.bin")) {
        const QString path = dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void summarySaysHowManyWhereAndTheRest_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("summary");

        const QByteArray base(100, 'a');
        QTest::newRow("equal") << base << base << "Файл совпадает с документом";
        QTest::newRow("both empty")
            << QByteArray() << QByteArray() << "Файл совпадает с документом";
        QTest::newRow("one byte") << base << changedAt(base, {64})
                                  << "Различается 1 байт — 0x0040 (64)";
        QTest::newRow("twelve, file longer")
            << base << changedAt(base, {64, 65, 66, 67, 70, 71, 72, 73, 80, 90, 98, 99}) + "xyz"
            << "Различаются 12 байт, первый — 0x0040 (64); файл длиннее документа на 3 байта";
        QTest::newRow("twenty-one, singular verb")
            << base << changedAt(base, {3,  5,  7,  9,  11, 13, 15, 17, 19, 21, 23,
                                        25, 27, 29, 31, 33, 35, 37, 39, 41, 43})
            << "Различается 21 байт, первый — 0x0003 (3)";
        QTest::newRow("the same bytes, file shorter")
            << base << base.left(95) << "Первые 95 байт совпадают; файл короче документа на 5 байт";
        QTest::newRow("empty file")
            << base.left(2) << QByteArray() << "Файл пуст; файл короче документа на 2 байта";
        QTest::newRow("empty document")
            << QByteArray() << base.left(1) << "Документ пуст; файл длиннее документа на 1 байт";
        // The document's size decides the width of the offset, as in the status bar.
        QByteArray large(70000, 'b');
        QTest::newRow("six digits")
            << large << changedAt(large, {66000}) << "Различается 1 байт — 0x0101D0 (66000)";
    }
    void summarySaysHowManyWhereAndTheRest() {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, file);
        QFETCH(QString, summary);
        ByteDocument bytes;
        bytes.load(document);
        FileComparison comparison(&bytes);
        QCOMPARE(comparison.summary(), QString());
        QCOMPARE(comparison.compareWith(write(file), 1 << 20), std::nullopt);
        QCOMPARE(comparison.summary(), summary);
    }

    // The document edited after the comparison: the marks, the count and
    // the summary follow; undo brings the equal document back.
    void followsTheDocument() {
        const QByteArray bytes = "0123456789abcdef0123456789abcdef";
        ByteDocument document;
        document.load(bytes);
        FileComparison comparison(&document);
        QSignalSpy changed(&comparison, &FileComparison::changed);
        QCOMPARE(comparison.compareWith(write(bytes), 1 << 20), std::nullopt);
        QCOMPARE(changed.count(), 1);
        QVERIFY(comparison.comparison().isEqual());

        document.replace(4, 2, "XY");
        QCOMPARE(changed.count(), 2);
        QVERIFY(comparison.differs(4) && comparison.differs(5));
        QVERIFY(!comparison.differs(3) && !comparison.differs(6));
        document.replace(0, 0, "+");
        QCOMPARE(comparison.summary(),
                 "Различаются 32 байта, первый — 0x0000 (0); файл короче документа на 1 байт");
        document.undo();
        document.undo();
        QCOMPARE(comparison.summary(), "Файл совпадает с документом");

        comparison.stop();
        QCOMPARE(changed.count(), 6);
        document.replace(0, 1, "!");
        QVERIFY(!comparison.isActive());
        QVERIFY(!comparison.differs(0));
        QCOMPARE(comparison.summary(), QString());
        QCOMPARE(changed.count(), 6);
    }

    // Runs at [2, 5), [10, 11) and [20, 24) of 30 bytes.
    void stepsFromRunToRun_data() {
        QTest::addColumn<bool>("forward");
        QTest::addColumn<qint64>("from");
        QTest::addColumn<Run>("run");
        QTest::newRow("next from the start") << true << 0LL << Run{2, 3, false};
        QTest::newRow("next from inside a run: all of it") << true << 3LL << Run{2, 3, false};
        QTest::newRow("next from a run's end") << true << 5LL << Run{10, 1, false};
        QTest::newRow("next to the last") << true << 11LL << Run{20, 4, false};
        QTest::newRow("next round to the first") << true << 24LL << Run{2, 3, true};
        QTest::newRow("next from the end") << true << 30LL << Run{2, 3, true};
        QTest::newRow("previous from a run's start") << false << 20LL << Run{10, 1, false};
        QTest::newRow("previous from inside a run") << false << 22LL << Run{20, 4, false};
        QTest::newRow("previous from the end") << false << 30LL << Run{20, 4, false};
        QTest::newRow("previous round to the last") << false << 2LL << Run{20, 4, true};
    }
    void stepsFromRunToRun() {
        QFETCH(bool, forward);
        QFETCH(qint64, from);
        QFETCH(Run, run);
        const QByteArray bytes(30, 'x');
        ByteDocument document;
        document.load(bytes);
        FileComparison comparison(&document);
        QCOMPARE(runOf(comparison.nextRun(0)), Run(-1, -1, false));
        QVERIFY(!comparison.compareWith(write(changedAt(bytes, {2, 3, 4, 10, 20, 21, 22, 23})),
                                        1 << 20));
        QCOMPARE(runOf(forward ? comparison.nextRun(from) : comparison.previousRun(from)), run);
    }

    void noDifferenceNoRun() {
        ByteDocument document;
        document.load("same");
        FileComparison comparison(&document);
        QVERIFY(!comparison.compareWith(write("same, and longer"), 1 << 20));
        QCOMPARE(runOf(comparison.nextRun(0)), Run(-1, -1, false));
        QCOMPARE(runOf(comparison.previousRun(4)), Run(-1, -1, false));
    }

    // A file that cannot be compared leaves the comparison in force as it was.
    void refusalsKeepTheComparison_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing.bin"
                                 << "Не удалось открыть файл:\n%1\n";
        QTest::newRow("directory") << ""
                                   << "Не удалось открыть файл:\n%1\n";
        QTest::newRow("too large")
            << "large.bin"
            << "Файл слишком большой для сравнения:\n%1\nРазмер в байтах: 11, можно сравнить "
               "не более 10.";
    }
    void refusalsKeepTheComparison() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        write("01234567890", QStringLiteral("large.bin"));
        ByteDocument document;
        document.load("abc");
        FileComparison comparison(&document);
        const QString first = write("abd");
        QVERIFY(!comparison.compareWith(first, 10));
        QSignalSpy changed(&comparison, &FileComparison::changed);

        const QString path = dir.filePath(name);
        const std::optional<QString> refusal = comparison.compareWith(path, 10);
        QVERIFY(refusal);
        QVERIFY2(refusal->startsWith(message.arg(path)), qPrintable(*refusal));
        QVERIFY(refusal->size() > message.arg(path).size() || name == "large.bin");
        QCOMPARE(changed.count(), 0);
        QCOMPARE(comparison.filePath(), first);
        QVERIFY(comparison.differs(2));
    }

    // Neither key is a shortcut of the main window or a text key of Qt's.
    void differenceKeysAreFree() {
        const QList<QKeySequence> keys = {FileComparison::nextDifferenceKey(),
                                          FileComparison::previousDifferenceKey()};
        QVERIFY(keys[0] != keys[1]);
        Form1 form;
        for (const QAction *action : form.findChildren<QAction *>()) {
            for (const QKeySequence &shortcut : action->shortcuts())
                QVERIFY2(!keys.contains(shortcut), qPrintable(action->objectName()));
        }
        const QMetaEnum standardKeys = QMetaEnum::fromType<QKeySequence::StandardKey>();
        for (int i = 0; i < standardKeys.keyCount(); ++i) {
            const auto standard = QKeySequence::StandardKey(standardKeys.value(i));
            for (const QKeySequence &binding : QKeySequence::keyBindings(standard))
                QVERIFY2(!keys.contains(binding), standardKeys.key(i));
        }
    }
};

QTEST_MAIN(FileComparisonTest)
#include "tst_filecomparison.moc"
