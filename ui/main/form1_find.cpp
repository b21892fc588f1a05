#include "form1.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "finddialog.h"
#include "gotodialog.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "messagebox.h"
#include "search.h"

#include <QToolTip>

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
    if (match.wrapped) {
        QWidget *front = paneInFront();
        QToolTip::showText(front->mapToGlobal(QPoint(front->width() / 4, 0)),
                           tr("Поиск дошёл до конца документа и продолжен с начала"), front,
                           QRect(), 4000);
    }
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
// them show too; in the hex-edit layout the link shows them in the hex pane.
// The pane in front takes the keyboard: hex digits typed next overwrite the
// byte found.
void Form1::showBytes(qsizetype offset, qsizetype length) {
    inputPane->selectBytes(offset, length);
    inputPane->centerCaret();
    paneInFront()->setFocus();
}

// The hex pane is in front exactly while it is linked to the document.
QWidget *Form1::paneInFront() const {
    if (hexEditLink->isActive())
        return hexPane;
    return inputPane;
}
