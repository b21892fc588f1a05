// The input pane's mouse: selecting, dragging and dropping, the context menu.

#include "inputpane.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "textunits.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDrag>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QScrollBar>
#include <cmath>

namespace {

bool carriesFiles(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return false;
    const auto urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

// Qt's own words for a text edit's context menu, in the language Qt speaks.
QString textEditWord(const char *source) {
    return QCoreApplication::translate("QWidgetTextControl", source);
}

QString withShortcut(const QString &caption, QKeySequence::StandardKey key) {
    return caption + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

void InputPane::mousePressEvent(QMouseEvent *event) {
    const QPointF point = event->position();
    if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
        const qint64 at = offsetAt(point);
        setSelection(at, at);
        pasteFrom(QGuiApplication::clipboard()->mimeData(QClipboard::Selection));
        return;
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    preferredX = -1;
    doc->endTyping();
    // A third click soon after a double click selects the line.
    if (doubleClickTime.isValid() &&
        doubleClickTime.elapsed() < QApplication::doubleClickInterval() &&
        (event->position().toPoint() - doubleClickPoint).manhattanLength() <
            QApplication::startDragDistance()) {
        doubleClickTime.invalidate();
        const textunits::Range line = textunits::lineAt(doc->bytes(), offsetAt(point));
        selectingWords = false;
        setSelection(line.start, line.end);
        setPrimarySelection();
        return;
    }
    bool upstream = false;
    const qint64 at = offsetAt(point, &upstream);
    const Range shown = shownSelection();
    selectingWords = false;
    if (!(event->modifiers() & Qt::ShiftModifier) && shown.start < shown.end && at > shown.start &&
        at < shown.end) {
        // Perhaps the start of a drag of the selection.
        mayStartDrag = true;
        pressPoint = event->position().toPoint();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier)
        setSelection(sel->anchor(), at, upstream);
    else
        setSelection(at, at, upstream);
    ensureCaretVisible();
}

void InputPane::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    if (mayStartDrag) {
        if ((event->position().toPoint() - pressPoint).manhattanLength() >=
            QApplication::startDragDistance())
            startDrag();
        return;
    }
    dragScroll.follow(event->position().toPoint());
    autoScroll();
}

// Extends the selection to the mouse, by words after a double click; past
// the pane's top or bottom edge the pane scrolls a row at a time.
void InputPane::autoScroll() {
    if (!dragScroll.buttonHeld())
        return;
    if (const int step = dragScroll.direction())
        scrollToRow(firstVisibleRow() + step);
    const qint64 at = offsetAt(dragScroll.point());
    if (!selectingWords) {
        setSelection(sel->anchor(), at);
    } else if (at < wordOnDoubleClick.start) {
        setSelection(wordOnDoubleClick.end, textunits::wordAt(doc->bytes(), at).start);
    } else if (at > wordOnDoubleClick.end) {
        setSelection(wordOnDoubleClick.start, textunits::wordAt(doc->bytes(), at - 1).end);
    } else {
        setSelection(wordOnDoubleClick.start, wordOnDoubleClick.end);
    }
    ensureCaretVisible();
}

void InputPane::mouseReleaseEvent(QMouseEvent *event) {
    dragScroll.stop();
    if (event->button() == Qt::LeftButton && std::exchange(mayStartDrag, false)) {
        // A click in the selection, without a drag: the caret goes there.
        const qint64 at = offsetAt(event->position());
        setSelection(at, at);
    }
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseReleaseEvent(event);
        return;
    }
    setPrimarySelection();
}

void InputPane::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mouseDoubleClickEvent(event);
        return;
    }
    mayStartDrag = false;
    // The byte under the mouse, not the caret position nearest to it.
    const QPointF point = event->position();
    qint64 at = offsetAt(point);
    if (at > 0 && (at >= doc->size() || point.x() < byteRect(at).x()))
        at = textunits::previousCharacter(doc->bytes(), at);
    wordOnDoubleClick = {};
    const textunits::Range word = textunits::wordAt(doc->bytes(), at);
    wordOnDoubleClick = {word.start, word.end};
    selectingWords = true;
    setSelection(word.start, word.end);
    setPrimarySelection();
    doubleClickTime.start();
    doubleClickPoint = event->position().toPoint();
}

void InputPane::contextMenuEvent(QContextMenuEvent *event) {
    const Range shown = shownSelection();
    const bool selected = shown.start < shown.end;
    const QMimeData *clipboard = QGuiApplication::clipboard()->mimeData();
    QMenu menu(this);
    struct Item {
        const char *name;
        QString caption;
        bool enabled;
        std::function<void()> run;
    };
    const Item items[] = {
        {"edit-undo", withShortcut(textEditWord("&Undo"), QKeySequence::Undo), doc->canUndo(),
         [this] { undo(); }},
        {"edit-redo", withShortcut(textEditWord("&Redo"), QKeySequence::Redo), doc->canRedo(),
         [this] { redo(); }},
        {nullptr, {}, false, {}},
        {"edit-cut", withShortcut(textEditWord("Cu&t"), QKeySequence::Cut), selected,
         [this] { cut(); }},
        {"edit-copy", withShortcut(textEditWord("&Copy"), QKeySequence::Copy), selected,
         [this] { copy(); }},
        {"edit-paste", withShortcut(textEditWord("&Paste"), QKeySequence::Paste),
         clipboard && clipboard->hasText() && !carriesFiles(clipboard), [this] { paste(); }},
        {"edit-delete", textEditWord("Delete"), selected, [this] { deleteSelection(); }},
        {nullptr, {}, false, {}},
        {"select-all", withShortcut(textEditWord("Select All"), QKeySequence::SelectAll),
         !doc->isEmpty(), [this] { selectAll(); }},
    };
    for (const Item &item : items) {
        if (!item.name) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(item.caption);
        action->setObjectName(QLatin1String(item.name));
        action->setEnabled(item.enabled);
        const QIcon icon = QIcon::fromTheme(QLatin1String(item.name));
        if (!icon.isNull())
            action->setIcon(icon);
        connect(action, &QAction::triggered, this, item.run);
    }
    menu.exec(event->globalPos());
}

// Dragging and dropping ------------------------------------------------------

void InputPane::moveSelectionTo(qint64 offset) {
    offset = textunits::snapDown(doc->bytes(), std::clamp<qint64>(offset, 0, doc->size()));
    const Range moved = shownSelection();
    if (offset >= moved.start && offset <= moved.end)
        return;
    const ByteText bytes = doc->read(moved.start, moved.end - moved.start);
    const qint64 target = offset > moved.end ? offset - bytes.size() : offset;
    replaceRange(moved.start, moved.end, {}, int(ByteDocument::Step::New));
    setSelection(target, target);
    replaceRange(target, target, bytes, int(ByteDocument::Step::JoinPrevious));
    setSelection(target, target + bytes.size());
}

void InputPane::startDrag() {
    mayStartDrag = false;
    const Range dragged = shownSelection();
    auto *drag = new QDrag(this);
    drag->setMimeData(mimeDataOf(dragged.start, dragged.end));
    const Qt::DropAction action = drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::MoveAction);
    // Moved into another program: the bytes leave this document. A move
    // within the pane was made by the drop.
    if (action == Qt::MoveAction && drag->target() != viewport() && drag->target() != this)
        replaceRange(dragged.start, dragged.end, {}, int(ByteDocument::Step::New));
}

void InputPane::dragEnterEvent(QDragEnterEvent *event) {
    // Dropped files are for the window to open, not text to insert.
    if (carriesFiles(event->mimeData()) || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void InputPane::dragMoveEvent(QDragMoveEvent *event) {
    if (carriesFiles(event->mimeData()) || !event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    dropCaret = textunits::snapDown(doc->bytes(), offsetAt(event->position()));
    viewport()->update();
    event->acceptProposedAction();
}

void InputPane::dragLeaveEvent(QDragLeaveEvent *) {
    dropCaret = -1;
    viewport()->update();
}

void InputPane::dropEvent(QDropEvent *event) {
    dropCaret = -1;
    viewport()->update();
    const QMimeData *data = event->mimeData();
    if (carriesFiles(data) || !data->hasText()) {
        event->ignore();
        return;
    }
    const qint64 at = textunits::snapDown(doc->bytes(), offsetAt(event->position()));
    event->acceptProposedAction();
    // Moving the selection within the pane.
    if (event->source() == this && event->dropAction() == Qt::MoveAction) {
        moveSelectionTo(at);
        return;
    }
    setSelection(at, at);
    insertInput(data->text());
}
