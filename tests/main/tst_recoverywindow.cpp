// The recovery copies as the window keeps them: what closing, opening,
// clearing and saving leave, the notice at start and the restore command.

#include "bytepane.h"
#include "form1.h"
#include "nativename.h"
#include "recoverydialog.h"
#include "recoverystore.h"
#include "windowdriver.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

} // namespace

class RecoveryWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> state;
    std::unique_ptr<QTemporaryDir> files;

    // Every copy left for restoring, by its bytes and origin.
    static QList<QPair<QByteArray, QByteArray>> leftCopies() {
        QList<QPair<QByteArray, QByteArray>> copies;
        const recovery::Store store;
        for (const recovery::CopyInfo &copy : store.list())
            copies << qMakePair(store.take(copy.id)->bytes, nativename::encode(copy.origin));
        return copies;
    }

    // A window's life: made, shown, driven by steps, closed as the user does.
    static void inWindow(const std::function<void(Form1 &)> &steps) {
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        steps(window);
        window.close();
    }

    static void type(Form1 &window, const QString &text) {
        auto *pane = child<BytePane>(&window, "RTB1");
        pane->setFocus();
        typeText(pane, text);
    }

    QString file(const QString &name, const QByteArray &bytes) {
        const QString path = files->filePath(name);
        writeFile(path, bytes);
        return path;
    }

private slots:
    void init() {
        state = std::make_unique<QTemporaryDir>();
        files = std::make_unique<QTemporaryDir>();
        qputenv("XDG_STATE_HOME", QFile::encodeName(state->path()));
    }

    // Nothing is asked; a modified document leaves its bytes when it is
    // dropped, an unmodified one nothing.
    void droppedDocumentsLeaveTheirBytes_data() {
        QTest::addColumn<int>("how");
        QTest::addColumn<QByteArray>("left");
        QTest::addColumn<QByteArray>("origin");
        QTest::newRow("typed, closed") << 0 << QByteArray("typed") << QByteArray();
        QTest::newRow("opened and edited, another opened")
            << 1 << QByteArray("xyz") << QByteArray("first.bin");
        QTest::newRow("typed, cleared") << 2 << QByteArray("typed") << QByteArray();
        QTest::newRow("opened, not edited") << 3 << QByteArray() << QByteArray();
        QTest::newRow("edited and undone") << 4 << QByteArray() << QByteArray();
        QTest::newRow("edited and saved") << 5 << QByteArray() << QByteArray();
    }
    void droppedDocumentsLeaveTheirBytes() {
        QFETCH(int, how);
        QFETCH(QByteArray, left);
        QFETCH(QByteArray, origin);
        // A long paragraph, which the pane cuts into blocks after loading.
        const QString first = file(QStringLiteral("first.bin"), "file" + QByteArray(20000, 'a'));
        const QString second = file(QStringLiteral("second.bin"), "second");
        inWindow([&](Form1 &window) {
            if (how == 0 || how == 2) {
                type(window, QStringLiteral("typed"));
                if (how == 2)
                    child<QAction>(&window, "mnuDell")->trigger();
                return;
            }
            QVERIFY(window.openFile(first));
            QTest::qWait(50);
            if (how == 1 || how == 4 || how == 5)
                type(window, QStringLiteral("xyz"));
            if (how == 1)
                QVERIFY(window.openFile(second));
            if (how == 4)
                QTest::keyClick(child<BytePane>(&window, "RTB1"), Qt::Key_Z, Qt::ControlModifier);
            if (how == 5) {
                DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
                    dialog->selectFile(second);
                    static_cast<QDialog *>(dialog)->accept();
                });
                MessageCatcher overwrite;
                child<QAction>(&window, "mnuSave")->trigger();
                QVERIFY(answer.seen);
            }
        });
        const auto copies = leftCopies();
        if (left.isEmpty()) {
            QCOMPARE(copies.size(), 0);
            return;
        }
        QCOMPARE(copies.size(), 1);
        if (how == 1)
            left += "file" + QByteArray(20000, 'a');
        QCOMPARE(copies[0].first, left);
        QCOMPARE(copies[0].second, origin.isEmpty() ? origin : QFile::encodeName(first));
    }

    // At start the notice names what can be restored; the command restores
    // it as an unsaved document whose Save As proposes its file.
    void restoredCopyComesBackUnsaved() {
        const QByteArray bytes = QByteArray("\xCA\xCA\xD2\r\n", 5) + QByteArray(70000, 'x');
        const QString origin = file(QStringLiteral("dump.bin"), bytes);
        inWindow([&](Form1 &window) {
            QVERIFY(window.openFile(origin));
            type(window, QStringLiteral("!"));
        });
        Form1 window;
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        window.offerRecovery();
        auto *notice = window.findChild<QLabel *>(QStringLiteral("lblNotice"));
        QVERIFY(notice && notice->isVisible());
        QVERIFY2(notice->text().startsWith(QStringLiteral("Несохранённый документ «dump.bin» от ")),
                 qPrintable(notice->text()));
        QVERIFY2(notice->text().contains(QStringLiteral(", 70\u00A0006 байт.")),
                 qPrintable(notice->text()));

        {
            DialogAnswer<RecoveryDialog> answer([](RecoveryDialog *dialog) {
                auto *list = child<QTreeWidget>(dialog, "lstCopies");
                QCOMPARE(list->topLevelItemCount(), 1);
                child<QPushButton>(dialog, "cmdRestore")->click();
            });
            child<QAction>(&window, "mnuRestore")->trigger();
            QVERIFY(answer.seen);
        }
        QCOMPARE(window.document(), "!" + bytes);
        QCOMPARE(window.toolbarCaption(), "  " + origin);
        QCOMPARE(recovery::Store().list().size(), size_t(0)); // the window holds it now

        QString proposed;
        {
            DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
                proposed = dialog->selectedFiles().value(0);
                dialog->selectFile(origin);
                static_cast<QDialog *>(dialog)->accept();
            });
            MessageCatcher overwrite;
            child<QAction>(&window, "mnuSave")->trigger();
        }
        QCOMPARE(proposed, origin);
        window.close();
        QCOMPARE(leftCopies().size(), 0);
        QVERIFY(QDir(recovery::defaultDirectory()).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
};

QTEST_MAIN(RecoveryWindowTest)

#include "tst_recoverywindow.moc"
