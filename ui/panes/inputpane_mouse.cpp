// The input pane's mouse: selecting, dragging and dropping, the context menu.

#include "inputpane.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "crlf.h"
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
        PaneView::mousePressEvent(event);
        return;
    }
    preferredX = -1;
    editor.endRun();
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

void InputPane::mouseDragged(const QMouseEvent *event) {
    if (mayStartDrag) {
        if ((event->position().toPoint() - pressPoint).manhattanLength() >=
            QApplication::startDragDistance())
            startDrag();
        return;
    }
    dragScroll.follow(event->position().toPoint());
    dragScrollStep();
}

// Extends the selection to the mouse, by words after a double click.
void InputPane::dragTo(const QPointF &point) {
    const qint64 at = offsetAt(point);
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

void InputPane::mouseReleased(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && std::exchange(mayStartDrag, false)) {
        // A click in the selection, without a drag: the caret goes there.
        const qint64 at = offsetAt(event->position());
        setSelection(at, at);
    }
    if (event->button() != Qt::LeftButton) {
        PaneView::mouseReleased(event);
        return;
    }
    setPrimarySelection();
}

void InputPane::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        PaneView::mouseDoubleClickEvent(event);
        return;
    }
    mayStartDrag = false;
    // The byte under the mouse, not the caret position nearest to it.
    const QPointF point = event->position();
    qint64 at = offsetAt(point);
    if (at > 0 && (at >= doc->size() || point.x() < byteRect(at).x()))
        at = crlf::previousCharacter(doc->bytes(), at);
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
    offset = crlf::snapDown(doc->bytes(), std::clamp<qint64>(offset, 0, doc->size()));
    const Range moved = shownSelection();
    if (offset >= moved.start && offset <= moved.end)
        return;
    // The bytes put back take the style before them, as an insertion there.
    ownChange = true;
    const ByteEditor::Range to = editor.moveBytes(moved.start, moved.end, offset);
    ownChange = false;
    setSelection(to.offset, to.offset + to.length);
    ensureCaretVisible();
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
        removeRange(dragged.start, dragged.end);
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
    dropCaret = crlf::snapDown(doc->bytes(), offsetAt(event->position()));
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
    const qint64 at = crlf::snapDown(doc->bytes(), offsetAt(event->position()));
    event->acceptProposedAction();
    // Moving the selection within the pane.
    if (event->source() == this && event->dropAction() == Qt::MoveAction) {
        moveSelectionTo(at);
        return;
    }
    setSelection(at, at);
    insertInput(data->text());
}
