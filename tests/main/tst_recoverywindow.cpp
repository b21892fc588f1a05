// The recovery copies as the window keeps them: what closing, opening and
// clearing leave, the notice at start and the restore command.

#include "../statevariables.h"
#include "../testfonts.h"
#include "inputpane.h"
#include "io/document.h"
#include "mainwindow.h"
#include "objectnames.h"
#include "recovery/recoverystore.h"
#include "recoverydialog.h"
#include "windowdriver.h"

#include <QDir>
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
            // A large file's copy keeps the edits, read back through the file.
            left << [&] {
                const std::optional<recovery::TakenCopy> taken = store.take(copy.id);
                return taken->edits ? taken->edits->read(0, taken->edits->size()) : taken->bytes;
            }();
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

    QByteArray bytesOf(const QString &name) {
        QFile file(files.filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
    }

    // The drops of the window by the names of the rows; true when the
    // document went.
    bool drop(MainWindow &window, const QString &how) {
        if (how == QLatin1String("close"))
            return window.close();
        if (how == QLatin1String("open"))
            return window.openFile(file(QStringLiteral("second.bin"), "second"));
        child<QAction>(&window, objectnames::clearCommand)->trigger();
        return window.document().isEmpty();
    }

    // A state directory under a regular file: no copy can be written there,
    // whoever runs the tests.
    struct UnwritableState {
        explicit UnwritableState(const QString &blocker)
            : before(statevariables::value(statevariables::recoveryHome)) {
            QFile file(blocker);
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write %s", qPrintable(blocker));
            statevariables::set(statevariables::recoveryHome, blocker);
        }
        ~UnwritableState() { statevariables::set(statevariables::recoveryHome, before); }
        QString before;
    };

private slots:
    void initTestCase() { statevariables::set(statevariables::recoveryHome, state.path()); }
    // Each test starts without the copies another one left.
    void init() { takeLeftCopies(); }

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
            MainWindow window;
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            if (how != 0 && how != 2)
                QVERIFY(window.openFile(opened));
            if (how != 3)
                typeText(child<InputPane>(&window, objectnames::inputPane),
                         QStringLiteral("typed"));
            if (how == 1)
                QVERIFY(window.openFile(file(QStringLiteral("second.bin"), "second")));
            if (how == 2)
                child<QAction>(&window, objectnames::clearCommand)->trigger();
            QTest::qWait(20);
            window.close();
        } // the program ends: the copies are written
        QCOMPARE(takeLeftCopies(), left.isEmpty() ? QList<QByteArray>() : QList<QByteArray>{left});
    }

    // The copy is written by the drop itself, not a few seconds after the
    // edit: a program killed right after the drop still leaves it.
    void dropWritesTheCopyAtOnce_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("closed") << QStringLiteral("close");
        QTest::newRow("another opened") << QStringLiteral("open");
        QTest::newRow("cleared") << QStringLiteral("clear");
    }
    void dropWritesTheCopyAtOnce() {
        QFETCH(QString, how);
        QByteArray bytes;
        for (int line = 0; bytes.size() < 4 << 20; ++line)
            bytes += QByteArray::number(line).rightJustified(62, '.') + "\r\n";
        MainWindow window;
        window.show();
        QVERIFY(window.openFile(file(QStringLiteral("large.bin"), bytes)));
        typeText(child<InputPane>(&window, objectnames::inputPane), QStringLiteral("x"));
        QVERIFY(drop(window, how));
        const std::vector<recovery::CopyInfo> copies = recovery::Store().list();
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].size, bytes.size() + 1);
        QCOMPARE(takeLeftCopies(), QList<QByteArray>{"x" + bytes});
    }

    // Where the copy cannot be written, the drop asks first; each answer
    // does what it says: the document saved (to its file, or where Save As
    // puts it) and dropped, dropped, or kept with the window open.
    void failedCopyAsksBeforeTheDrop_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("fromFile");
        QTest::addColumn<QString>("answer");
        // Save As: the name chosen, or none for a cancelled dialog.
        QTest::addColumn<QString>("saveAs");
        const QStringList drops{QStringLiteral("close"), QStringLiteral("open"),
                                QStringLiteral("clear")};
        const QStringList answers{QLatin1String(objectnames::saveButton),
                                  QLatin1String(objectnames::discardButton),
                                  QLatin1String(objectnames::cancelButton)};
        for (const QString &how : drops) {
            for (const QString &answer : answers) {
                QTest::addRow("%s, %s", qPrintable(how), qPrintable(answer))
                    << how << true << answer << QString();
            }
        }
        QTest::newRow("typed, close, saved as")
            << QStringLiteral("close") << false << QString::fromLatin1(objectnames::saveButton)
            << QStringLiteral("typed.bin");
        QTest::newRow("typed, clear, save as cancelled")
            << QStringLiteral("clear") << false << QString::fromLatin1(objectnames::saveButton)
            << QString();
    }
    void failedCopyAsksBeforeTheDrop() {
        QFETCH(QString, how);
        QFETCH(bool, fromFile);
        QFETCH(QString, answer);
        QFETCH(QString, saveAs);
        const UnwritableState state(files.filePath(QStringLiteral("state-file")));
        const QByteArray original = "file\r\n";
        const QString opened = file(QStringLiteral("first.bin"), original);
        QFile::remove(files.filePath(QStringLiteral("typed.bin")));
        MainWindow window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        if (fromFile)
            QVERIFY(window.openFile(opened));
        typeText(child<InputPane>(&window, objectnames::inputPane), QStringLiteral("x"));
        const QByteArray edited = fromFile ? "x" + original : QByteArray("x");

        QString text;
        QString informative;
        QStringList buttons;
        DialogAnswer<QMessageBox> question([&](QMessageBox *box) {
            text = box->text();
            informative = box->informativeText();
            for (const QAbstractButton *button : box->buttons())
                buttons << button->text();
            child<QPushButton>(box, qPrintable(answer))->click();
        });
        DialogAnswer<QFileDialog> saveDialog([&](QFileDialog *dialog) {
            if (saveAs.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->selectFile(files.filePath(saveAs));
            static_cast<QDialog *>(dialog)->accept();
        });
        const bool dropped = drop(window, how);
        QVERIFY(question.seen);
        QCOMPARE(text, fromFile ? QStringLiteral("Сохранить изменения в «first.bin»?")
                                : QStringLiteral("Сохранить изменения в новом документе?"));
        QVERIFY2(informative.startsWith(
                     QStringLiteral("Копия для восстановления не записана в папку %1:\n")
                         .arg(files.filePath(QStringLiteral("state-file/kktview/recovery")))),
                 qPrintable(informative));
        buttons.sort();
        QCOMPARE(buttons, (QStringList{QStringLiteral("Не сохранять"), QStringLiteral("Отмена"),
                                       QStringLiteral("Сохранить")}));

        const bool saved =
            answer == QLatin1String(objectnames::saveButton) && (fromFile || !saveAs.isEmpty());
        const bool goes = answer == QLatin1String(objectnames::discardButton) || saved;
        QCOMPARE(saveDialog.seen, answer == QLatin1String(objectnames::saveButton) && !fromFile);
        QCOMPARE(bytesOf(QStringLiteral("first.bin")), saved && fromFile ? edited : original);
        if (saved && !fromFile)
            QCOMPARE(bytesOf(saveAs), edited);
        QCOMPARE(dropped, goes);
        QCOMPARE(window.isVisible(), how != QLatin1String("close") || !goes);
        QByteArray after = edited;
        if (goes && how == QLatin1String("open"))
            after = "second";
        else if (goes && how == QLatin1String("clear"))
            after.clear();
        QCOMPARE(window.document(), after);
    }

    // At start the notice names what can be restored; the command restores
    // it as an unsaved document whose Save As proposes its file, and the
    // save leaves no copy.
    void restoredCopyComesBackUnsaved() {
        const QByteArray bytes = QByteArray("\xCA\xCA\xD2\r\n", 5) + QByteArray(70000, 'x');
        const QString origin = file(QStringLiteral("dump.bin"), bytes);
        {
            MainWindow lost;
            QVERIFY(lost.openFile(origin));
            typeText(child<InputPane>(&lost, objectnames::inputPane), QStringLiteral("!"));
            lost.close();
        }
        auto window = std::make_unique<MainWindow>();
        window->show();
        window->offerRecovery();
        auto *notice = child<QLabel>(window.get(), "lblNotice");
        QVERIFY2(notice->isVisible() &&
                     notice->text().startsWith(
                         QStringLiteral("Несохранённый документ «dump.bin» от ")) &&
                     notice->text().contains(QStringLiteral(", 70\u00A0006 байт.")),
                 qPrintable(notice->text()));
        {
            DialogAnswer<RecoveryDialog> answer([](RecoveryDialog *dialog) {
                child<QPushButton>(dialog, objectnames::restoreButton)->click();
            });
            child<QAction>(window.get(), objectnames::restoreCommand)->trigger();
        }
        QCOMPARE(window->document(), "!" + bytes);
        QCOMPARE(window->toolbarCaption(), "  " + QDir::toNativeSeparators(origin));
        QString proposed;
        {
            DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
                proposed = dialog->selectedFiles().value(0);
                static_cast<QDialog *>(dialog)->accept();
            });
            MessageCatcher overwrite;
            child<QAction>(window.get(), objectnames::saveCommand)->trigger();
        }
        QCOMPARE(proposed, origin);
        window->close();
        window.reset(); // the program ends
        QCOMPARE(recovery::Store().list().size(), size_t(0));
        QVERIFY(QDir(recovery::defaultDirectory()).isEmpty(QDir::Files | QDir::Hidden));
    }

    // A large file's copy comes back reading the file on demand again: when
    // another program then changes the file, the window says so naming that
    // file, not the one it had open before.
    void restoredEditsTellTheirFileChanging() {
        const QByteArray bytes(2 << 20, 'k');
        const QString origin = file(QStringLiteral("big.bin"), bytes);
        {
            MainWindow lost;
            QVERIFY(lost.openFile(origin));
            typeText(child<InputPane>(&lost, objectnames::inputPane), QStringLiteral("!"));
            lost.close();
        }
        MainWindow window;
        window.show();
        QVERIFY(window.openFile(file(QStringLiteral("other.bin"), QByteArray(2 << 20, 'o'))));
        {
            DialogAnswer<RecoveryDialog> answer([](RecoveryDialog *dialog) {
                child<QPushButton>(dialog, objectnames::restoreButton)->click();
            });
            child<QAction>(&window, objectnames::restoreCommand)->trigger();
        }
        QCOMPARE(window.document(), "!" + bytes);
        QVERIFY(QFile::resize(origin, 10));
        MessageCatcher messages;
        // Pages read are looked at again after a second.
        QTest::qWait(1100);
        window.document();
        QTRY_VERIFY_WITH_TIMEOUT(!messages.messages.isEmpty(), 10000);
        QCOMPARE(messages.texts(), QStringList{document::changedOnDiskMessage(origin)});
        window.close();
    }
};

KKTVIEW_TEST_MAIN(RecoveryWindowTest)

#include "tst_recoverywindow.moc"
