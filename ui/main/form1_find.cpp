#include "form1.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/search.h"
#include "finddialog.h"
#include "gotodialog.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "messagebox.h"

void Form1::mnuFind() {
    if (!findDialog)
        findDialog = new FindDialog(this);
    if (findDialog->exec() == QDialog::Accepted)
        findFromCursor();
}

void Form1::mnuFindNext() {
    if (!findDialog || !findDialog->pattern()) {
        mnuFind();
        return;
    }
    findFromCursor();
}

// Searches the whole document from the end of the selection on, going round
// from the start when the end comes first.
void Form1::findFromCursor() {
    const search::Pattern &pattern = *findDialog->pattern();
    const PieceTable &bytes = doc->bytes();
    const search::Match match = search::findNext(bytes, pattern, selection->end());
    if (!match.found()) {
        showMessage(this, tr("Не найдено"));
        return;
    }
    qint64 length = pattern.bytes.size();
    // The input pane shows a CR LF pair as one line break: a match that
    // ends on the CR takes the LF too, as the pane would show it.
    const qint64 end = match.offset + length;
    if (end < bytes.size() && bytes.at(end - 1) == '\r' && bytes.at(end) == '\n')
        ++length;
    showBytes(match.offset, length);
    if (match.wrapped)
        sayOverPane(tr("Поиск дошёл до конца документа и продолжен с начала"));
    else
        unsayOverPane();
}

void Form1::mnuGoto() {
    if (!gotoDialog)
        gotoDialog = new GotoDialog(this);
    gotoDialog->setDocumentSize(doc->size());
    if (gotoDialog->exec() != QDialog::Accepted)
        return;
    showBytes(gotoDialog->offset(), 0);
}

// Selects the bytes in the middle of the input pane, so the lines around
// them show too; in the hex-edit layout the link shows them in the hex pane,
// over the whole document when the piece dumped does not hold them, so a
// caret is never moved where it cannot be seen. The pane in front takes the
// keyboard: hex digits typed next overwrite the byte found.
void Form1::showBytes(qint64 offset, qint64 length) {
    if (hexEditLink->isActive() && !hexEditLink->shows(offset, length))
        showWholeDocument();
    inputPane->selectBytes(offset, length);
    inputPane->centerCaret();
    if (hexEditLink->isActive())
        hexPane->ensureVisible(hexPane->cursorPlace());
    paneInFront()->setFocus();
}

void Form1::keepCaretInSight() {
    if (!hexEditLink->isActive() || hexEditLink->shows(selection->caret(), 0))
        return;
    showWholeDocument();
    hexPane->ensureVisible(hexPane->cursorPlace());
}

// The hex pane is in front exactly while it is linked to the document.
QWidget *Form1::paneInFront() const {
    if (hexEditLink->isActive())
        return hexPane;
    return inputPane;
}
