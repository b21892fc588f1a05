// The file commands of the main window, driven through the real dialogs as a
// user would drive them.

#include "../testfiles.h"
#include "../testfonts.h"
#include "base/sizebounds.h"
#include "codepages/views.h"
#include "document/byteselection.h"
#include "hexpane.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "objectnames.h"
#include "russianqt.h"
#include "windowdriver.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFontDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTreeView>
#include <QtTest>
#include <fcntl.h>
#include <functional>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void chooseInFileDialog(QFileDialog *dialog, const QString &path) {
    dialog->selectFile(path);
    static_cast<QDialog *>(dialog)->accept(); // QFileDialog::accept checks the name
}

// The view the file dialog shows its folder in, the list or the details.
QAbstractItemView *shownFileView(QFileDialog *dialog) {
    return child<QAbstractItemView>(dialog, dialog->viewMode() == QFileDialog::Detail ? "treeView"
                                                                                      : "listView");
}

// The names the dialog lists in its folder, once it has read them.
QStringList listedNames(QAbstractItemView *view) {
    QStringList names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    return names;
}

// Chooses the row of the dialog's view the way the user does: a double
// click, Enter on the name proposed or typed, Enter on the row, or a click
// on the row and on the dialog's button.
void chooseRow(QFileDialog *dialog, QAbstractItemView *view, const QModelIndex &row,
               const QString &how) {
    const QPoint where = view->visualRect(row).center();
    if (how == QLatin1String("double click")) {
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, where);
    } else if (how == QLatin1String("proposed")) {
        auto *name = child<QLineEdit>(dialog, "fileNameEdit");
        QCOMPARE(name->text(), QStringLiteral("\\xCF\\xF1.bin"));
        QTest::keyClick(name, Qt::Key_Return);
    } else if (how == QLatin1String("typed")) {
        auto *name = child<QLineEdit>(dialog, "fileNameEdit");
        name->setFocus();
        typeText(name, QStringLiteral("\\xCF\\xF1.bin"));
        QTest::keyClick(name, Qt::Key_Return);
    } else if (how == QLatin1String("Enter")) {
        view->setFocus();
        view->setCurrentIndex(row);
        QTest::keyClick(view, Qt::Key_Return);
    } else {
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, where);
        QCOMPARE(child<QLineEdit>(dialog, "fileNameEdit")->text(),
                 QStringLiteral("\\xCF\\xF1.bin"));
        auto *buttons = child<QDialogButtonBox>(dialog, "buttonBox");
        QAbstractButton *accept = buttons->button(QDialogButtonBox::Open);
        if (!accept)
            accept = buttons->button(QDialogButtonBox::Save);
        QTest::mouseClick(accept, Qt::LeftButton);
    }
}

QByteArray allByteValues() {
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(char(b));
    return bytes;
}

} // namespace

class FileCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useRussianForQt()); }
    void init();
    void cleanup();

    void openThenCancelLeavesNormalLayoutAndKeepsDocument();
    void openedFileBecomesTheDocument_data();
    void openedFileBecomesTheDocument();
    void refusedOpenKeepsDocumentPanelsAndCaption_data();
    void refusedOpenKeepsDocumentPanelsAndCaption();
    void commandLineAndDroppedFilesOpenLikeTheDialog_data();
    void commandLineAndDroppedFilesOpenLikeTheDialog();

    void saveProposesTheOpenedPathUnderItsOwnTitle();
    void saveProposesTheFileOfTheDocumentOnScreen_data();
    void saveProposesTheFileOfTheDocumentOnScreen();
    void fileDialogSpeaksRussianInColumnsWideEnough();
    void saveWritesExactlyTheDocument_data();
    void saveWritesExactlyTheDocument();
    void saveOverAnExistingFileAsksFirst();
    void failedSaveShowsReasonAndLeavesTargetIntact();
    void saveOntoFullDeviceLeavesTargetIntact();
    void nameThatIsNotUtf8OpensAndSaves();
    void nameThatIsNotUtf8IsListedAndChosen_data();
    void nameThatIsNotUtf8IsListedAndChosen();

private:
    MainWindow *window = nullptr;
    QTemporaryDir dir;

    QString path(const char *name) const { return dir.filePath(QLatin1String(name)); }
    InputPane *inputPane() const { return child<InputPane>(window, objectnames::inputPane); }
    void trigger(const char *action) { child<QAction>(window, action)->trigger(); }
    void openThroughDialog(const QString &file) {
        DialogAnswer<QFileDialog> answer(
            [file](QFileDialog *dialog) { chooseInFileDialog(dialog, file); });
        trigger(objectnames::openCommand);
        QVERIFY(answer.seen);
    }
};

void FileCommandsTest::init() {
    window = new MainWindow;
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window));
}

void FileCommandsTest::cleanup() {
    delete window;
    window = nullptr;
}

void FileCommandsTest::openThenCancelLeavesNormalLayoutAndKeepsDocument() {
    window->setDocument("AB\r\nC");
    window->setToolbarCaption(QStringLiteral("  /old/path"));
    QTest::keyClick(window, Qt::Key_F5);
    QVERIFY(window->isHexEditLayout());

    DialogAnswer<QFileDialog> answer([](QFileDialog *dialog) { dialog->reject(); });
    trigger(objectnames::openCommand);
    QVERIFY(answer.seen);

    QVERIFY(!window->isHexEditLayout());
    QVERIFY(!child<QLabel>(window, objectnames::ruler)->isVisible());
    QVERIFY(child<TokenView>(window, objectnames::hexPane)->isEmpty());
    QVERIFY(child<TokenView>(window, objectnames::outputPane)->isEmpty());
    QCOMPARE(window->document(), QByteArray("AB\r\nC"));
    QCOMPARE(window->panelText(1), QStringLiteral("5"));
    QCOMPARE(window->toolbarCaption(), QStringLiteral("  /old/path"));
}

void FileCommandsTest::openedFileBecomesTheDocument_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("one byte") << QByteArray("1");
    QTest::newRow("byte zero") << QByteArray(1, '\0');
    QTest::newRow("all byte values") << allByteValues();
    QTest::newRow("CR LF, lone LF, lone CR") << QByteArray("A\r\nB\nC\rD\r\n");
    QTest::newRow("no-break space and 152") << QByteArray("\xA0\x98\xA0");
}

void FileCommandsTest::openedFileBecomesTheDocument() {
    QFETCH(QByteArray, bytes);
    const QString file = path("klishe.bin");
    QVERIFY(writeFile(file, bytes));

    openThroughDialog(file);

    QCOMPARE(window->document(), bytes);
    QCOMPARE(window->panelText(1), QString::number(bytes.size()));
    QCOMPARE(window->panelText(2), QStringLiteral(" bytes"));
    QCOMPARE(window->toolbarCaption(), QStringLiteral("  ") + file);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void FileCommandsTest::refusedOpenKeepsDocumentPanelsAndCaption_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("expectedText");
    QTest::addColumn<QString>("reason");
    const QLocale russian(QLocale::Russian);
    QTest::newRow("empty file") << "empty.bin"
                                << "Empty file"
                                << "";
    QTest::newRow("directory") << "folder"
                               << "Не удалось открыть файл:"
                               << "папка";
    QTest::newRow("vanished file") << "vanished.bin"
                                   << "Не удалось открыть файл:"
                                   << "Нет такого файла или каталога";
    // Reading either would wait for ever.
    QTest::newRow("pseudo-terminal") << "pty"
                                     << "Не удалось открыть файл:"
                                     << "терминал";
    QTest::newRow("named pipe") << "pipe"
                                << "Не удалось открыть файл:"
                                << "канал";
    QTest::newRow("too large") << "huge.bin"
                               << "Файл слишком большой:"
                               << QString("Размер в байтах: %1, можно открыть не более %2.")
                                      .arg(russian.toString(sizebounds::openedFileAtMost + 1),
                                           russian.toString(sizebounds::openedFileAtMost));
}

void FileCommandsTest::refusedOpenKeepsDocumentPanelsAndCaption() {
    QFETCH(QString, name);
    QFETCH(QString, expectedText);
    QFETCH(QString, reason);
    QVERIFY(writeFile(path("empty.bin"), {}));
    QDir(dir.path()).mkdir(QStringLiteral("folder"));
    {
        // Sparse: no disk space, one byte over the bound.
        QFile huge(path("huge.bin"));
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(sizebounds::openedFileAtMost + 1));
    }
    QString file = dir.filePath(name);
    if (name == QLatin1String("pipe"))
        QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
    const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
    const auto closeTerminal = qScopeGuard([terminal] { ::close(terminal); });
    if (name == QLatin1String("pty")) {
        QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
        file = QFile::decodeName(::ptsname(terminal));
    }
    window->setDocument("kept");
    window->setToolbarCaption(QStringLiteral("  kept.bin"));

    MessageCatcher catcher;
    if (name == QLatin1String("empty.bin")) {
        openThroughDialog(file); // the only refusal the dialog itself lets through
    } else {
        QVERIFY(!window->openFile(file));
    }

    QCOMPARE(catcher.messages.size(), 1);
    const QString text = catcher.messages[0].text;
    QVERIFY2(text.startsWith(expectedText), qPrintable(text));
    QVERIFY2(text.contains(reason), qPrintable(text));
    if (name != QLatin1String("empty.bin"))
        QVERIFY(text.contains(file));
    QCOMPARE(catcher.messages[0].buttonCount, 1);
    QCOMPARE(window->document(), QByteArray("kept"));
    QCOMPARE(window->panelText(1), QStringLiteral("4"));
    QCOMPARE(window->toolbarCaption(), QStringLiteral("  kept.bin"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void FileCommandsTest::commandLineAndDroppedFilesOpenLikeTheDialog_data() {
    QTest::addColumn<QString>("dropTarget");
    QTest::newRow("input pane") << objectnames::inputPane;
    QTest::newRow("hex pane") << objectnames::hexPane;
    QTest::newRow("output pane") << objectnames::outputPane;
    QTest::newRow("status bar") << objectnames::statusBar;
}

void FileCommandsTest::commandLineAndDroppedFilesOpenLikeTheDialog() {
    QFETCH(QString, dropTarget);
    const QString first = path("first.bin");
    const QString second = path("second.bin");
    QVERIFY(writeFile(first, "\x01\x02\x03"));
    QVERIFY(writeFile(second, "\xC0\xC1"));

    QVERIFY(window->openFile(first));
    QCOMPARE(window->document(), QByteArray("\x01\x02\x03"));
    QCOMPARE(window->toolbarCaption(), QStringLiteral("  ") + first);

    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(second)});
    data.setText(QUrl::fromLocalFile(second).toString()); // as file managers offer it
    QWidget *target = window->findChild<QWidget *>(dropTarget);
    QVERIFY(target);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(target))
        target = area->viewport();
    const QPoint where = target->rect().center();
    QDragEnterEvent enter(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(where, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);

    QCOMPARE(window->document(), QByteArray("\xC0\xC1"));
    QCOMPARE(window->panelText(1), QStringLiteral("2"));
    QCOMPARE(window->toolbarCaption(), QStringLiteral("  ") + second);
    QVERIFY(child<TokenView>(window, objectnames::hexPane)->isEmpty());
    QVERIFY(child<TokenView>(window, objectnames::outputPane)->isEmpty());
}

void FileCommandsTest::saveProposesTheOpenedPathUnderItsOwnTitle() {
    const QString file = path("opened.bin");
    QVERIFY(writeFile(file, "x"));
    QVERIFY(writeFile(path("klishe"), "x")); // no dot, like many register files
    openThroughDialog(file);

    QString proposed;
    QString title;
    QStringList filters;
    DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
        proposed = dialog->selectedFiles().value(0);
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        auto listed = [dialog] {
            const auto *view = dialog->findChild<QAbstractItemView *>(QStringLiteral("listView"));
            QStringList names;
            for (int row = 0; view && row < view->model()->rowCount(view->rootIndex()); ++row) {
                // Some platforms list a name the filter rejects, greyed out.
                const QModelIndex item = view->model()->index(row, 0, view->rootIndex());
                if (item.flags() & Qt::ItemIsEnabled)
                    names << item.data().toString();
            }
            return names;
        };
        QTRY_VERIFY2(listed().contains(QStringLiteral("klishe")), qPrintable(listed().join(' ')));
    });
    trigger(objectnames::saveCommand);
    QVERIFY(answer.seen);
    QCOMPARE(proposed, file);
    QCOMPARE(title, QStringLiteral("Save As"));
    QCOMPARE(filters, QStringList{QStringLiteral("All Files (*.*)")});
}

// Every caption, button and cell of the details view reads Russian (file
// names aside) and fits its column.
// A refused open leaves the document and its file as they were: Save As
// proposes that file, never the refused one, so Enter and the overwrite
// question cannot replace a file the user never saw. A typed document gets
// the folder and no name.
void FileCommandsTest::saveProposesTheFileOfTheDocumentOnScreen_data() {
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("proposed");
    QTest::newRow("opened, then too large refused")
        << QStringList{"open small.bin", "open huge.bin"} << "small.bin";
    QTest::newRow("opened, then empty refused")
        << QStringList{"open small.bin", "open empty.bin"} << "small.bin";
    QTest::newRow("typed, then too large refused") << QStringList{"type", "open huge.bin"} << "";
    QTest::newRow("typed, then empty refused") << QStringList{"type", "open empty.bin"} << "";
    QTest::newRow("opened, then saved as another")
        << QStringList{"open small.bin", "save other.bin", "open empty.bin"} << "other.bin";
}

void FileCommandsTest::saveProposesTheFileOfTheDocumentOnScreen() {
    QFETCH(QStringList, steps);
    QFETCH(QString, proposed);
    QVERIFY(writeFile(path("small.bin"), "small"));
    QVERIFY(writeFile(path("empty.bin"), {}));
    {
        QFile huge(path("huge.bin")); // sparse, one byte over the bound
        QVERIFY(huge.open(QIODevice::WriteOnly));
        QVERIFY(huge.resize(sizebounds::openedFileAtMost + 1));
    }
    MessageCatcher catcher; // the refusals, then the overwrite question
    for (const QString &step : steps) {
        const QString file = path(qPrintable(step.section(QLatin1Char(' '), 1)));
        if (step.startsWith(QLatin1String("open"))) {
            openThroughDialog(file);
        } else if (step.startsWith(QLatin1String("save"))) {
            DialogAnswer<QFileDialog> answer(
                [file](QFileDialog *dialog) { chooseInFileDialog(dialog, file); });
            trigger(objectnames::saveCommand);
            QVERIFY(answer.seen);
        } else {
            auto *input = child<QWidget>(window, objectnames::inputPane);
            input->setFocus();
            typeText(input, QStringLiteral("typed"));
        }
    }
    const QByteArray document = window->document();

    QString name;
    QString folder;
    DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
        name = child<QLineEdit>(dialog, "fileNameEdit")->text();
        folder = dialog->directory().absolutePath();
        if (!name.isEmpty())
            QTest::keyClick(child<QLineEdit>(dialog, "fileNameEdit"), Qt::Key_Return);
    });
    trigger(objectnames::saveCommand);
    QVERIFY(answer.seen);

    QCOMPARE(name, proposed);
    QCOMPARE(folder, QDir(dir.path()).absolutePath());
    QCOMPARE(QFileInfo(path("huge.bin")).size(), sizebounds::openedFileAtMost + 1);
    QCOMPARE(QFileInfo(path("empty.bin")).size(), 0);
    if (!proposed.isEmpty())
        QCOMPARE(readFile(path(qPrintable(proposed))), document);
}

void FileCommandsTest::fileDialogSpeaksRussianInColumnsWideEnough() {
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("dialog")));
    const QString file = dir.filePath(QStringLiteral("dialog/Клише_АМС100Ф_магазин_№2.bin"));
    QVERIFY(writeFile(file, "x"));
    QFile big(path("dialog/big.bin"));
    QVERIFY(big.open(QIODevice::WriteOnly) && big.resize(1024 * 1024)); // sparse
    big.close();
    QVERIFY(window->openFile(file)); // the dialog starts in that folder

    const QRegularExpression latin(QStringLiteral("[A-Za-z]"));
    QStringList english;
    DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
        auto *details = dialog->findChild<QTreeView *>(QStringLiteral("treeView"));
        QVERIFY(details);
        QAbstractItemModel *model = details->model();
        QTRY_COMPARE(model->rowCount(details->rootIndex()), 2);
        for (const QLabel *label : dialog->findChildren<QLabel *>())
            english << label->text();
        for (const QAbstractButton *button : dialog->findChildren<QAbstractButton *>())
            english << button->text() << button->toolTip();
        const QFontMetrics metrics = details->fontMetrics();
        for (int column = 0; column < 4; ++column) {
            const QString caption = model->headerData(column, Qt::Horizontal).toString();
            english << caption;
            QVERIFY(metrics.horizontalAdvance(caption) < details->header()->sectionSize(column));
            for (int row = 0; row < 2; ++row) {
                const QString cell =
                    model->index(row, column, details->rootIndex()).data().toString();
                if (column > 0)
                    english << cell;
                const int icon = column == 0 ? details->iconSize().width() : 0;
                QVERIFY2(metrics.horizontalAdvance(cell) + icon <
                             details->header()->sectionSize(column),
                         qPrintable(cell));
            }
        }
    });
    trigger(objectnames::openCommand);
    QVERIFY(answer.seen);
    english = english.filter(latin);
    QVERIFY2(english.isEmpty(), qPrintable(english.join(QStringLiteral(" | "))));
}

void FileCommandsTest::saveWritesExactlyTheDocument_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("all byte values") << allByteValues();
    QTest::newRow("line breaks of every kind") << QByteArray("A\r\nB\nC\rD");
    QTest::newRow("empty document") << QByteArray();
}

void FileCommandsTest::saveWritesExactlyTheDocument() {
    QFETCH(QByteArray, bytes);
    window->setDocument(bytes);
    const QString file = dir.filePath(QLatin1String(QTest::currentDataTag()) + ".bin");

    DialogAnswer<QFileDialog> answer(
        [file](QFileDialog *dialog) { chooseInFileDialog(dialog, file); });
    trigger(objectnames::saveCommand);
    QVERIFY(answer.seen);

    QCOMPARE(readFile(file), bytes);
    QCOMPARE(window->document(), bytes);
}

void FileCommandsTest::saveOverAnExistingFileAsksFirst() {
    const QString file = path("existing.bin");
    QVERIFY(writeFile(file, "old"));
    window->setDocument("new");

    MessageCatcher catcher;
    DialogAnswer<QFileDialog> answer(
        [file](QFileDialog *dialog) { chooseInFileDialog(dialog, file); });
    trigger(objectnames::saveCommand);

    QCOMPARE(catcher.messages.size(), 1); // the question, and no failure
    QCOMPARE(readFile(file), QByteArray("new"));
}

void FileCommandsTest::failedSaveShowsReasonAndLeavesTargetIntact() {
    const QString missing = path("no-such-folder/klishe.bin");
    window->setDocument("document");

    MessageCatcher catcher;
    DialogAnswer<QFileDialog> answer(
        [missing](QFileDialog *dialog) { chooseInFileDialog(dialog, missing); });
    trigger(objectnames::saveCommand);
    QVERIFY(answer.seen);

    QTRY_COMPARE(catcher.messages.size(), 1);
    QVERIFY2(catcher.messages[0].text.startsWith(QStringLiteral("Не удалось сохранить файл:")),
             qPrintable(catcher.messages[0].text));
    QVERIFY(!QFile::exists(missing));
    QCOMPARE(window->document(), QByteArray("document"));
}

void FileCommandsTest::saveOntoFullDeviceLeavesTargetIntact() {
    const QString mountPoint = path("tiny");
    QDir().mkpath(mountPoint);
    if (::mount("tmpfs", mountPoint.toLocal8Bit().constData(), "tmpfs", 0, "size=64k") != 0)
        QSKIP("mounting a small tmpfs needs root");
    const auto unmount = qScopeGuard([&] { ::umount(mountPoint.toLocal8Bit().constData()); });

    const QString file = mountPoint + QStringLiteral("/klishe.bin");
    QVERIFY(writeFile(file, "old content"));
    window->setDocument(QByteArray(256 * 1024, 'x'));

    MessageCatcher catcher;
    DialogAnswer<QFileDialog> answer(
        [file](QFileDialog *dialog) { chooseInFileDialog(dialog, file); });
    trigger(objectnames::saveCommand);

    const QStringList texts = catcher.texts(); // the overwrite question, then the failure
    QCOMPARE(texts.size(), 2);
    QVERIFY2(texts[1].contains(file), qPrintable(texts[1]));
    QCOMPARE(readFile(file), QByteArray("old content"));
}

// A name in code page 1251 from an old flash drive: given to the dialog as
// Qt decodes it ("��.bin"), or by its bytes on the command line, the file
// itself opens and is saved, and its name shows each foreign byte as \xCF.
void FileCommandsTest::nameThatIsNotUtf8OpensAndSaves() {
    const QByteArray native = QFile::encodeName(dir.path()) + "/\xCF\xF0.bin";
    const auto removeIt = qScopeGuard([&] { ::unlink(native.constData()); });
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "old", 3), ssize_t(3));
    ::close(fd);
    const QString shown = QStringLiteral("  ") + dir.path() + QStringLiteral("/\\xCF\\xF0.bin");

    openThroughDialog(QFile::decodeName(native));
    QCOMPARE(window->document(), QByteArray("old"));
    QCOMPARE(window->toolbarCaption(), shown);

    window->setDocument("new");
    MessageCatcher catcher;
    DialogAnswer<QFileDialog> answer(
        [&](QFileDialog *dialog) { chooseInFileDialog(dialog, QFile::decodeName(native)); });
    trigger(objectnames::saveCommand);
    QVERIFY(answer.seen);
    QCOMPARE(catcher.messages.size(), 1); // the question before overwriting, no failure
    QFile saved;
    QVERIFY(saved.open(::open(native.constData(), O_RDONLY), QIODevice::ReadOnly,
                       QFileDevice::AutoCloseHandle));
    QCOMPARE(saved.readAll(), QByteArray("new"));

    window->setDocument("");
    QVERIFY(window->openFile(dir.path() + QStringLiteral("/") + QChar(0xDCCF) + QChar(0xDCF0) +
                             QStringLiteral(".bin")));
    QCOMPARE(window->document(), QByteArray("new"));
    QCOMPARE(window->toolbarCaption(), shown);
}

// Two names in code page 1251 that Qt would decode alike ("��.bin") are
// listed each as itself, and the one chosen by a click, Enter or a double
// click opens, or is saved into, by its own bytes.
void FileCommandsTest::nameThatIsNotUtf8IsListedAndChosen_data() {
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("how");
    QTest::newRow("open: a click, then Open") << objectnames::openCommand << "click";
    QTest::newRow("open: Enter on the row") << objectnames::openCommand << "Enter";
    QTest::newRow("open: a double click") << objectnames::openCommand << "double click";
    QTest::newRow("open: the shown name typed") << objectnames::openCommand << "typed";
    QTest::newRow("save: a click, then Save") << objectnames::saveCommand << "click";
    QTest::newRow("save: the opened file proposed") << objectnames::saveCommand << "proposed";
}

void FileCommandsTest::nameThatIsNotUtf8IsListedAndChosen() {
    QFETCH(QString, command);
    QFETCH(QString, how);
    const QString raw = path(qPrintable(QStringLiteral("raw ") + QTest::currentDataTag()));
    QVERIFY(QDir().mkdir(raw));
    const QByteArray folder = QFile::encodeName(raw);
    const QByteArray first = folder + "/\xCF\xF0.bin";
    const QByteArray second = folder + "/\xCF\xF1.bin";
    const auto removeThem = qScopeGuard([&] {
        ::unlink(first.constData());
        ::unlink(second.constData());
    });
    for (const auto &[name, bytes] : {std::pair{first, "first"}, std::pair{second, "second"}}) {
        const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        QCOMPARE(::write(fd, bytes, qstrlen(bytes)), ssize_t(qstrlen(bytes)));
        ::close(fd);
    }
    QVERIFY(writeFile(raw + "/plain.bin", "plain"));
    QVERIFY(window->openFile(raw + "/plain.bin")); // the dialogs start in its folder
    if (how == QLatin1String("proposed"))
        QVERIFY(window->openFile(raw + "/" + QChar(0xDCCF) + QChar(0xDCF1) + ".bin"));
    window->setDocument("typed");

    MessageCatcher catcher; // the question before overwriting
    QStringList listed;
    DialogAnswer<QFileDialog> answer([&](QFileDialog *dialog) {
        QAbstractItemView *view = shownFileView(dialog);
        // Qt's model lists the folder on a thread of its own: wait for its
        // file too, or the rows may still move under the click.
        QTRY_VERIFY(listedNames(view).contains(QStringLiteral("\\xCF\\xF1.bin")) &&
                    listedNames(view).contains(QStringLiteral("plain.bin")));
        listed = listedNames(view);
        listed.sort();
        const QModelIndex row = view->model()->index(
            int(listedNames(view).indexOf(QStringLiteral("\\xCF\\xF1.bin"))), 0, view->rootIndex());
        chooseRow(dialog, view, row, how);
    });
    trigger(qPrintable(command));
    QVERIFY(answer.seen);

    QCOMPARE(listed, QStringList({"\\xCF\\xF0.bin", "\\xCF\\xF1.bin", "plain.bin"}));
    const auto read = [](const QByteArray &native) {
        QFile file;
        if (!file.open(::open(native.constData(), O_RDONLY), QIODevice::ReadOnly,
                       QFileDevice::AutoCloseHandle))
            return QByteArray("<unreadable>");
        return file.readAll();
    };
    if (command == QLatin1String(objectnames::openCommand)) {
        QCOMPARE(window->document(), QByteArray("second"));
        QCOMPARE(window->toolbarCaption(), "  " + raw + "/\\xCF\\xF1.bin");
        QCOMPARE(catcher.messages.size(), 0);
    } else {
        QCOMPARE(catcher.texts(), QStringList("\\xCF\\xF1.bin уже существует.\nЗаменить его?"));
        QCOMPARE(read(second), QByteArray("typed"));
    }
    QCOMPARE(read(first), QByteArray("first"));
}

KKTVIEW_TEST_MAIN(FileCommandsTest)
#include "tst_filecommands.moc"
