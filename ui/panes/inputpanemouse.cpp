#include "inputpanemouse.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "inputpane.h"
#include "inputpanedrop.h"
#include "inputpaneediting.h"
#include "textunits.h"

#include <QApplication>
#include <QClipboard>
#include <QMouseEvent>
#include <utility>

bool InputPaneMouse::pressed(const QMouseEvent *event) {
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const qint64 at = pane->offsetAt(event->position());
        pane->setSelection(at, at);
        pane->editing->pasteFrom(QGuiApplication::clipboard()->mimeData(QClipboard::Selection));
        return true;
    }
    if (event->button() != Qt::LeftButton)
        return false;
    pane->preferredX = -1;
    pane->editing->endRun();
    leftPressed(event);
    return true;
}

void InputPaneMouse::leftPressed(const QMouseEvent *event) {
    const QPointF point = event->position();
    const PieceTable &bytes = pane->document()->bytes();
    // A third click soon after a double click selects the line.
    if (doubleClickTime.isValid() &&
        doubleClickTime.elapsed() < QApplication::doubleClickInterval() &&
        (event->position().toPoint() - doubleClickPoint).manhattanLength() <
            QApplication::startDragDistance()) {
        doubleClickTime.invalidate();
        const textunits::Range line = textunits::lineAt(bytes, pane->offsetAt(point));
        selectingWords = false;
        pane->setSelection(line.start, line.end);
        pane->editing->setPrimarySelection();
        return;
    }
    bool upstream = false;
    const qint64 at = pane->offsetAt(point, &upstream);
    const InputPane::Range shown = pane->shownSelection();
    selectingWords = false;
    if (!(event->modifiers() & Qt::ShiftModifier) && shown.start < shown.end && at > shown.start &&
        at < shown.end) {
        // Perhaps the start of a drag of the selection.
        mayStartDrag = true;
        pressPoint = event->position().toPoint();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier)
        pane->setSelection(pane->selection()->anchor(), at, upstream);
    else
        pane->setSelection(at, at, upstream);
    pane->ensureCaretVisible();
}

void InputPaneMouse::dragged(const QMouseEvent *event) {
    if (mayStartDrag) {
        if ((event->position().toPoint() - pressPoint).manhattanLength() >=
            QApplication::startDragDistance())
            pane->drop->startDrag();
        return;
    }
    pane->dragScroll.follow(event->position().toPoint());
    pane->dragScrollStep();
}

void InputPaneMouse::dragTo(const QPointF &point) {
    const qint64 at = pane->offsetAt(point);
    const PieceTable &bytes = pane->document()->bytes();
    if (!selectingWords) {
        pane->setSelection(pane->selection()->anchor(), at);
    } else if (at < wordOnDoubleClick.start) {
        pane->setSelection(wordOnDoubleClick.end, textunits::wordAt(bytes, at).start);
    } else if (at > wordOnDoubleClick.end) {
        pane->setSelection(wordOnDoubleClick.start, textunits::wordAt(bytes, at - 1).end);
    } else {
        pane->setSelection(wordOnDoubleClick.start, wordOnDoubleClick.end);
    }
    pane->ensureCaretVisible();
}

void InputPaneMouse::released(const QMouseEvent *event) {
    if (std::exchange(mayStartDrag, false)) {
        // A click in the selection, without a drag: the caret goes there.
        const qint64 at = pane->offsetAt(event->position());
        pane->setSelection(at, at);
    }
    pane->editing->setPrimarySelection();
}

void InputPaneMouse::doubleClicked(const QMouseEvent *event) {
    mayStartDrag = false;
    const ByteDocument *doc = pane->document();
    // The byte under the mouse, not the caret position nearest to it.
    const QPointF point = event->position();
    qint64 at = pane->offsetAt(point);
    if (at > 0 && (at >= doc->size() || point.x() < pane->byteRect(at).x()))
        at = crlf::previousCharacter(doc->bytes(), at);
    const textunits::Range word = textunits::wordAt(doc->bytes(), at);
    wordOnDoubleClick = {word.start, word.end};
    selectingWords = true;
    pane->setSelection(word.start, word.end);
    pane->editing->setPrimarySelection();
    doubleClickTime.start();
    doubleClickPoint = event->position().toPoint();
}
