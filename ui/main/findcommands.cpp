#include "findcommands.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "document/search.h"
#include "finddialog.h"
#include "gotodialog.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "messagebox.h"
#include "viewcommands.h"
#include "windowlayout.h"

#include <QMainWindow>
#include <QToolTip>

FindCommands::FindCommands(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {
    // A caret moved out of a dumped piece by another window (the cliche
    // check's findings) or a command: the whole document shows, once the
    // move is complete.
    connect(parts.selection, &ByteSelection::changed, this, &FindCommands::keepCaretInSight,
            Qt::QueuedConnection);
}

void FindCommands::find() {
    if (!findDialog)
        findDialog = new FindDialog(parts.window);
    if (findDialog->exec() == QDialog::Accepted)
        findFromCursor();
}

void FindCommands::findNext() {
    if (!findDialog || !findDialog->pattern()) {
        find();
        return;
    }
    findFromCursor();
}

// Searches the whole document from the end of the selection on, going round
// from the start when the end comes first.
void FindCommands::findFromCursor() {
    const search::Pattern &pattern = *findDialog->pattern();
    const PieceTable &bytes = parts.document->bytes();
    const search::Match match = search::findNext(bytes, pattern, parts.selection->end());
    if (!match.found()) {
        showMessage(parts.window, tr("Не найдено"));
        return;
    }
    qint64 length = pattern.bytes.size();
    // The input pane shows a CR LF pair as one line break: a match that
    // ends on the CR takes the LF too, as the pane would show it.
    const qint64 end = match.offset + length;
    if (crlf::splits(bytes, end))
        ++length;
    showBytes(match.offset, length);
    if (match.wrapped)
        sayOverPane(tr("Поиск дошёл до конца документа и продолжен с начала"));
    else
        unsayOverPane();
}

void FindCommands::goToOffset() {
    if (!gotoDialog)
        gotoDialog = new GotoDialog(parts.window);
    gotoDialog->setDocumentSize(parts.document->size());
    if (gotoDialog->exec() != QDialog::Accepted)
        return;
    showBytes(gotoDialog->offset(), 0);
}

// Selects the bytes in the middle of the input pane, so the lines around
// them show too; in the hex-edit layout the link shows them in the hex pane,
// over the whole document when the piece dumped does not hold them, so a
// caret is never moved where it cannot be seen. The pane in front takes the
// keyboard: hex digits typed next overwrite the byte found.
void FindCommands::showBytes(qint64 offset, qint64 length) {
    HexEditLink *link = parts.hexEditLink;
    if (link->isActive() && !link->shows(offset, length))
        parts.views->dumpWholeDocument();
    parts.inputPane->selectBytes(offset, length);
    parts.inputPane->centerCaret();
    if (link->isActive())
        parts.hexPane->ensureVisible(parts.hexPane->cursorPlace());
    parts.layout->paneInFront()->setFocus();
}

void FindCommands::keepCaretInSight() {
    HexEditLink *link = parts.hexEditLink;
    if (!link->isActive() || link->shows(parts.selection->caret(), 0))
        return;
    parts.views->showWholeDocument();
}

void FindCommands::sayOverPane(const QString &text) {
    QWidget *front = parts.layout->paneInFront();
    QToolTip::showText(front->mapToGlobal(QPoint(front->width() / 4, 0)), text, front, QRect(),
                       4000);
}

void FindCommands::unsayOverPane() {
    QToolTip::hideText();
}
