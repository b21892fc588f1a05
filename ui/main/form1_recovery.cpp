#include "form1.h"

#include "bytedocument.h"
#include "bytepane.h"
#include "documentrecovery.h"
#include "messagebox.h"
#include "nativename.h"
#include "panemirror.h"
#include "panenotice.h"
#include "recoverydialog.h"
#include "recoverytext.h"

#include <QApplication>

// The recovery copies: what the window does so that no edit is lost when a
// document is dropped unasked or the program is killed. Today the document
// lives in the input pane, and PaneMirror makes a ByteDocument of it for the
// copies to follow; once the window holds a ByteDocument, the recovery
// follows that one and the mirror goes.

void Form1::setUpRecovery() {
    paneMirror = new PaneMirror(RTB1, this);
    recovery = new DocumentRecovery(paneMirror->document(), recovery::defaultDirectory(), this);
    connect(recovery, &DocumentRecovery::writeFailed, this, [this](const QString &reason) {
        PaneNotice::say(RTB1, tr("Копия для восстановления не записана: %1").arg(reason));
    });
}

void Form1::keepUnsaved() {
    paneMirror->sync();
    recovery->keep();
}

// A file's bytes are now the document (keepUnsaved() came before).
void Form1::recoveryLoaded(const QString &path, const ByteText &bytes) {
    paneMirror->loaded(bytes);
    recovery->setOriginFile(path);
}

void Form1::recoverySaved(const QString &path) {
    paneMirror->saved();
    recovery->setOriginFile(path);
}

void Form1::offerRecovery() {
    const recovery::Store &store = recovery->store();
    store.prune();
    const QString text = recoverytext::notice(store.list(), QDateTime::currentDateTime());
    if (!text.isEmpty())
        PaneNotice::say(RTB1, text);
}

// The chosen copy becomes the document, unsaved; Save As proposes the file
// it came from. The document on screen is kept first, like any dropped one.
void Form1::mnuRestore() {
    RecoveryDialog dialog(recovery->store(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    paneMirror->sync();
    QString reason;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<recovery::CopyInfo> restored =
        recovery->restore(dialog.chosenId(), &reason);
    if (restored) {
        prepareForOpen();
        const ByteDocument *document = paneMirror->document();
        RTB1->setBytes(document->read(0, document->size()));
        paneMirror->restored();
    }
    QApplication::restoreOverrideCursor();
    if (!restored) {
        showMessage(this, tr("Не удалось восстановить документ:\n%1").arg(reason));
        return;
    }
    documentFile = restored->origin;
    setToolbarCaption(restored->origin.isEmpty()
                          ? QString()
                          : QStringLiteral("  ") + nativename::displayed(restored->origin));
    PaneNotice::say(RTB1, recoverytext::restored(*restored, QDateTime::currentDateTime()));
}
