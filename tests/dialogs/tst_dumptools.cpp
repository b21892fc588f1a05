#include "../testfonts.h"
#include "carettext.h"
#include "document/bytedocument.h"
#include "filecomparison.h"
#include "mainwindow.h"
#include "objectnames.h"

#include <QAction>
#include <QFile>
#include <QMetaEnum>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The caret's place as the status bar shows it, and the comparison with a
// file as the window uses it.
class DumpToolsTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString write(const QByteArray &bytes, const QString &name = QStringLiteral("other.bin")) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return file.fileName();
    }

    static QByteArray changedAt(QByteArray bytes, std::initializer_list<qsizetype> offsets) {
        for (const qsizetype at : offsets)
            bytes[at] = char(bytes[at] ^ 0x5A);
        return bytes;
    }

private slots:
    void caretText_data() {
        QTest::addColumn<QList<qint64>>("caretStartLengthSize");
        QTest::addColumn<QString>("expected");
        QTest::newRow("empty document") << QList<qint64>{0, 0, 0, 0} << "0x0000 (0)";
        QTest::newRow("caret at the end") << QList<qint64>{240, 240, 0, 240} << "0x00F0 (240)";
        QTest::newRow("selection") << QList<qint64>{318, 240, 78, 1000} << "0x00F0–0x013D, 78";
        QTest::newRow("one byte") << QList<qint64>{6, 5, 1, 10} << "0x0005–0x0005, 1";
        // The end of the document sets the width, so all its carets have one.
        QTest::newRow("4 digits") << QList<qint64>{65535, 65535, 0, 65535} << "0xFFFF (65535)";
        QTest::newRow("6 from 64 KiB") << QList<qint64>{0, 0, 0, 65536} << "0x000000 (0)";
        QTest::newRow("8 from 16 MiB")
            << QList<qint64>{0, 16, 0xFFFFF0, 0x1000000} << "0x00000010–0x00FFFFFF, 16777200";
        QTest::newRow("clamped") << QList<qint64>{20, 10, 10, 16} << "0x000A–0x000F, 6";
        QTest::newRow("nothing left to select") << QList<qint64>{16, 16, 4, 16} << "0x0010 (16)";
    }
    void caretText() {
        QFETCH(QList<qint64>, caretStartLengthSize);
        QFETCH(QString, expected);
        const auto [caret, start, length, size] =
            std::tuple(caretStartLengthSize[0], caretStartLengthSize[1], caretStartLengthSize[2],
                       caretStartLengthSize[3]);
        QCOMPARE(carettext::caret(caret, start, length, size), expected);
    }

    void byteCountsInRussian() {
        const std::pair<qint64, const char *> cases[] = {
            {0, "0 байт"},      {1, "1 байт"},     {2, "2 байта"},
            {5, "5 байт"},      {12, "12 байт"},   {21, "21 байт"},
            {104, "104 байта"}, {114, "114 байт"}, {67108864, "67\u00A0108\u00A0864 байта"}};
        for (const auto &[count, text] : cases)
            QCOMPARE(carettext::bytes(count), QString::fromUtf8(text));
    }

    void summary_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("summary");
        const QByteArray base(100, 'a');
        QTest::newRow("equal") << base << base << "Файл совпадает с документом";
        QTest::newRow("one") << base << changedAt(base, {64}) << "Различается 1 байт — 0x0040 (64)";
        QTest::newRow("12, file longer")
            << base << changedAt(base, {64, 65, 66, 67, 70, 71, 72, 73, 80, 90, 98, 99}) + "xyz"
            << "Различаются 12 байт, первый — 0x0040 (64); файл длиннее документа на 3 байта";
        QTest::newRow("21 takes the singular")
            << base << changedAt(base, {3,  5,  7,  9,  11, 13, 15, 17, 19, 21, 23,
                                        25, 27, 29, 31, 33, 35, 37, 39, 41, 43})
            << "Различается 21 байт, первый — 0x0003 (3)";
        QTest::newRow("file shorter")
            << base << base.left(95) << "Первые 95 байт совпадают; файл короче документа на 5 байт";
        QTest::newRow("empty file")
            << base.left(2) << QByteArray() << "Файл пуст; файл короче документа на 2 байта";
        QTest::newRow("empty document")
            << QByteArray() << base.left(1) << "Документ пуст; файл длиннее документа на 1 байт";
    }
    void summary() {
        QFETCH(QByteArray, document);
        QFETCH(QByteArray, file);
        QFETCH(QString, summary);
        ByteDocument bytes;
        bytes.load(document);
        FileComparison comparison(&bytes);
        QCOMPARE(comparison.compareWith(write(file), 1 << 20), std::nullopt);
        QCOMPARE(comparison.summary(), summary);
    }

    // Edits after the comparison: the marks and the summary follow; undo
    // brings the equal document back; after stop() nothing differs.
    void followsTheDocument() {
        const QByteArray bytes = "0123456789abcdef0123456789abcdef";
        ByteDocument document;
        document.load(bytes);
        FileComparison comparison(&document);
        QSignalSpy changed(&comparison, &FileComparison::changed);
        QVERIFY(!comparison.compareWith(write(bytes), 1 << 20));
        document.replace(4, 2, "XY");
        QVERIFY(comparison.differs(4) && comparison.differs(5));
        QVERIFY(!comparison.differs(3) && !comparison.differs(6));
        document.replace(0, 0, "+"); // every byte now stands one further on
        QCOMPARE(comparison.summary(),
                 "Различаются 32 байта, первый — 0x0000 (0); файл короче документа на 1 байт");
        document.undo();
        document.undo();
        QCOMPARE(comparison.summary(), "Файл совпадает с документом");
        comparison.stop();
        QCOMPARE(changed.count(), 6);
        document.replace(0, 1, "!");
        QVERIFY(!comparison.differs(0));
        QCOMPARE(comparison.summary(), QString());
        QCOMPARE(changed.count(), 6);
    }

    // Runs [2, 5), [10, 11) and [20, 24) of 30 bytes; negative from: previous.
    void stepsFromRunToRun_data() {
        QTest::addColumn<qint64>("from");
        QTest::addColumn<QList<qint64>>("offsetLengthWrapped");
        QTest::newRow("next from inside: all of it") << 3LL << QList<qint64>{2, 3, 0};
        QTest::newRow("next from a run's end") << 5LL << QList<qint64>{10, 1, 0};
        QTest::newRow("next round to the first") << 24LL << QList<qint64>{2, 3, 1};
        QTest::newRow("previous from a run's start") << -20LL << QList<qint64>{10, 1, 0};
        QTest::newRow("previous from inside") << -22LL << QList<qint64>{20, 4, 0};
        QTest::newRow("previous round to the last") << -2LL << QList<qint64>{20, 4, 1};
    }
    void stepsFromRunToRun() {
        QFETCH(qint64, from);
        QFETCH(QList<qint64>, offsetLengthWrapped);
        const QByteArray bytes(30, 'x');
        ByteDocument document;
        document.load(bytes);
        FileComparison comparison(&document);
        QVERIFY(!comparison.nextRun(0)); // nothing compared yet
        QVERIFY(!comparison.compareWith(write(changedAt(bytes, {2, 3, 4, 10, 20, 21, 22, 23})),
                                        1 << 20));
        const auto run = from >= 0 ? comparison.nextRun(from) : comparison.previousRun(-from);
        QVERIFY(run);
        QCOMPARE((QList<qint64>{run->offset, run->length, run->wrapped}), offsetLengthWrapped);
        QVERIFY(!comparison.compareWith(write(bytes + "longer"), 1 << 20));
        QVERIFY(!comparison.nextRun(0) && !comparison.previousRun(30));
    }

    // A file that cannot be compared leaves the comparison as it was.
    void refusalsKeepTheComparison() {
        ByteDocument document;
        document.load("abc");
        FileComparison comparison(&document);
        const QString first = write("abd");
        QVERIFY(!comparison.compareWith(first, 10));
        QSignalSpy changed(&comparison, &FileComparison::changed);
        const QString missing = dir.filePath("missing.bin");
        QVERIFY(comparison.compareWith(missing, 10)
                    ->startsWith("Не удалось открыть файл:\n" + missing + "\n"));
        const QString large = write("01234567890", "large.bin");
        QCOMPARE(*comparison.compareWith(large, 10),
                 "Файл слишком большой для сравнения:\n" + large +
                     "\nРазмер в байтах: 11, можно сравнить не более 10.");
        QCOMPARE(changed.count(), 0);
        QCOMPARE(comparison.filePath(), first);
        QVERIFY(comparison.differs(2));
    }

    // A large compared file is read as the comparison needs it: when another
    // program shortens it meanwhile, the bytes it can no longer give compare
    // as zeros, and the user is told once, naming the file.
    void aComparedFileChangedOnDiskIsTold() {
        const QByteArray bytes(5 * 1024 * 1024, 'k'); // more than the pages kept
        ByteDocument document;
        document.load(bytes);
        FileComparison comparison(&document);
        const QString path = write(bytes, QStringLiteral("large.bin"));
        QVERIFY(!comparison.compareWith(path, bytes.size()));
        QVERIFY(comparison.comparison().isEqual());
        QSignalSpy told(&comparison, &FileComparison::fileChangedOnDisk);
        QFile(path).resize(1024);
        document.replace(0, 0, "k"); // every byte compared again
        QVERIFY(told.wait(5000));
        const QString message = told.first().first().toString();
        QVERIFY2(message.startsWith(QStringLiteral("Файл «")) &&
                     message.contains(QStringLiteral("large.bin», с которым сравнивается документ, "
                                                     "изменён другой программой")),
                 qPrintable(message));
        document.replace(0, 1, "");
        QTest::qWait(50);
        QCOMPARE(told.count(), 1);
    }

    // Neither key is a shortcut of the main window but its two difference
    // commands, a key of its panes or a text key of Qt's.
    void differenceKeysAreFree() {
        const QList<QKeySequence> keys = {FileComparison::nextDifferenceKey(),
                                          FileComparison::previousDifferenceKey()};
        const QStringList commands = {objectnames::nextDifferenceCommand,
                                      objectnames::previousDifferenceCommand};
        MainWindow form;
        for (const QAction *action : form.findChildren<QAction *>()) {
            for (const QKeySequence &shortcut : action->shortcuts())
                QVERIFY2(!keys.contains(shortcut) ||
                             commands.at(keys.indexOf(shortcut)) == action->objectName(),
                         qPrintable(action->objectName()));
        }
        // Pressed in a pane, they reach the window's commands: no pane takes them.
        form.show();
        QVERIFY(QTest::qWaitForWindowActive(&form));
        for (const QString &command : commands) {
            auto *action = form.findChild<QAction *>(command);
            QVERIFY(action);
            const QKeySequence key = action->shortcut();
            // Without a comparison they are off and do nothing when on.
            action->setEnabled(true);
            QSignalSpy triggered(action, &QAction::triggered);
            for (const char *pane :
                 {objectnames::inputPane, objectnames::hexPane, objectnames::outputPane}) {
                QWidget *widget = form.findChild<QWidget *>(QLatin1String(pane));
                QVERIFY(widget);
                widget->setFocus();
                QTest::keySequence(widget, key);
            }
            QCOMPARE(triggered.count(), 3);
        }
        const QMetaEnum standardKeys = QMetaEnum::fromType<QKeySequence::StandardKey>();
        for (int i = 0; i < standardKeys.keyCount(); ++i) {
            const auto standard = QKeySequence::StandardKey(standardKeys.value(i));
            for (const QKeySequence &binding : QKeySequence::keyBindings(standard))
                QVERIFY2(!keys.contains(binding), standardKeys.key(i));
        }
    }
};

KKTVIEW_TEST_MAIN(DumpToolsTest)
#include "tst_dumptools.moc"
