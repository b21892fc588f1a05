#include "form1.h"

#include "bytepane.h"
#include "finddialog.h"
#include "gotodialog.h"
#include "hexpane.h"
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
    const ByteText bytes = RTB1->bytes();
    const qsizetype from = RTB1->byteOffset(RTB1->textCursor().selectionEnd());
    const search::Match match = search::findNext(bytes, pattern, from);
    if (!match.found()) {
        showMessage(this, tr("Не найдено"));
        return;
    }
    qsizetype length = pattern.bytes.size();
    // The pane holds a CR LF pair as one character: a match that ends on
    // the CR takes the LF too, or its selection would end before the CR and
    // the next search would find the same bytes again.
    const qsizetype end = match.offset + length;
    if (end < bytes.size() && bytes[end - 1] == '\r' && bytes[end] == '\n')
        ++length;
    showBytes(match.offset, length);
    if (match.wrapped) {
        QWidget *front = hexEditLayout ? static_cast<QWidget *>(RTB2) : RTB1;
        QToolTip::showText(front->mapToGlobal(QPoint(front->width() / 4, 0)),
                           tr("Поиск дошёл до конца документа и продолжен с начала"), front,
                           QRect(), 4000);
    }
}

void Form1::mnuGoto() {
    if (!gotoDialog)
        gotoDialog = new GotoDialog(this);
    gotoDialog->setDocumentSize(RTB1->byteCount());
    if (gotoDialog->exec() != QDialog::Accepted)
        return;
    showBytes(gotoDialog->offset(), 0);
}

// Selects the bytes in the middle of the input pane, so the lines around
// them show too, and gives it the keyboard while it is in front.
void Form1::showBytes(qsizetype offset, qsizetype length) {
    RTB1->selectBytes(offset, length);
    RTB1->centerCursor();
    if (!hexEditLayout)
        RTB1->setFocus();
}
