#include "filecommands.h"

#include "objectnames.h"

#include "base/sizebounds.h"
#include "bytenamedialog.h"
#include "captionbutton.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecomparison.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "io/document.h"
#include "io/nativename.h"
#include "messagebox.h"
#include "recovery/documentrecovery.h"
#include "savechanges.h"
#include "viewcommands.h"
#include "ruler.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>
#include <QMainWindow>
#include <QMessageBox>
#include <QMimeData>

namespace {

// The hourglass while a file loads, the default pointer again on every way out.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

// A name for messages and the toolbar: a byte that is not UTF-8 as \xCF.
QString shownPath(const QString &path) {
    return QDir::toNativeSeparators(nativename::displayed(path));
}

// "*.*" means every file where the filter comes from; here it would hide
// every name without a dot, as register files often are. The filter keeps
// its caption and lists them all.
void listEveryFile(QFileDialog &dialog) {
    auto *model = dialog.findChild<QFileSystemModel *>();
    if (!model)
        return;
    const auto everyName = [model] { model->setNameFilters({QStringLiteral("*")}); };
    everyName();
    QObject::connect(&dialog, &QFileDialog::filterSelected, model, everyName);
}

// The path the user chose, or nothing when the dialog was cancelled. A file
// whose name is not UTF-8 comes by its bytes when chosen from the list; a
// name that Qt decoded lossily is found again by its bytes, and one that
// could be several is refused. Qt cannot see that such a file exists, so
// the question before overwriting it is asked here.
QString chosenPath(ByteNameDialog &dialog) {
    if (dialog.exec() != QDialog::Accepted)
        return {};
    const QString listed = dialog.chosenByBytes();
    if (listed.isEmpty() && dialog.selectedFiles().isEmpty())
        return {};
    const QString chosen = listed.isEmpty() ? dialog.selectedFiles().constFirst() : QString();
    const nativename::Resolved resolved =
        listed.isEmpty() ? nativename::resolveLossy(chosen) : nativename::Resolved{listed, {}};
    if (!resolved.error.isEmpty())
        showMessage(dialog.parentWidget(), resolved.error);
    if (dialog.acceptMode() == QFileDialog::AcceptSave && resolved.path != chosen &&
        !resolved.path.isEmpty()) {
        const auto answer =
            QMessageBox::warning(dialog.parentWidget(), dialog.windowTitle(),
                                 QStringLiteral("%1 уже существует.\nЗаменить его?")
                                     .arg(nativename::displayed(resolved.path.section(u'/', -1))),
                                 QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return {};
    }
    return resolved.path;
}

// Exact, in groups of three digits: "16 777 217".
QString byteCount(qint64 bytes) {
    return QLocale(QLocale::Russian).toString(bytes);
}

} // namespace

FileCommands::FileCommands(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {}

// The URL carries the name's bytes percent-encoded; toLocalFile() would
// decode bytes that are not UTF-8 lossily.
QString FileCommands::droppedFile(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QByteArray native =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return nativename::resolveLossy(nativename::decode(native)).path;
}

void FileCommands::open() {
    parts.views->clearForNewDocument();

    ByteNameDialog dialog(parts.window);
    dialog.setObjectName(QLatin1String(objectnames::openDialog));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!lastChosenPath.isEmpty())
        dialog.setDirectory(QFileInfo(lastChosenPath).absolutePath());
    // The open dialog starts with an empty name.
    dialog.selectFile(QString());
    const QString path = chosenPath(dialog);
    if (path.isEmpty())
        return;
    lastChosenPath = path;
    loadDocument(path);
}

bool FileCommands::openFile(const QString &path) {
    parts.views->clearForNewDocument();
    if (path.isEmpty())
        return false;
    const QString absolute = nativename::absolute(path);
    lastChosenPath = absolute;
    return loadDocument(absolute);
}

// The file is read whole before the pane is touched, so a failed open never
// costs the document.
bool FileCommands::loadDocument(const QString &path) {
    document::LoadResult loaded;
    {
        WaitCursor wait;
        loaded = document::load(path, sizebounds::openedFileAtMost);
    }
    QWidget *window = parts.window;
    switch (loaded.status) {
    case document::LoadResult::Status::Loaded: {
        // What the window drops is kept first, or stays at the user's word.
        if (!keepUnsaved())
            return false;
        WaitCursor wait;
        // A comparison was of the document dropped.
        parts.comparison->stop();
        // The file's buffer (or the file, read on demand) becomes the
        // document, not copied.
        if (loaded.file) {
            // Told once, when a read or a save finds the file changed.
            disconnect(parts.document, &ByteDocument::originalChangedOnDisk, this, nullptr);
            connect(parts.document, &ByteDocument::originalChangedOnDisk, this, [this, path] {
                showMessage(parts.window, document::changedOnDiskMessage(path));
            });
            parts.document->loadFile(std::move(loaded.file));
        } else {
            parts.document->load(std::move(loaded.bytes));
        }
        parts.selection->moveCaret(0);
        setDocumentFile(path);
        return true;
    }
    case document::LoadResult::Status::Empty:
        showMessage(window, QStringLiteral("Empty file"));
        return false;
    case document::LoadResult::Status::TooLarge:
        showMessage(window,
                    tr("Файл слишком большой:\n%1\nРазмер в байтах: %2, можно открыть не более %3.")
                        .arg(shownPath(path), byteCount(loaded.size),
                             byteCount(sizebounds::openedFileAtMost)));
        return false;
    case document::LoadResult::Status::Failed:
        showMessage(window,
                    tr("Не удалось открыть файл:\n%1\n%2").arg(shownPath(path), loaded.error));
        return false;
    }
    return false;
}

void FileCommands::setDocumentFile(const QString &path) {
    parts.document->setFile(FileIdentity::of(path));
    parts.pathButton->setCaption(
        path.isEmpty() ? QString() : QStringLiteral("  ") + shownPath(path));
}

void FileCommands::save() {
    saveDocumentAs();
}

bool FileCommands::saveDocumentAs() {
    ByteNameDialog dialog(parts.window, QStringLiteral("Save As"));
    dialog.setObjectName(QLatin1String(objectnames::saveDialog));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("All Files (*.*)"));
    listEveryFile(dialog);
    // The dialog proposes the file of the document on screen, never one
    // whose open was refused: Enter would overwrite it. A typed document
    // gets the folder last chosen in either dialog and no name.
    if (const QString &file = parts.document->file().path; !file.isEmpty()) {
        dialog.setDirectory(QFileInfo(file).absolutePath());
        dialog.proposeFile(file);
    } else if (!lastChosenPath.isEmpty()) {
        dialog.setDirectory(QFileInfo(lastChosenPath).absolutePath());
    }
    const QString path = chosenPath(dialog);
    if (path.isEmpty())
        return false;
    lastChosenPath = path;
    return saveDocumentTo(path);
}

bool FileCommands::saveDocumentTo(const QString &path) {
    const document::SaveResult saved = document::save(path, parts.document->bytes());
    if (!saved.ok) {
        showMessage(parts.window,
                    tr("Не удалось сохранить файл:\n%1\n%2").arg(shownPath(path), saved.error));
        return false;
    }
    parts.document->setClean();
    parts.document->setFile(FileIdentity::of(path));
    return true;
}

// The folder of the last file chosen.
QString FileCommands::chooseFileToCompare() {
    ByteNameDialog dialog(parts.window, tr("Сравнить с файлом"));
    dialog.setObjectName(QLatin1String(objectnames::openDialog));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    listEveryFile(dialog);
    if (!lastChosenPath.isEmpty())
        dialog.setDirectory(QFileInfo(lastChosenPath).absolutePath());
    return chosenPath(dialog);
}

void FileCommands::clearDocument() {
    if (!keepUnsaved())
        return;
    parts.hexEditLink->stop();
    parts.comparison->stop();
    parts.document->clear();
}

// Nothing is asked while the copy holds the unsaved edits: it is written
// at once, before the document goes.
bool FileCommands::unsavedMayGo() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString reason = parts.recovery->secure();
    QApplication::restoreOverrideCursor();
    return reason.isEmpty() || askToSaveUnsaved(reason);
}

bool FileCommands::askToSaveUnsaved(const QString &reason) {
    const QString file = parts.document->file().path;
    switch (savechanges::ask(parts.window, file, parts.recovery->store().directory(), reason)) {
    case savechanges::Answer::Save:
        return file.isEmpty() ? saveDocumentAs() : saveDocumentTo(file);
    case savechanges::Answer::Discard:
        return true;
    case savechanges::Answer::Cancel:
        return false;
    }
    return false;
}

bool FileCommands::keepUnsaved() {
    if (!unsavedMayGo())
        return false;
    parts.recovery->keep();
    return true;
}
