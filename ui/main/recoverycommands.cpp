#include "recoverycommands.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecommands.h"
#include "inputpane.h"
#include "io/document.h"
#include "messagebox.h"
#include "panenotice.h"
#include "recovery/documentrecovery.h"
#include "recoverydialog.h"
#include "recoverytext.h"
#include "viewcommands.h"

#include <QApplication>
#include <QMainWindow>
#include <QSessionManager>

RecoveryCommands::RecoveryCommands(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {}

void RecoveryCommands::watchCopies() {
    DocumentRecovery *recovery = parts.recovery;
    connect(recovery, &DocumentRecovery::writeFailed, this, [this](const QString &reason) {
        PaneNotice::say(this->parts.inputPane,
                        tr("Копия для восстановления не записана: %1").arg(reason));
    });
    // The last moment the event loop still runs, however the program ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [recovery] { recovery->secure(); });
#ifndef QT_NO_SESSIONMANAGER
    // The session ends (logout), and a signal or the display's loss follows
    // when nothing can be asked any more: the copy is written now, and a
    // failed one asked about while the session manager lets the program ask.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this, recovery](QSessionManager &manager) {
                const QString reason = recovery->secure();
                if (reason.isEmpty() || !manager.allowsInteraction())
                    return;
                const bool mayEnd = this->parts.files->askToSaveUnsaved(reason);
                manager.release();
                if (!mayEnd)
                    manager.cancel();
            });
#endif
}

void RecoveryCommands::offerRecovery() {
    const recovery::Store &store = parts.recovery->store();
    store.prune();
    const QString text = recoverytext::notice(store.list(), QDateTime::currentDateTime());
    if (!text.isEmpty())
        PaneNotice::say(parts.inputPane, text);
}

// Save As proposes the file the copy came from. The document on screen is
// kept first, like any dropped one.
void RecoveryCommands::restore() {
    RecoveryDialog dialog(parts.recovery->store(), parts.window);
    if (dialog.exec() != QDialog::Accepted || !parts.files->unsavedMayGo())
        return;
    QString reason;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<recovery::CopyInfo> restored =
        parts.recovery->restore(dialog.chosenId(), &reason);
    if (restored) {
        parts.views->clearForNewDocument();
        parts.selection->moveCaret(0);
    }
    QApplication::restoreOverrideCursor();
    if (!restored) {
        showMessage(parts.window, tr("Не удалось восстановить документ:\n%1").arg(reason));
        return;
    }
    // A copy of edits reads its original file on demand, which another
    // program may change as any open file; the message names that file. The
    // file commands drop the connection with the next file they open.
    disconnect(parts.document, &ByteDocument::originalChangedOnDisk, parts.files, nullptr);
    if (const FileSource *original = parts.document->bytes().file()) {
        connect(parts.document, &ByteDocument::originalChangedOnDisk, parts.files,
                [window = parts.window, path = original->path()] {
                    showMessage(window, document::changedOnDiskMessage(path));
                });
    }
    parts.files->setDocumentFile(restored->origin);
    PaneNotice::say(parts.inputPane,
                    recoverytext::restored(*restored, QDateTime::currentDateTime()));
}
