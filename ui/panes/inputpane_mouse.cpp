// The input pane's mouse: selecting, dragging and dropping, the context menu.

#include "inputpane.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "inputpanemouse.h"
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
    mouse->pressed(event);
}

void InputPane::mouseDragged(const QMouseEvent *event) {
    mouse->dragged(event);
}

void InputPane::dragTo(const QPointF &point) {
    mouse->dragTo(point);
}

void InputPane::mouseReleased(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouse->released(event);
    else
        PaneView::mouseReleased(event);
}

void InputPane::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouse->doubleClicked(event);
    else
        PaneView::mouseDoubleClickEvent(event);
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
    mouse->dragStarted();
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
