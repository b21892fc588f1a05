#include "inputpaneediting.h"

#include "base/sizebounds.h"
#include "bytemimedata.h"
#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "inputpane.h"
#include "panenotice.h"
#include "textunits.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>

InputPaneEditing::InputPaneEditing(InputPane *pane) : pane(pane), editor(pane->document()) {}

void InputPaneEditing::edit(const std::function<qint64(ByteEditor &)> &change) {
    pane->ownChange = true;
    pane->editStyle = pane->insertionStyle();
    const qint64 after = change(editor);
    pane->editStyle = -1;
    pane->ownChange = false;
    pane->setSelection(after, after);
    pane->ensureCaretVisible();
}

void InputPaneEditing::removeRange(qint64 start, qint64 end) {
    edit([=](ByteEditor &e) { return e.remove(start, end); });
}

void InputPaneEditing::insertInput(QStringView text, bool typing) {
    const cp1251::PaneInput input = cp1251::toPaneInput(text);
    const ByteText bytes = cp1251::fromPaneText(input.text).value_or(ByteText());
    if (!bytes.isEmpty()) {
        const InputPane::Range shown = pane->shownSelection();
        // Typed characters join the typing before them, as in a text edit; a
        // line break, a tab or a paste is a command of its own.
        const bool complete = input.text == text;
        edit([&](ByteEditor &e) {
            return typing ? e.type(shown.start, shown.end, bytes, complete)
                          : e.replace(shown.start, shown.end, bytes);
        });
    }
    reportRefused(input.firstRefused, input.refused);
}

void InputPaneEditing::deleteSelection() {
    const InputPane::Range shown = pane->shownSelection();
    if (shown.start < shown.end)
        removeRange(shown.start, shown.end);
}

void InputPaneEditing::reportRefused(const QString &first, qint64 count) {
    if (count == 0)
        return;
    emit pane->charactersRefused(first, count);
    // A lone combining mark is shown on a dotted circle, as it is printed.
    const QString shown = first.front().isMark() ? QChar(0x25CC) + first : first;
    PaneNotice::say(pane, count == 1
                              ? InputPane::tr("Символ «%1» не входит в кодировку 1251").arg(shown)
                              : InputPane::tr("Пропущены символы, которых нет в кодировке 1251: "
                                              "%1 (первый — «%2»)")
                                    .arg(count)
                                    .arg(shown));
}

void InputPaneEditing::run(InputPaneKeys::Command command) {
    using Command = InputPaneKeys::Command;
    const PieceTable &bytes = pane->document()->bytes();
    const InputPane::Range shown = pane->shownSelection();
    const bool selection = shown.start < shown.end;
    const qint64 at = pane->caret();
    switch (command) {
    case Command::Backspace:
        if (selection)
            deleteSelection();
        else if (at > 0)
            edit([at](ByteEditor &e) { return e.backspace(at); });
        break;
    case Command::Delete:
        if (selection)
            deleteSelection();
        else if (at < bytes.size())
            edit([at](ByteEditor &e) { return e.deleteForward(at); });
        break;
    case Command::DeleteWordForward:
        if (selection)
            deleteSelection();
        else
            removeRange(at, textunits::nextWord(bytes, at));
        break;
    case Command::DeleteWordBack:
        if (selection)
            deleteSelection();
        else
            removeRange(textunits::previousWord(bytes, at), at);
        break;
    case Command::DeleteToLineEnd: {
        // To the line break, or the break itself at the end of a line.
        const qint64 end = crlf::pairAt(bytes, at) ? at + 2 : textunits::lineEnd(bytes, at);
        if (end > at)
            removeRange(at, end);
        break;
    }
    case Command::Undo:
        undo();
        break;
    case Command::Redo:
        redo();
        break;
    case Command::Cut:
        cut();
        break;
    default:
        break;
    }
}

void InputPaneEditing::undo() {
    stepThroughHistory(&ByteEditor::undo);
}

void InputPaneEditing::redo() {
    stepThroughHistory(&ByteEditor::redo);
}

void InputPaneEditing::stepThroughHistory(std::optional<qint64> (ByteEditor::*step)()) {
    pane->ownChange = true;
    const std::optional<qint64> after = (editor.*step)();
    pane->ownChange = false;
    if (after) {
        pane->setSelection(*after, *after);
        pane->ensureCaretVisible();
    }
}

void InputPaneEditing::moveSelectionTo(qint64 offset) {
    const PieceTable &bytes = pane->document()->bytes();
    offset = crlf::snapDown(bytes, std::clamp<qint64>(offset, 0, bytes.size()));
    const InputPane::Range moved = pane->shownSelection();
    if (offset >= moved.start && offset <= moved.end)
        return;
    // The bytes put back take the style before them, as an insertion there.
    pane->ownChange = true;
    const ByteEditor::Range to = editor.moveBytes(moved.start, moved.end, offset);
    pane->ownChange = false;
    pane->setSelection(to.offset, to.offset + to.length);
    pane->ensureCaretVisible();
}

// The clipboard --------------------------------------------------------------

QMimeData *InputPaneEditing::mimeDataOf(qint64 start, qint64 end) const {
    return new ByteMimeData(pane->document()->bytes(), start, end);
}

bool InputPaneEditing::copy() const {
    const InputPane::Range shown = pane->shownSelection();
    if (shown.start == shown.end)
        return true;
    if (!fitsClipboard(pane, shown.end - shown.start))
        return false;
    QGuiApplication::clipboard()->setMimeData(mimeDataOf(shown.start, shown.end));
    return true;
}

// Nothing is deleted that the clipboard did not take.
void InputPaneEditing::cut() {
    if (copy())
        deleteSelection();
}

void InputPaneEditing::paste() {
    pasteFrom(QGuiApplication::clipboard()->mimeData());
}

void InputPaneEditing::pasteFrom(const QMimeData *data) {
    if (pastesAsText(data))
        insertInput(data->text());
}

void InputPaneEditing::setPrimarySelection() const {
    QClipboard *clipboard = QGuiApplication::clipboard();
    const InputPane::Range shown = pane->shownSelection();
    if (clipboard->supportsSelection() && shown.start < shown.end &&
        shown.end - shown.start <= sizebounds::copiedAtMost)
        clipboard->setMimeData(mimeDataOf(shown.start, shown.end), QClipboard::Selection);
}

// Input methods ----------------------------------------------------------------

void InputPaneEditing::inputMethodEvent(QInputMethodEvent *event) {
    const QString commit = event->commitString();
    if (!commit.isEmpty() || event->replacementLength() > 0) {
        if (event->replacementLength() > 0) {
            const qint64 at = pane->caret() + event->replacementStart();
            pane->setSelection(at, at + event->replacementLength());
        }
        insertInput(commit, true);
    }
    if (preedit != event->preeditString()) {
        preedit = event->preeditString();
        pane->viewport()->update();
    }
    event->accept();
}

QVariant InputPaneEditing::inputMethodQuery(Qt::InputMethodQuery query) const {
    const ByteDocument *doc = pane->document();
    const RowLayout::Row row = pane->rowLayout().row(pane->caretRow());
    const qint64 caret = pane->caret();
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImCursorRectangle:
        return QRectF(pane->caretRect().translated(pane->viewport()->pos()));
    case Qt::ImAnchorRectangle:
        return QRectF(
            pane->byteRect(pane->selection()->anchor()).translated(pane->viewport()->pos()));
    case Qt::ImFont:
        return pane->styles.at(pane->insertionStyle()).font();
    case Qt::ImCursorPosition:
        return int(caret - row.start);
    case Qt::ImAnchorPosition:
        return int(
            std::clamp<qint64>(pane->selection()->anchor() - row.start, 0, row.end - row.start));
    case Qt::ImSurroundingText:
        return cp1251::toPaneText(doc->read(row.start, row.end - row.start));
    case Qt::ImCurrentSelection: {
        // What an input method may show: not megabytes.
        const InputPane::Range shown = pane->shownSelection();
        return cp1251::toPaneText(
            doc->read(shown.start, std::min<qint64>(shown.end - shown.start, 4096)));
    }
    case Qt::ImTextBeforeCursor: {
        const qint64 from = std::max<qint64>(0, caret - 1024);
        return cp1251::toPaneText(doc->read(from, caret - from));
    }
    case Qt::ImTextAfterCursor:
        return cp1251::toPaneText(doc->read(caret, 1024));
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return {};
    }
}
