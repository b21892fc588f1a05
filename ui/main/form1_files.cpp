#include "form1.h"

#include "objectnames.h"

#include "base/sizebounds.h"
#include "bytenamedialog.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecomparison.h"
#include "hexpane.h"
#include "io/document.h"
#include "io/nativename.h"
#include "messagebox.h"
#include "recovery/documentrecovery.h"
#include "ruler.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLocale>
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

// The URL carries the name's bytes percent-encoded; toLocalFile() would
// decode bytes that are not UTF-8 lossily.
QString localFileOf(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().constFirst();
    if (!url.isLocalFile())
        return {};
    const QByteArray native =
        QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
    return nativename::resolveLossy(nativename::decode(native)).path;
}

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

void Form1::prepareForOpen() {
    mnuNormal();
    hexPane->clear();
    outputPane->clear();
    ruler->hide();
}

void Form1::mnuOpen() {
    prepareForOpen();

    ByteNameDialog dialog(this);
    dialog.setObjectName(QLatin1String(objectnames::openDialog));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (!gcdgFileName.isEmpty())
        dialog.setDirectory(QFileInfo(gcdgFileName).absolutePath());
    // The open dialog starts with an empty name.
    dialog.selectFile(QString());
    const QString path = chosenPath(dialog);
    if (path.isEmpty())
        return;
    gcdgFileName = path;
    loadDocument(path);
}

bool Form1::openFile(const QString &path) {
    prepareForOpen();
    if (path.isEmpty())
        return false;
    const QString absolute = nativename::absolute(path);
    gcdgFileName = absolute;
    return loadDocument(absolute);
}

// The file is read whole before the pane is touched, so a failed open never
// costs the document.
bool Form1::loadDocument(const QString &path) {
    document::LoadResult loaded;
    {
        WaitCursor wait;
        loaded = document::load(path, sizebounds::openedFileAtMost);
    }
    if (loaded.status == document::LoadResult::Status::Loaded) {
        // What the window drops is kept first, or stays at the user's word.
        if (!keepUnsaved())
            return false;
        WaitCursor wait;
        // A comparison was of the document dropped.
        stopComparison();
        // The file's buffer becomes the document, not copied.
        doc->load(std::move(loaded.bytes));
        selection->moveCaret(0);
        recovery->setOriginFile(path);
        setPanelText(1, QString::number(doc->size()));
        setPanelText(2, QStringLiteral(" bytes"));
    }

    switch (loaded.status) {
    case document::LoadResult::Status::Loaded:
        setToolbarCaption(QStringLiteral("  ") + nativename::displayed(path));
        documentFile = path;
        return true;
    case document::LoadResult::Status::Empty:
        showMessage(this, QStringLiteral("Empty file"));
        return false;
    case document::LoadResult::Status::TooLarge:
        showMessage(this,
                    tr("Файл слишком большой:\n%1\nРазмер в байтах: %2, можно открыть не более %3.")
                        .arg(shownPath(path), byteCount(loaded.size),
                             byteCount(sizebounds::openedFileAtMost)));
        return false;
    case document::LoadResult::Status::Failed:
        showMessage(this,
                    tr("Не удалось открыть файл:\n%1\n%2").arg(shownPath(path), loaded.error));
        return false;
    }
    return false;
}

void Form1::mnuSave() {
    saveDocumentAs();
}

bool Form1::saveDocumentAs() {
    ByteNameDialog dialog(this, QStringLiteral("Save As"));
    dialog.setObjectName(QLatin1String(objectnames::saveDialog));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("All Files (*.*)"));
    listEveryFile(dialog);
    // The dialog proposes the file of the document on screen, never one
    // whose open was refused: Enter would overwrite it. A typed document
    // gets the folder last chosen in either dialog and no name.
    if (!documentFile.isEmpty()) {
        dialog.setDirectory(QFileInfo(documentFile).absolutePath());
        dialog.proposeFile(documentFile);
    } else if (!gcdgFileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(gcdgFileName).absolutePath());
    }
    const QString path = chosenPath(dialog);
    if (path.isEmpty())
        return false;
    gcdgFileName = path;
    return saveDocumentTo(path);
}

bool Form1::saveDocumentTo(const QString &path) {
    const document::SaveResult saved = document::save(path, doc->bytes());
    if (!saved.ok) {
        showMessage(this,
                    tr("Не удалось сохранить файл:\n%1\n%2").arg(shownPath(path), saved.error));
        return false;
    }
    doc->setClean();
    documentFile = path;
    recovery->setOriginFile(path);
    return true;
}

// The open dialog's face and rules, titled for the comparison; the folder
// of the last file chosen.
QString Form1::chooseFileToCompare() {
    ByteNameDialog dialog(this, tr("Сравнить с файлом"));
    dialog.setObjectName(QLatin1String(objectnames::openDialog));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    listEveryFile(dialog);
    if (!gcdgFileName.isEmpty())
        dialog.setDirectory(QFileInfo(gcdgFileName).absolutePath());
    return chosenPath(dialog);
}

// The file is read whole, at most as large as a file the open command takes;
// a refusal keeps the comparison that was in force.
bool Form1::compareWithFile(const QString &path) {
    std::optional<QString> refused;
    {
        WaitCursor wait;
        refused = comparison->compareWith(nativename::absolute(path), sizebounds::openedFileAtMost);
    }
    if (refused) {
        showMessage(this, *refused);
        return false;
    }
    return true;
}

void Form1::dragEnterEvent(QDragEnterEvent *event) {
    if (!localFileOf(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QMainWindow::dragEnterEvent(event);
}

void Form1::dropEvent(QDropEvent *event) {
    const QString path = localFileOf(event->mimeData());
    if (path.isEmpty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    openFile(path);
}
