#include "form1.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "inputpane.h"
#include "io/nativename.h"
#include "messagebox.h"
#include "panenotice.h"
#include "recovery/documentrecovery.h"
#include "recoverydialog.h"
#include "recoverytext.h"
#include "savechanges.h"

#include <QApplication>
#include <QSessionManager>

// The recovery copies: what the window does so that no edit is lost when a
// document is dropped unasked or the program is killed.

void Form1::setUpRecovery() {
    recovery = new DocumentRecovery(doc, recovery::defaultDirectory(), this);
    connect(recovery, &DocumentRecovery::writeFailed, this, [this](const QString &reason) {
        PaneNotice::say(inputPane, tr("Копия для восстановления не записана: %1").arg(reason));
    });
    // The last moment the event loop still runs, however the program ends.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { recovery->secure(); });
#ifndef QT_NO_SESSIONMANAGER
    // The session ends (logout), and a signal or the display's loss follows
    // when nothing can be asked any more: the copy is written now, and a
    // failed one asked about while the session manager lets the program ask.
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this](QSessionManager &manager) {
        const QString reason = recovery->secure();
        if (reason.isEmpty() || !manager.allowsInteraction())
            return;
        const bool mayEnd = askToSaveUnsaved(reason);
        manager.release();
        if (!mayEnd)
            manager.cancel();
    });
#endif
}

// Nothing is asked while the copy holds the unsaved edits: it is written
// at once, before the document goes.
bool Form1::unsavedMayGo() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QString reason = recovery->secure();
    QApplication::restoreOverrideCursor();
    return reason.isEmpty() || askToSaveUnsaved(reason);
}

bool Form1::askToSaveUnsaved(const QString &reason) {
    switch (savechanges::ask(this, documentFile, recovery->store().directory(), reason)) {
    case savechanges::Answer::Save:
        return documentFile.isEmpty() ? saveDocumentAs() : saveDocumentTo(documentFile);
    case savechanges::Answer::Discard:
        return true;
    case savechanges::Answer::Cancel:
        return false;
    }
    return false;
}

bool Form1::keepUnsaved() {
    if (!unsavedMayGo())
        return false;
    recovery->keep();
    return true;
}

QString Form1::keepUnsavedUnasked() {
    return recovery->secure();
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
    if (dialog.exec() != QDialog::Accepted || !unsavedMayGo())
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
