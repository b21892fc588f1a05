#include "form1.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "documentrecovery.h"
#include "inputpane.h"
#include "messagebox.h"
#include "nativename.h"
#include "panenotice.h"
#include "recoverydialog.h"
#include "recoverytext.h"

#include <QApplication>

// The recovery copies: what the window does so that no edit is lost when a
// document is dropped unasked or the program is killed.

void Form1::setUpRecovery() {
    recovery = new DocumentRecovery(doc, recovery::defaultDirectory(), this);
    connect(recovery, &DocumentRecovery::writeFailed, this, [this](const QString &reason) {
        PaneNotice::say(inputPane, tr("Копия для восстановления не записана: %1").arg(reason));
    });
}

// Before the window drops the document (open, clear, close), its copy is
// written if it has unsaved edits.
void Form1::keepUnsaved() {
    recovery->keep();
}

void Form1::offerRecovery() {
    const recovery::Store &store = recovery->store();
    store.prune();
    const QString text = recoverytext::notice(store.list(), QDateTime::currentDateTime());
    if (!text.isEmpty())
        PaneNotice::say(inputPane, text);
}

// The chosen copy becomes the document, unsaved; Save As proposes the file
// it came from. The document on screen is kept first, like any dropped one.
void Form1::mnuRestore() {
    RecoveryDialog dialog(recovery->store(), this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    QString reason;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<recovery::CopyInfo> restored =
        recovery->restore(dialog.chosenId(), &reason);
    if (restored) {
        prepareForOpen();
        selection->moveCaret(0);
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
    PaneNotice::say(inputPane, recoverytext::restored(*restored, QDateTime::currentDateTime()));
}
