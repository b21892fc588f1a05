#include "form1.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "document.h"
#include "filedialog.h"
#include "hexpane.h"
#include "messagebox.h"
#include "openlimits.h"
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

QString localFileOf(const QMimeData *data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1)
        return {};
    const QUrl url = data->urls().constFirst();
    return url.isLocalFile() ? url.toLocalFile() : QString();
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

// The path the user chose, or nothing when the dialog was cancelled.
QString chosenPath(QFileDialog &dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

// Exact, in groups of three digits: "16 777 217".
QString byteCount(qint64 bytes) {
    return QLocale(QLocale::Russian).toString(bytes);
}

} // namespace

void Form1::prepareForOpen() {
    mnuNormal();
    RTB2->clear();
    RTB3->clear();
    Lbl1->hide();
}

void Form1::mnuOpen() {
    prepareForOpen();

    QFileDialog dialog(this);
    dialog.setObjectName(QStringLiteral("gcdgOpen"));
    prepareFileDialog(dialog);
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
    const QString absolute = QFileInfo(path).absoluteFilePath();
    gcdgFileName = absolute;
    return loadDocument(absolute);
}

// The file is read whole before the pane is touched, so a failed open never
// costs the document.
bool Form1::loadDocument(const QString &path) {
    document::LoadResult loaded;
    {
        WaitCursor wait;
        loaded = document::load(path, maxDocumentBytes);
        if (loaded.status == document::LoadResult::Status::Loaded) {
            // The file's buffer becomes the document; it is not copied.
            doc->load(std::move(loaded.bytes));
            selection->moveCaret(0);
            setPanelText(1, QString::number(doc->size()));
            setPanelText(2, QStringLiteral(" bytes"));
        }
    }

    switch (loaded.status) {
    case document::LoadResult::Status::Loaded:
        setToolbarCaption(QStringLiteral("  ") + path);
        return true;
    case document::LoadResult::Status::Empty:
        showMessage(this, QStringLiteral("Empty file"));
        return false;
    case document::LoadResult::Status::TooLarge:
        showMessage(this,
                    tr("Файл слишком большой:\n%1\nРазмер в байтах: %2, можно открыть не более %3.")
                        .arg(QDir::toNativeSeparators(path), byteCount(loaded.size),
                             byteCount(maxDocumentBytes)));
        return false;
    case document::LoadResult::Status::Failed:
        showMessage(this, tr("Не удалось открыть файл:\n%1\n%2")
                              .arg(QDir::toNativeSeparators(path), loaded.error));
        return false;
    }
    return false;
}

void Form1::mnuSave() {
    QFileDialog dialog(this, QStringLiteral("Save As"));
    dialog.setObjectName(QStringLiteral("gcdgSave"));
    prepareFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("All Files (*.*)"));
    listEveryFile(dialog);
    // The save dialog proposes the path last chosen in either dialog.
    if (!gcdgFileName.isEmpty()) {
        dialog.setDirectory(QFileInfo(gcdgFileName).absolutePath());
        dialog.selectFile(gcdgFileName);
    }
    const QString path = chosenPath(dialog);
    if (path.isEmpty())
        return;
    gcdgFileName = path;

    const document::SaveResult saved = document::save(path, doc->bytes().read(0, doc->size()));
    if (!saved.ok) {
        showMessage(this, tr("Не удалось сохранить файл:\n%1\n%2")
                              .arg(QDir::toNativeSeparators(path), saved.error));
        return;
    }
    doc->setClean();
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
