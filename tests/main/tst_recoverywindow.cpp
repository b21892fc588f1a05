// The recovery copies as the window keeps them: what closing, opening and
// clearing leave, the notice at start and the restore command.

#include "../testfonts.h"
#include "form1.h"
#include "inputpane.h"
#include "recoverydialog.h"
#include "recoverystore.h"
#include "windowdriver.h"

#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QtTest>

class RecoveryWindowTest : public QObject {
    Q_OBJECT

    QTemporaryDir state;
    QTemporaryDir files;

    // The bytes of every copy left for restoring, emptied as they are read.
    static QList<QByteArray> takeLeftCopies() {
        QList<QByteArray> left;
        const recovery::Store store;
        for (const recovery::CopyInfo &copy : store.list()) {
            left << store.take(copy.id)->bytes;
            store.remove(copy.id);
        }
        return left;
    }

    QString file(const QString &name, const QByteArray &bytes) {
        QFile file(files.filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(name));
        return file.fileName();
    }

private slots:
    void initTestCase() { qputenv("XDG_STATE_HOME", QFile::encodeName(state.path())); }

    // Nothing is asked; a modified document leaves its bytes when it is
    // dropped, an unmodified one (a long paragraph, which the pane cuts into
    // blocks after loading) nothing.
    void droppedDocumentsLeaveTheirBytes_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<QByteArray>("left");
        const QByteArray paragraph = "file" + QByteArray(20000, 'a');
        QTest::newRow("typed, closed") << 0 << QByteArray("typed");
        QTest::newRow("edited, another opened") << 1 << "typed" + paragraph;
        QTest::newRow("typed, cleared") << 2 << QByteArray("typed");
        QTest::newRow("opened, closed") << 3 << QByteArray();
    }
    void droppedDocumentsLeaveTheirBytes() {
        QFETCH(int, how);
        QFETCH(QByteArray, left);
        const QString opened = file(QStringLiteral("first.bin"), "file" + QByteArray(20000, 'a'));
        {
            Form1 window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            if (how != 0 && how != 2)
                QVERIFY(window.openFile(opened));
            if (how != 3)
                typeText(child<InputPane>(&window, "RTB1"), QStringLiteral("typed"));
            if (how == 1)
                QVERIFY(window.openFile(file(QStringLiteral("second.bin"), "second")));
            if (how == 2)
                child<QAction>(&window, "mnuDell")->trigger();
            QTest::qWait(20);
            window.close();
        } // the program ends: the copies are written
        QCOMPARE(takeLeftCopies(), left.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{left});
    }

    // At start the notice names what can be restored; the command restores
    // it as an unsaved document whose Save As proposes its file, and the
    // save leaves no copy.
    void restoredCopyComesBackUnsaved() {
        const QByteArray bytes = QByteArray("\xCA\xCA\xD2\r\n", 5) + QByteArray(70000, 'x');
        const QString origin = file(QStringLiteral("dump.bin"), bytes);
        {
            Form1 lost;
            QVERIFY(lost.openFile(origin));
            typeText(child<InputPane>(&lost, "RTB1"), QStringLiteral("!"));
            lost.close();
        }
        auto window = std::make_unique<Form1>();
        window->show();
        window->offerRecovery();
        auto *notice = child<QLabel>(window.get(), "lblNotice");
        QVERIFY2(notice->isVisible() &&
                     notice->text().startsWith(
                         QStringLiteral("Несохранённый документ «dump.bin» от ")) &&
                     notice->text().contains(QStringLiteral(", 70\u00A0006 байт.")),
                 qPrintable(notice->text()));
        {
            DialogAnswer<RecoveryDialog> answer(
                [](RecoveryDialog *dialog) { child<QPushButton>(dialog, "cmdRestore")->click(); });
            child<QAction>(window.get(), "mnuRestore")->trigger();
        }
        QCOMPARE(window->document(), "!" + bytes);
        QCOMPARE(window->toolbarCaption(), "  " + origin);
        QString proposed;
        {
            DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
                proposed = dialog->selectedFiles().value(0);
                static_cast<QDialog *>(dialog)->accept();
            });
            MessageCatcher overwrite;
            child<QAction>(window.get(), "mnuSave")->trigger();
        }
        QCOMPARE(proposed, origin);
        window->close();
        window.reset(); // the program ends
        QCOMPARE(recovery::Store().list().size(), size_t(0));
        QVERIFY(QDir(recovery::defaultDirectory()).isEmpty(QDir::Files | QDir::Hidden));
    }
};

KKTVIEW_TEST_MAIN(RecoveryWindowTest)

#include "tst_recoverywindow.moc"
