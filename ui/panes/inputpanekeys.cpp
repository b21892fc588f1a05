#include "inputpanekeys.h"

#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "inputpane.h"
#include "inputpaneediting.h"
#include "textunits.h"
#include "typedkey.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>

namespace {

using Command = InputPaneKeys::Command;

// Text a key types: printable text, or a format character, and never a
// command's (see typedkey.h).
bool typesText(const QKeyEvent &key) {
    const QString text = key.text();
    if (text.isEmpty() || !typedkey::typesWith(key.modifiers()))
        return false;
    const QChar first = text.front();
    return first.isPrint() || first.category() == QChar::Other_Format ||
           first.category() == QChar::Other_PrivateUse ||
           (first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

// The edits, in the order a text edit tries them: a key that two bindings
// share does what the first of them says.
Command editCommandOf(const QKeyEvent &key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    const bool plainOrShift = !(modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && plainOrShift)
        return Command::LineBreak;
    if ((key.key() == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier)) ||
        key.matches(QKeySequence::Backspace))
        return Command::Backspace;
    static const std::pair<QKeySequence::StandardKey, Command> bindings[] = {
        {QKeySequence::Delete, Command::Delete}, {QKeySequence::Undo, Command::Undo},
        {QKeySequence::Redo, Command::Redo},     {QKeySequence::Cut, Command::Cut},
        {QKeySequence::Paste, Command::Paste},
    };
    for (const auto &[standard, command] : bindings) {
        if (!key.matches(standard))
            continue;
        if (command == Command::Paste && key.key() == Qt::Key_Insert &&
            modifiers == (Qt::ControlModifier | Qt::ShiftModifier))
            return Command::PasteSelection;
        return command;
    }
    if (key.matches(QKeySequence::DeleteEndOfWord))
        return Command::DeleteWordForward;
    if (key.matches(QKeySequence::DeleteStartOfWord))
        return Command::DeleteWordBack;
    if (key.matches(QKeySequence::DeleteEndOfLine) ||
        (key.key() == Qt::Key_K && modifiers == Qt::ControlModifier))
        return Command::DeleteToLineEnd;
    return typesText(key) ? Command::Type : Command::None;
}

} // namespace

InputPaneKeys::Action InputPaneKeys::commandOf(const QKeyEvent &key) {
    if (key.matches(QKeySequence::SelectAll))
        return {Command::SelectAll};
    if (key.matches(QKeySequence::Copy))
        return {Command::Copy};
    if (const std::optional<CaretMoveKey> move = caretMoveOf(&key))
        return {Command::Move, *move};
    return {editCommandOf(key)};
}

// Tab types byte 9; Ctrl+Tab and Ctrl+Shift+Tab leave the pane.
InputPaneKeys::Command InputPaneKeys::tabCommandOf(const QKeyEvent &key) {
    if (key.key() != Qt::Key_Tab && key.key() != Qt::Key_Backtab)
        return Command::None;
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    const bool back = key.key() == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier);
    if (modifiers & Qt::ControlModifier)
        return back ? Command::FocusPrevious : Command::FocusNext;
    if (!back && typedkey::typesWith(modifiers))
        return Command::TypeTab;
    return Command::None;
}

bool InputPaneKeys::ownsShortcut(const QKeyEvent &key) {
    const Qt::KeyboardModifiers modifiers = key.modifiers();
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
        modifiers == Qt::KeypadModifier) {
        if (key.key() < Qt::Key_Escape)
            return true;
        switch (key.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Delete:
        case Qt::Key_Home:
        case Qt::Key_End:
        case Qt::Key_Backspace:
        case Qt::Key_Left:
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Tab:
            return true;
        default:
            return false;
        }
    }
    for (const QKeySequence::StandardKey standard :
         {QKeySequence::Copy, QKeySequence::Paste, QKeySequence::Cut, QKeySequence::Redo,
          QKeySequence::Undo, QKeySequence::MoveToNextWord, QKeySequence::MoveToPreviousWord,
          QKeySequence::MoveToStartOfDocument, QKeySequence::MoveToEndOfDocument,
          QKeySequence::SelectNextWord, QKeySequence::SelectPreviousWord,
          QKeySequence::SelectStartOfLine, QKeySequence::SelectEndOfLine,
          QKeySequence::SelectStartOfBlock, QKeySequence::SelectEndOfBlock,
          QKeySequence::SelectStartOfDocument, QKeySequence::SelectEndOfDocument,
          QKeySequence::SelectAll}) {
        if (key.matches(standard))
            return true;
    }
    return false;
}

bool InputPaneKeys::tabPressed(const QKeyEvent &key) {
    switch (tabCommandOf(key)) {
    case Command::FocusNext:
    case Command::FocusPrevious:
        pane->focusNextPrevChild(tabCommandOf(key) == Command::FocusNext);
        return true;
    case Command::TypeTab:
        pane->editing->insertInput(QString(cp1251::toChar(9)));
        return true;
    default:
        return false;
    }
}

bool InputPaneKeys::pressed(const QKeyEvent &key) {
    InputPaneEditing &editing = *pane->editing;
    const Action action = commandOf(key);
    switch (action.command) {
    case Command::SelectAll:
        pane->selectAll();
        editing.setPrimarySelection();
        break;
    case Command::Copy:
        editing.copy();
        break;
    case Command::Move:
        moveCaret(action.move.move, action.move.select);
        editing.setPrimarySelection();
        break;
    case Command::LineBreak:
        // Enter and Shift+Enter both break the line: CR LF.
        editing.insertInput(QString(cp1251::lineBreak));
        break;
    case Command::Paste:
    case Command::PasteSelection: {
        QClipboard *clipboard = QGuiApplication::clipboard();
        const bool selectionMode =
            action.command == Command::PasteSelection && clipboard->supportsSelection();
        editing.pasteFrom(
            clipboard->mimeData(selectionMode ? QClipboard::Selection : QClipboard::Clipboard));
        break;
    }
    case Command::Type:
        editing.insertInput(key.text(), true);
        break;
    case Command::None:
    case Command::TypeTab:
    case Command::FocusNext:
    case Command::FocusPrevious:
        return false;
    default:
        editing.run(action.command);
    }
    return true;
}

void InputPaneKeys::moveCaret(CaretMove move, bool select) {
    const PieceTable &bytes = pane->doc->bytes();
    const ByteSelection *sel = pane->sel;
    const RowLayout &rows = pane->layoutRows;
    const InputPane::Range shown = pane->shownSelection();
    const qint64 from = pane->caret();
    const qint64 anchor = sel->isEmpty() ? from : (from == shown.end ? shown.start : shown.end);
    const qint64 row = pane->caretRow();
    qreal &preferredX = pane->preferredX;
    if (!isVertical(move))
        preferredX = -1;
    else if (preferredX < 0)
        preferredX = pane->caretRect().x();
    bool upstream = false;
    const auto inRow = [&](qint64 target) {
        return pane->offsetInRow(std::clamp<qint64>(target, 0, rows.rowCount() - 1), preferredX,
                                 &upstream);
    };
    qint64 to = from;
    qint64 scrollBy = 0;
    switch (move) {
    case CaretMove::Left:
        to = !select && !sel->isEmpty() ? shown.start : crlf::previousCharacter(bytes, from);
        break;
    case CaretMove::Right:
        to = !select && !sel->isEmpty() ? shown.end : crlf::nextCharacter(bytes, from);
        break;
    case CaretMove::WordLeft:
        to = textunits::previousWord(bytes, from);
        break;
    case CaretMove::WordRight:
        to = textunits::nextWord(bytes, from);
        break;
    case CaretMove::Up:
        // On the first row a move stays; a selection reaches the start.
        to = row > 0 ? inRow(row - 1) : select ? 0 : from;
        upstream = row > 0 && upstream;
        break;
    case CaretMove::Down:
        to = row + 1 < rows.rowCount() ? inRow(row + 1) : select ? bytes.size() : from;
        upstream = row + 1 < rows.rowCount() && upstream;
        break;
    case CaretMove::PageUp:
    case CaretMove::PageDown: {
        const qint64 step = move == CaretMove::PageUp ? -pane->visibleRows() : pane->visibleRows();
        to = inRow(row + step);
        scrollBy = step;
        break;
    }
    case CaretMove::RowStart:
        to = rows.row(row).start;
        break;
    case CaretMove::RowEnd: {
        const RowLayout::Row r = rows.row(row);
        to = r.textEnd();
        upstream = !r.lineBreak && to < bytes.size() && to > r.start;
        break;
    }
    case CaretMove::Start:
        to = 0;
        break;
    case CaretMove::End:
        to = bytes.size();
        break;
    }
    if (scrollBy != 0)
        pane->scrollToRow(pane->firstVisibleRow() + scrollBy);
    pane->setSelection(select ? anchor : to, to, upstream);
    pane->editing->endRun();
    pane->ensureCaretVisible();
}
