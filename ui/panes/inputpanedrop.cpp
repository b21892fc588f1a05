#include "inputpanedrop.h"

#include "bytemimedata.h"
#include "document/bytedocument.h"
#include "document/crlf.h"
#include "inputpane.h"
#include "inputpaneediting.h"
#include "inputpanemouse.h"

#include <QDrag>
#include <QDropEvent>

void InputPaneDrop::startDrag() {
    pane->mouse->dragStarted();
    const InputPane::Range dragged = pane->shownSelection();
    auto *drag = new QDrag(pane);
    drag->setMimeData(pane->editing->mimeDataOf(dragged.start, dragged.end));
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // Moved into another program: the bytes leave this document. A move
    // within the pane was made by the drop.
    if (action == Qt::MoveAction && drag->target() != pane->viewport() && drag->target() != pane)
        pane->editing->removeRange(dragged.start, dragged.end);
}

void InputPaneDrop::entered(QDragEnterEvent *event) {
    if (!pastesAsText(event->mimeData())) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void InputPaneDrop::moved(QDragMoveEvent *event) {
    if (!pastesAsText(event->mimeData())) {
        event->ignore();
        return;
    }
    caret = crlf::snapDown(pane->document()->bytes(), pane->offsetAt(event->position()));
    pane->viewport()->update();
    event->acceptProposedAction();
}

void InputPaneDrop::left() {
    caret = -1;
    pane->viewport()->update();
}

void InputPaneDrop::dropped(QDropEvent *event) {
    left();
    const QMimeData *data = event->mimeData();
    if (!pastesAsText(data)) {
        event->ignore();
        return;
    }
    const qint64 at = crlf::snapDown(pane->document()->bytes(), pane->offsetAt(event->position()));
    event->acceptProposedAction();
    // Moving the selection within the pane.
    if (event->source() == pane && event->dropAction() == Qt::MoveAction) {
        pane->editing->moveSelectionTo(at);
        return;
    }
    pane->setSelection(at, at);
    pane->editing->insertInput(data->text());
}
