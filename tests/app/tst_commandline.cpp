// The command line as a user or a script meets it: the built program run in
// a process of its own, without a display.

#include "commandline.h"
#include "cp1251codec.h"
#include "kktview_version.h"
#include "views.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

struct Run {
    int status = -1;
    QByteArray out;
    QByteArray err;
};

const QByteArray twoLineCliche("\xC0\xE0\r\n\xFF"); // "Аа", a line break, "я"

QByteArray everyByteValue() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}

// A cliche far longer than the piece the program reads at a time.
QByteArray longCliche() {
    QByteArray bytes;
    while (bytes.size() < 300 * 1000)
        bytes +=
            QByteArray("\xCA\xC0\xD1\xD1\xC0 \xB9") + QByteArray::number(bytes.size()) + "\r\n";
    return bytes;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void optionsAnswerWithoutADisplay_data();
    void optionsAnswerWithoutADisplay();
    void printedViewIsTheCoresViewInUtf8_data();
    void printedViewIsTheCoresViewInUtf8();
    void listingKeepsItsLineBreaks();
    void unreadableFileIsReportedAndTheOthersPrinted();
    void argumentsChooseTheWindowAndItsFile_data();
    void argumentsChooseTheWindowAndItsFile();

private:
    Run run(const QStringList &arguments);
    QString write(const QString &name, const QByteArray &bytes);

    QTemporaryDir dir;
};

Run CommandLineTest::run(const QStringList &arguments) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // Were a window opened, Qt would find no display and abort.
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(dir.path());
    process.start(QStringLiteral(KKTVIEW_BINARY), arguments);
    Run result;
    if (!process.waitForFinished(5 * 60 * 1000) || process.exitStatus() != QProcess::NormalExit)
        return result;
    result.status = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = process.readAllStandardError();
    return result;
}

QString CommandLineTest::write(const QString &name, const QByteArray &bytes) {
    QFile file(dir.filePath(name));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(file.fileName()));
    return name;
}

void CommandLineTest::optionsAnswerWithoutADisplay_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QStringList>("outHolds");
    QTest::addColumn<QStringList>("errHolds");

    const QStringList everyOption{"Использование", "--help",     "--version", "--print",
                                  "hex",           "866",        "1251",      "names",
                                  "listing866",    "listing1251"};
    QTest::newRow("version") << QStringList{"--version"} << 0
                             << QStringList{"kktview " KKTVIEW_VERSION "\n"} << QStringList{};
    QTest::newRow("help") << QStringList{"--help"} << 0 << everyOption << QStringList{};
    QTest::newRow("short help") << QStringList{"-h"} << 0 << everyOption << QStringList{};
    QTest::newRow("unknown option")
        << QStringList{"--frobnicate", "klishe.txt"} << 2 << QStringList{}
        << QStringList{"Неизвестный параметр «frobnicate»", "--help"};
    QTest::newRow("view missing") << QStringList{"--print"} << 2 << QStringList{}
                                  << QStringList{"--print"};
    QTest::newRow("unknown view") << QStringList{"--print", "octal", "klishe.txt"} << 2
                                  << QStringList{} << QStringList{"«octal»", "listing1251"};
    QTest::newRow("view without file")
        << QStringList{"--print", "hex"} << 2 << QStringList{} << QStringList{"файл"};
    QTest::newRow("two files for the window")
        << QStringList{"a.bin", "b.bin"} << 2 << QStringList{} << QStringList{"--print"};
}

void CommandLineTest::optionsAnswerWithoutADisplay() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QStringList, outHolds);
    QFETCH(QStringList, errHolds);

    const Run result = run(arguments);
    QCOMPARE(result.status, status);
    const QString out = QString::fromUtf8(result.out);
    const QString err = QString::fromUtf8(result.err);
    for (const QString &text : outHolds)
        QVERIFY2(out.contains(text), qPrintable(text + QStringLiteral(" not in:\n") + out));
    for (const QString &text : errHolds)
        QVERIFY2(err.contains(text), qPrintable(text + QStringLiteral(" not in:\n") + err));
    // Errors go to standard error alone, answers to standard output alone.
    QCOMPARE(out.isEmpty(), status != 0);
    QCOMPARE(err.isEmpty(), status == 0);
}

void CommandLineTest::printedViewIsTheCoresViewInUtf8_data() {
    QTest::addColumn<QString>("view");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("expected");

    const QByteArray all = everyByteValue();
    const QByteArray cliche = longCliche();
    const auto row = [](const char *view, const char *file, const QByteArray &bytes,
                        views::View core) {
        QTest::addRow("%s of %s", view, file)
            << QString::fromLatin1(view) << QString::fromLatin1(file) << bytes
            << cp1251::toDisplayText(core(bytes, nullptr)).toUtf8() + '\n';
    };
    row("hex", "every byte value", all, views::hexDump);
    row("866", "every byte value", all, views::cp866Glyphs);
    row("1251", "every byte value", all, views::cp1251Glyphs);
    row("names", "every byte value", all, views::controlNames);
    row("listing866", "every byte value", all, views::clicheListing866);
    row("listing1251", "every byte value", all, views::clicheListing1251);
    row("listing866", "a long cliche", cliche, views::clicheListing866);
    row("listing1251", "a long cliche", cliche, views::clicheListing1251);
    row("hex", "-a name with a dash", all, views::hexDump);
    row("listing1251", "an empty file", QByteArray(), views::clicheListing1251);
}

void CommandLineTest::printedViewIsTheCoresViewInUtf8() {
    QFETCH(QString, view);
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, expected);

    write(file, bytes);
    QStringList arguments{"--print", view};
    if (file.startsWith(u'-'))
        arguments << QStringLiteral("--");
    const Run result = run(arguments << file);
    QCOMPARE(result.err, QByteArray());
    QCOMPARE(result.status, 0);
    QCOMPARE(result.out.size(), expected.size());
    QCOMPARE(result.out, expected);
}

void CommandLineTest::listingKeepsItsLineBreaks() {
    const Run result = run({"--print", "listing866", write("klishe.txt", twoLineCliche)});
    QCOMPARE(result.status, 0);
    QCOMPARE(QString::fromUtf8(result.out), QStringLiteral("нов.стр.128_192_\nнов.стр.239_\n"));
}

void CommandLineTest::unreadableFileIsReportedAndTheOthersPrinted() {
    write("klishe.txt", twoLineCliche);
    const Run result = run({"-p", "listing1251", "missing.txt", "klishe.txt", "."});
    QCOMPARE(result.status, 1);
    QCOMPARE(QString::fromUtf8(result.out),
             QStringLiteral("==> klishe.txt <==\nнов.стр.192_224_\nнов.стр.10_255_\n"));
    const QStringList reasons = QString::fromUtf8(result.err).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(reasons.size(), 2);
    QVERIFY2(reasons.at(0).startsWith(QStringLiteral("kktview: missing.txt: ")),
             qPrintable(reasons.at(0)));
    QVERIFY2(reasons.at(1).startsWith(QStringLiteral("kktview: .: ")), qPrintable(reasons.at(1)));
}

void CommandLineTest::argumentsChooseTheWindowAndItsFile_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("opensWindow");
    QTest::addColumn<QString>("file");

    QTest::newRow("nothing") << QStringList{} << true << QString();
    QTest::newRow("a file") << QStringList{"klishe.txt"} << true << "klishe.txt";
    QTest::newRow("a dash name after --") << QStringList{"--", "-klishe"} << true << "-klishe";
    QTest::newRow("an empty -- from the menu entry") << QStringList{"--"} << true << QString();
    QTest::newRow("a dash name alone") << QStringList{"-klishe"} << false << QString();
    QTest::newRow("an option") << QStringList{"--version"} << false << QString();
    QTest::newRow("two files") << QStringList{"a.bin", "b.bin"} << false << QString();
}

void CommandLineTest::argumentsChooseTheWindowAndItsFile() {
    QFETCH(QStringList, arguments);
    QFETCH(bool, opensWindow);
    QFETCH(QString, file);

    const CommandLine commandLine(QStringList{"kktview"} + arguments);
    QCOMPARE(commandLine.opensWindow(), opensWindow);
    QCOMPARE(commandLine.fileToOpen(), file);
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
