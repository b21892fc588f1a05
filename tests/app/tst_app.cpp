// What main() sets up: the command line as a user or a script meets it (the
// built program run in a process of its own, without a display), and window
// titles that reach the window system exactly as each window sets them (Qt
// appends the application's display name to every title when one is set).

#include "../testfonts.h"
#include "appsetup.h"
#include "codepages/cp1251codec.h"
#include "codepages/views.h"
#include "commandline.h"
#include "displaycheck.h"
#include "kktview_version.h"
#include "mainwindow.h"
#include "objectnames.h"

#include <QAction>
#include <QDialog>
#include <QProcess>
#include <QTemporaryDir>
#include <QWindow>
#include <QtTest>

#include <sys/stat.h>

namespace {

struct Run {
    int status = -1;
    QString out;
    QString err;
};

const QByteArray twoLineCliche("\xC0\xE0\r\n\xFF"); // "Аа", a line break, "я"

} // namespace

class AppTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    // Standard output goes to outputFile when one is given. A run that does
    // not end within the time counts as failed.
    Run run(const QStringList &arguments, const QString &outputFile = {}, int seconds = 5 * 60) {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // Were a window opened, Qt would find no display and abort.
        for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
            environment.remove(QLatin1String(name));
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(dir.path());
        if (!outputFile.isEmpty())
            process.setStandardOutputFile(outputFile);
        process.start(QStringLiteral(KKTVIEW_BINARY), arguments);
        if (!process.waitForFinished(seconds * 1000) ||
            process.exitStatus() != QProcess::NormalExit)
            return {};
        return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

    QString write(const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
        return name;
    }

    // The title a window handed to the window system.
    static QString platformTitle(QWidget *widget) {
        return widget && widget->windowHandle() ? widget->windowHandle()->title() : QString();
    }

private slots:
    void initTestCase() { appsetup::configureApplication(); }

    void optionsAnswerWithoutADisplay_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("says"); // on standard output if 0, else on standard error

        QTest::newRow("version") << QStringList{"--version"} << 0
                                 << QStringList{"kktview " KKTVIEW_VERSION "\n"};
        QTest::newRow("version as GNU tools ask")
            << QStringList{"-V"} << 0 << QStringList{"kktview " KKTVIEW_VERSION "\n"};
        QTest::newRow("an option twice") << QStringList{"-v", "--version"} << 2
                                         << QStringList{"--version указан дважды", "--help"};
        QTest::newRow("a view twice") << QStringList{"--print", "hex", "-p", "866", "klishe.txt"}
                                      << 2 << QStringList{"--print указан дважды"};
        QTest::newRow("print and check")
            << QStringList{"--print", "hex", "--check", "866:32", "klishe.txt"} << 2
            << QStringList{"--print и --check"};
        QTest::newRow("help") << QStringList{"-h"} << 0
                              << QStringList{"Использование", "--help", "--version",
                                             "--print",       "hex",    "866",
                                             "1251",          "names",  "listing1251"};
        QTest::newRow("unknown option") << QStringList{"--frobnicate", "klishe.txt"} << 2
                                        << QStringList{"Неизвестный параметр «frobnicate»"};
        QTest::newRow("unknown view") << QStringList{"--print", "octal", "klishe.txt"} << 2
                                      << QStringList{"«octal»", "listing1251"};
        QTest::newRow("view without file")
            << QStringList{"--print", "hex"} << 2 << QStringList{"файл"};
        QTest::newRow("unknown model") << QStringList{"--check", "ККМ-1", "klishe.txt"} << 2
                                       << QStringList{"«ККМ-1»", "--models"};
        QTest::newRow("check without file")
            << QStringList{"--check", "866:32"} << 2 << QStringList{"--check"};
        QTest::newRow("models") << QStringList{"--models"} << 0
                                << QStringList{"АМС100Мк\n", "\nАМС 200Ф\n", "\nЛАДОГА Ф/К\n"};
        QTest::newRow("two files for the window")
            << QStringList{"a.bin", "b.bin"} << 2 << QStringList{"--print"};
    }
    void optionsAnswerWithoutADisplay() {
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QStringList, says);

        const Run result = run(arguments);
        QCOMPARE(result.status, status);
        // Answers go to standard output alone, errors to standard error alone.
        const QString &channel = status == 0 ? result.out : result.err;
        QVERIFY((status == 0 ? result.err : result.out).isEmpty());
        for (const QString &text : says)
            QVERIFY2(channel.contains(text), qPrintable(text + " not in:\n" + channel));
    }

    void printedViewIsTheCoresViewInUtf8_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("expected");

        QByteArray all;
        for (int b = 0; b < 256; ++b)
            all.append(char(b));
        // Far longer than the piece the program reads at a time.
        QByteArray cliche;
        while (cliche.size() < 300 * 1000)
            cliche += "\xCA\xC0\xD1\xD1\xC0 \xB9" + QByteArray::number(cliche.size()) + "\r\n";
        const auto row = [](QStringList arguments, const QByteArray &bytes, views::View core) {
            QTest::newRow(qPrintable(arguments.join(' ')))
                << arguments << bytes
                << cp1251::toDisplayText(core(bytes, nullptr)).toUtf8() + '\n';
        };
        row({"hex", "all"}, all, views::hexDump);
        row({"866", "all"}, all, views::cp866Glyphs);
        row({"1251", "all"}, all, views::cp1251Glyphs);
        row({"names", "all"}, all, views::controlNames);
        row({"listing866", "cliche"}, cliche, views::clicheListing866);
        row({"listing1251", "cliche"}, cliche, views::clicheListing1251);
        row({"hex", "--", "-dashed"}, all, views::hexDump);
        row({"listing1251", "empty"}, QByteArray(), views::clicheListing1251);
    }
    void printedViewIsTheCoresViewInUtf8() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, expected);

        write(arguments.constLast(), bytes);
        const Run result = run(QStringList{"--print"} + arguments);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out.toUtf8(), expected);
    }

    void listingKeepsItsLineBreaks() {
        const Run result = run({"--print", "listing866", write("klishe.txt", twoLineCliche)});
        QCOMPARE(result.status, 0);
        QCOMPARE(result.out, QStringLiteral("нов.стр.128_192_\nнов.стр.239_\n"));
    }

    void unreadableFileIsReportedAndTheOthersPrinted() {
        write("klishe.txt", twoLineCliche);
        const Run result = run({"-p", "listing1251", "missing.txt", "klishe.txt", "."});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out,
                 QStringLiteral("==> klishe.txt <==\nнов.стр.192_224_\nнов.стр.10_255_\n"));
        const QStringList reasons = result.err.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(reasons.size(), 2);
        QVERIFY2(reasons.at(0).startsWith("kktview: missing.txt: "), qPrintable(reasons.at(0)));
        QVERIFY2(reasons.at(1).startsWith("kktview: .: "), qPrintable(reasons.at(1)));
    }

    void checkWritesFindingsTheWayCompilersDo_data() {
        QTest::addColumn<QString>("model");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("out");
        const QString thanks = QStringLiteral("klishe.txt:1:8: знак \"!\" не печатается в группе "
                                              "866: для него нет кода\n");
        QTest::newRow("МЕРКУРИЙ Ф")
            << "МЕРКУРИЙ Ф" << 1
            << thanks + "klishe.txt:2:1: строчная буква \"я\": модель печатает только большие "
                        "буквы\n";
        QTest::newRow("name in any case") << "ладога ф/к" << 1 << thanks;
        QTest::newRow("another register, 866") << "866:8" << 1 << thanks;
        QTest::newRow("another register, narrow")
            << "1251:8:1" << 1 << "klishe.txt:2:1: в клише 2 строки, модель печатает 1 строку\n";
        QTest::newRow("nothing to say") << "МЕРКУРИЙ К" << 0 << QString();
    }
    void checkWritesFindingsTheWayCompilersDo() {
        QFETCH(QString, model);
        QFETCH(int, status);
        QFETCH(QString, out);
        write("klishe.txt", "\xD1\xCF\xC0\xD1\xC8\xC1\xCE!\r\n\xFF"); // СПАСИБО!, я
        const Run result = run({"--check", model, "klishe.txt"});
        QCOMPARE(result.err, QString());
        QCOMPARE(result.out, out);
        QCOMPARE(result.status, status);
    }

    // What the window refuses, the command line refuses by the same guard,
    // instead of waiting for ever on a pipe without a writer or reading an
    // endless device; the next file is still read.
    void specialFilesAreRefusedAndTheNextOneRead_data() {
        QTest::addColumn<QStringList>("option");
        QTest::addColumn<QString>("nextFileSays");
        QTest::newRow("--print") << QStringList{"--print", "hex"}
                                 << "==> klishe.txt <==\nC0  E0  0D  0A  FF  \n";
        QTest::newRow("--check") << QStringList{"--check", "1251:8:1"}
                                 << "klishe.txt:2:1: в клише 2 строки, модель печатает 1 строку\n";
    }
    void specialFilesAreRefusedAndTheNextOneRead() {
        QFETCH(QStringList, option);
        QFETCH(QString, nextFileSays);
        write("klishe.txt", twoLineCliche);
        const QString fifo = dir.filePath("fifo");
        QFile::remove(fifo);
        QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

        const Run result = run(option + QStringList{"fifo", "/dev/zero", "klishe.txt"}, {}, 30);

        QCOMPARE(result.status, 1);
        QVERIFY2(result.out.endsWith(nextFileSays), qPrintable(result.out));
        QCOMPARE(result.err,
                 QStringLiteral("kktview: fifo: Это именованный канал, а не обычный файл.\n"
                                "kktview: /dev/zero: Это устройство (терминал, порт), а не "
                                "обычный файл.\n"));
    }

    // A name in code page 1251 opens under its own bytes and shows readably.
    void fileNameThatIsNotUtf8IsPrinted() {
        write("klishe.txt", "A");
        QProcess shell;
        shell.setWorkingDirectory(dir.path());
        shell.start("/bin/sh", {"-c", R"(name=$(printf '\317\360.bin'); printf B >"$name" &&
                                        "$0" --print hex "$name" klishe.txt; s=$?; rm "$name";
                                        exit $s)",
                                QStringLiteral(KKTVIEW_BINARY)});
        QVERIFY(shell.waitForFinished(60 * 1000));
        QCOMPARE(QString::fromUtf8(shell.readAllStandardError()), QString());
        QCOMPARE(shell.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(shell.readAllStandardOutput()),
                 QStringLiteral("==> \\xCF\\xF0.bin <==\n42  \n==> klishe.txt <==\n41  \n"));
    }

    // A line break or another control character in a name shows as "\x0A",
    // so each finding, header and message stays one line.
    void controlCharactersInANameAreEscaped_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("out");
        QTest::addColumn<QString>("err");
        const QString name = QStringLiteral("kli\nshe\t.txt");
        const QString shown = QStringLiteral("kli\\x0Ashe\\x09.txt");
        QTest::newRow("--check") << QStringList{"--check", "1251:8:1", name}
                                 << shown + ":2:1: в клише 2 строки, модель печатает 1 строку\n"
                                 << QString();
        QTest::newRow("--print of two files")
            << QStringList{"--print", "hex", name, name}
            << "==> " + shown + " <==\nC0  E0  0D  0A  FF  \n==> " + shown +
                   " <==\nC0  E0  0D  0A  FF  \n"
            << QString();
        QTest::newRow("a file that is not there")
            << QStringList{"--check", "1251:8:1", "missing\n.txt"} << QString()
            << "kktview: missing\\x0A.txt: Нет такого файла или каталога\n";
    }
    void controlCharactersInANameAreEscaped() {
        QFETCH(QStringList, arguments);
        QFETCH(QString, out);
        QFETCH(QString, err);
        write(QStringLiteral("kli\nshe\t.txt"), twoLineCliche);
        const Run result = run(arguments);
        QCOMPARE(result.out, out);
        QCOMPARE(result.err, err);
    }

    // Output that cannot be written (a full disk, here /dev/full) is an
    // error for every answer, as it is for --print.
    void unwritableOutputFails_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("--help") << QStringList{"--help"};
        QTest::newRow("--version") << QStringList{"--version"};
        QTest::newRow("--models") << QStringList{"--models"};
        QTest::newRow("--print") << QStringList{"--print", "hex", "klishe.txt"};
        QTest::newRow("--check") << QStringList{"--check", "1251:8:1", "klishe.txt"};
    }
    void unwritableOutputFails() {
        QFETCH(QStringList, arguments);
        write("klishe.txt", twoLineCliche);
        const Run result = run(arguments, QStringLiteral("/dev/full"));
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.startsWith("kktview: не удалось записать вывод: "),
                 qPrintable(result.err));
    }

    // Without a display the window cannot open: a Russian message with the
    // options that need none, and status 1 instead of Qt's abort.
    void windowWithoutADisplaySaysSo() {
        const Run result = run({});
        QCOMPARE(result.status, 1);
        QVERIFY2(result.err.startsWith("kktview: для окна программы нужен графический дисплей: "
                                       "не задан ни DISPLAY, ни WAYLAND_DISPLAY.\n"),
                 qPrintable(result.err));
        QVERIFY(result.err.contains("kktview --print hex ФАЙЛ"));
        QCOMPARE(result.out, QString());
    }

    void displayIsWhatThePlatformNeeds_data() {
        QTest::addColumn<QString>("platform");
        QTest::addColumn<QString>("display");
        QTest::addColumn<QString>("wayland");
        QTest::addColumn<bool>("missing");
        const struct {
            const char *name, *platform, *display, *wayland;
            bool missing;
        } rows[] = {
            {"X11", "", ":0", "", false},
            {"Wayland", "", "", "wayland-0", false},
            {"none", "", "", "", true},
            {"offscreen, as the tests run", "offscreen", "", "", false},
            {"xcb asked for, no DISPLAY", "xcb", "", "wayland-0", true},
            {"wayland asked for, no socket", "wayland", ":0", "", true},
            {"a list Qt tries in turn", "wayland;xcb", ":0", "", false},
        };
        for (const auto &row : rows) {
            QTest::newRow(row.name) << QString(row.platform) << QString(row.display)
                                    << QString(row.wayland) << row.missing;
        }
    }
    void displayIsWhatThePlatformNeeds() {
        QFETCH(QString, platform);
        QFETCH(QString, display);
        QFETCH(QString, wayland);
        QFETCH(bool, missing);
        QCOMPARE(!displaycheck::missingDisplay(platform, display, wayland).isEmpty(), missing);
    }

    void checkGoesOnPastAnUnreadableFile() {
        write("clean.txt", "\xCA\xCA\xCC");
        const Run result = run({"-c", "866:32", "missing.txt", "clean.txt"});
        QCOMPARE(result.status, 1);
        QCOMPARE(result.out, QString());
        QVERIFY2(result.err.startsWith("kktview: missing.txt: "), qPrintable(result.err));
        QCOMPARE(run({"-c", "866:32", "clean.txt"}).status, 0);
    }

    void argumentsChooseTheWindowAndItsFile_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<bool>("opensWindow");
        QTest::addColumn<QString>("file");

        QTest::newRow("nothing") << QStringList{} << true << QString();
        QTest::newRow("a file") << QStringList{"klishe.txt"} << true << "klishe.txt";
        QTest::newRow("a dashed name after --")
            << QStringList{"--", "-klishe"} << true << "-klishe";
        QTest::newRow("the menu entry's -- alone") << QStringList{"--"} << true << QString();
        QTest::newRow("a dashed name alone") << QStringList{"-klishe"} << false << QString();
        QTest::newRow("two files") << QStringList{"a.bin", "b.bin"} << false << QString();
    }
    void argumentsChooseTheWindowAndItsFile() {
        QFETCH(QStringList, arguments);
        QFETCH(bool, opensWindow);
        QFETCH(QString, file);

        const CommandLine commandLine(QStringList{"kktview"} + arguments);
        QCOMPARE(commandLine.opensWindow(), opensWindow);
        QCOMPARE(commandLine.fileToOpen(), file);
    }

    void noDisplayNameIsSet() {
        // Without a display name of its own, Qt reports the application name.
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName(QStringLiteral("probe"));
        const QString displayName = QGuiApplication::applicationDisplayName();
        QCoreApplication::setApplicationName(name);
        QCOMPARE(displayName, QStringLiteral("probe"));
    }

    void windowsAndDialogsCarryTheirOwnTitles() {
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(platformTitle(&window), QStringLiteral("Просмотр бинарных файлов"));

        window.findChild<QAction *>(QLatin1String(objectnames::codeTableCommand))->trigger();
        QWidget *table = nullptr;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == QLatin1String(objectnames::codeTableWindow) &&
                widget->isVisible())
                table = widget;
        }
        QCOMPARE(platformTitle(table), QStringLiteral("Таблицы"));

        // Each modal window is noted and closed, so no failure leaves one open.
        QStringList modalTitles;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&modalTitles] {
            if (auto *modal = qobject_cast<QDialog *>(QApplication::activeModalWidget())) {
                modalTitles << platformTitle(modal);
                modal->reject();
            }
        });
        closer.start(5);
        window.findChild<QAction *>(QLatin1String(objectnames::saveCommand))->trigger();
        window.findChild<QAction *>(QLatin1String(objectnames::aboutCommand))->trigger();
        // Message boxes carry the program's name as their title.
        QCOMPARE(modalTitles, (QStringList{"Save As", "kktview"}));
    }
};

KKTVIEW_TEST_MAIN(AppTest)
#include "tst_app.moc"
