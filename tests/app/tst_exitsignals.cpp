// The program ended without its window's close, as at a logout: by a signal,
// or by the loss of the display. The window's unsaved edit is kept as a
// recovery copy first. Each case runs this suite's own binary as the
// program: a window that opens a file, takes an edit and waits.

#include "form1.h"
#include "keepunsaved.h"
#include "recovery/recoverystore.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdio>

namespace {

const char childOption[] = "--edit-and-wait";
const QByteArray fileBytes = "file\r\n";

// The program as main() sets it up, the signals as a shell leaves them.
int editAndWait(int argc, char *argv[]) {
    for (const int number : {SIGTERM, SIGHUP, SIGINT})
        std::signal(number, SIG_DFL);
    QApplication app(argc, argv);
    Form1 window;
    const KeepUnsaved keepUnsaved(window);
    window.show();
    if (!window.openFile(QString::fromLocal8Bit(argv[2])))
        return 3;
    QTest::keyClicks(window.findChild<QWidget *>(QStringLiteral("RTB1")), QStringLiteral("edit"));
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    return app.exec();
}

bool waitForLine(QProcess &process, const QByteArray &line) {
    const QDeadlineTimer deadline(std::chrono::seconds(60));
    while (!process.canReadLine()) {
        if (deadline.hasExpired() || !process.waitForReadyRead(int(deadline.remainingTime())))
            return false;
    }
    return process.readLine().trimmed() == line;
}

} // namespace

class ExitSignalsTest : public QObject {
    Q_OBJECT

    QTemporaryDir state;
    QTemporaryDir files;

    // The program started on a file of its own, edited and waiting; the
    // environment's platform and display for the window.
    bool startEdited(QProcess &program, const QString &platform, const QString &display = {}) {
        const QString file = files.filePath(QStringLiteral("kkm.bin"));
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly) || out.write(fileBytes) != fileBytes.size())
            return false;
        out.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("XDG_STATE_HOME"), state.path());
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), platform);
        if (!display.isEmpty())
            environment.insert(QStringLiteral("DISPLAY"), display);
        program.setProcessEnvironment(environment);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QCoreApplication::applicationFilePath(), {QLatin1String(childOption), file});
        return waitForLine(program, "ready");
    }

    static bool ended(QProcess &program) {
        if (program.waitForFinished(60 * 1000))
            return true;
        program.kill();
        program.waitForFinished(10 * 1000);
        return false;
    }

    // The bytes of the copies left, which are then removed.
    QList<QByteArray> takeLeftCopies() {
        QList<QByteArray> left;
        const recovery::Store store(state.filePath(QStringLiteral("kktview/recovery")));
        for (const recovery::CopyInfo &copy : store.list()) {
            left << store.take(copy.id)->bytes;
            store.remove(copy.id);
        }
        return left;
    }

private slots:
    // The copy, and then the end a shell reports as the signal's: the
    // program killed by it.
    void signalKeepsTheEdit_data() {
        QTest::addColumn<int>("signal");
        QTest::newRow("SIGTERM") << int(SIGTERM);
        QTest::newRow("SIGHUP") << int(SIGHUP);
        QTest::newRow("SIGINT") << int(SIGINT);
    }
    void signalKeepsTheEdit() {
        QFETCH(int, signal);
        QProcess program;
        QVERIFY(startEdited(program, QStringLiteral("offscreen")));
        QVERIFY(::kill(pid_t(program.processId()), signal) == 0);
        QVERIFY(ended(program));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit);
        QCOMPARE(program.exitCode(), signal);
        QCOMPARE(takeLeftCopies(), QList<QByteArray>{"edit" + fileBytes});
    }

    // Qt's xcb platform ends the program when the X server goes away.
    void lostDisplayKeepsTheEdit() {
        const QString xvfbPath = QStandardPaths::findExecutable(QStringLiteral("Xvfb"));
        if (xvfbPath.isEmpty())
            QSKIP("no Xvfb here");
        QProcess xvfb;
        xvfb.start(xvfbPath, {QStringLiteral("-displayfd"), QStringLiteral("1"),
                              QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        QVERIFY(xvfb.waitForStarted(30 * 1000));
        const QDeadlineTimer deadline(std::chrono::seconds(30));
        while (!xvfb.canReadLine() && !deadline.hasExpired())
            xvfb.waitForReadyRead(int(deadline.remainingTime()));
        const QByteArray display = xvfb.readLine().trimmed();
        if (display.isEmpty())
            QSKIP("Xvfb does not start here"); // and is killed as it goes
        QProcess program;
        const bool started =
            startEdited(program, QStringLiteral("xcb"), u':' + QString::fromLatin1(display));
        xvfb.terminate();
        QVERIFY(ended(xvfb));
        QVERIFY(started);
        QVERIFY(ended(program));
        QCOMPARE(takeLeftCopies(), QList<QByteArray>{"edit" + fileBytes});
    }
};

int main(int argc, char *argv[]) {
    if (argc == 3 && qstrcmp(argv[1], childOption) == 0)
        return editAndWait(argc, argv);
    QCoreApplication app(argc, argv);
    ExitSignalsTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_exitsignals.moc"
