// The input pane's keys: moves, edits, the clipboard, undo and input methods.

#include "inputpane.h"

#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "panenotice.h"
#include "textunits.h"
#include "typedkey.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QScrollBar>
#include <cmath>
#include <optional>

namespace {

using Step = ByteDocument::Step;

// The text of the selection for the clipboard and drags, made only when
// another program or pane asks for it: a copy of a large selection costs
// nothing until then. It reads a snapshot of the bytes, so later edits do
// not change what was copied.
class ByteMimeData : public QMimeData {
public:
    ByteMimeData(const PieceTable &bytes, qint64 start, qint64 end)
        : snapshot(bytes), start(start), end(end) {}

    QStringList formats() const override {
        return {QStringLiteral("text/plain;charset=utf-8"), QStringLiteral("text/plain")};
    }
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType) const override {
        if (!hasFormat(mimeType))
            return {};
        if (text.isNull())
            text = cp1251::toClipboardText(cp1251::toPaneText(snapshot.read(start, end - start)));
        return text;
    }

private:
    PieceTable snapshot;
    qint64 start;
    qint64 end;
    mutable QString text;
};

// The keys a text edit keeps for itself while it has the focus, even where
// the window has a shortcut on them (Qt's own rule for its text edits).
bool isTextEditShortcut(const QKeyEvent *key) {
    const Qt::KeyboardModifiers modifiers = key->modifiers();
    if (modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier ||
        modifiers == Qt::KeypadModifier) {
        if (key->key() < Qt::Key_Escape)
            return true;
        switch (key->key()) {
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
        if (key->matches(standard))
            return true;
    }
    return false;
}

// Text a key types: printable text, or a format character, and never a
// command's (see typedkey.h).
bool typesText(const QKeyEvent *key) {
    const QString text = key->text();
    if (text.isEmpty() || !typedkey::typesWith(key->modifiers()))
        return false;
    const QChar first = text.front();
    return first.isPrint() || first.category() == QChar::Other_Format ||
           first.category() == QChar::Other_PrivateUse ||
           (first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

bool carriesFiles(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return false;
    const auto urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

} // namespace

bool InputPane::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        if (isTextEditShortcut(static_cast<QKeyEvent *>(event))) {
            event->accept();
            return true;
        }
    } else if (event->type() == QEvent::KeyPress) {
        // Tab types byte 9; Ctrl+Tab and Ctrl+Shift+Tab leave the pane.
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) {
            const Qt::KeyboardModifiers modifiers = key->modifiers();
            const bool back = key->key() == Qt::Key_Backtab || (modifiers & Qt::ShiftModifier);
            if (modifiers & Qt::ControlModifier) {
                focusNextPrevChild(!back);
                return true;
            }
            if (!back && typedkey::typesWith(modifiers)) {
                insertInput(QString(cp1251::toChar(9)));
                return true;
            }
        }
    }
    return QAbstractScrollArea::event(event);
}

// Moves -------------------------------------------------------------------

bool InputPane::moveByKey(QKeyEvent *event) {
    const std::optional<CaretMoveKey> key = caretMoveOf(event);
    if (key)
        moveCaret(key->move, key->select);
    return key.has_value();
}

void InputPane::moveCaret(Move move, bool select) {
    const PieceTable &bytes = doc->bytes();
    const Range shown = shownSelection();
    const qint64 from = caret();
    const qint64 anchor = sel->isEmpty() ? from : (from == shown.end ? shown.start : shown.end);
    const qint64 row = caretRow();
    if (!isVertical(move))
        preferredX = -1;
    else if (preferredX < 0)
        preferredX = caretRect().x();
    bool upstream = false;
    const auto inRow = [&](qint64 target) {
        return offsetInRow(std::clamp<qint64>(target, 0, layoutRows.rowCount() - 1), preferredX,
                           &upstream);
    };
    qint64 to = from;
    qint64 scrollBy = 0;
    switch (move) {
    case Move::Left:
        to = !select && !sel->isEmpty() ? shown.start : textunits::previousCharacter(bytes, from);
        break;
    case Move::Right:
        to = !select && !sel->isEmpty() ? shown.end : textunits::nextCharacter(bytes, from);
        break;
    case Move::WordLeft:
        to = textunits::previousWord(bytes, from);
        break;
    case Move::WordRight:
        to = textunits::nextWord(bytes, from);
        break;
    case Move::Up:
        // On the first row a move stays; a selection reaches the start.
        to = row > 0 ? inRow(row - 1) : select ? 0 : from;
        upstream = row > 0 && upstream;
        break;
    case Move::Down:
        to = row + 1 < layoutRows.rowCount() ? inRow(row + 1) : select ? doc->size() : from;
        upstream = row + 1 < layoutRows.rowCount() && upstream;
        break;
    case Move::PageUp:
    case Move::PageDown: {
        const qint64 step = move == Move::PageUp ? -visibleRows() : visibleRows();
        to = inRow(row + step);
        scrollBy = step;
        break;
    }
    case Move::RowStart:
        to = layoutRows.row(row).start;
        break;
    case Move::RowEnd: {
        const RowLayout::Row r = layoutRows.row(row);
        to = r.textEnd();
        upstream = !r.lineBreak && to < doc->size() && to > r.start;
        break;
    }
    case Move::Start:
        to = 0;
        break;
    case Move::End:
        to = doc->size();
        break;
    }
    if (scrollBy != 0)
        scrollToRow(firstVisibleRow() + scrollBy);
    setSelection(select ? anchor : to, to, upstream);
    doc->endTyping();
    ensureCaretVisible();
}

// Edits --------------------------------------------------------------------

int InputPane::insertionStyle() const {
    if (explicitStyle >= 0)
        return explicitStyle;
    if (runs.isEmpty())
        return 0;
    const qint64 at = std::clamp<qint64>(caret(), 0, runs.size());
    return runs.styleAt(at > 0 ? at - 1 : 0);
}

void InputPane::replaceRange(qint64 start, qint64 end, const ByteText &bytes, int step) {
    ownChange = true;
    editStyle = insertionStyle();
    doc->replace(start, end - start, bytes, Step(step));
    editStyle = -1;
    ownChange = false;
    const qint64 after = std::min(start + bytes.size(), doc->size());
    setSelection(after, after);
    ensureCaretVisible();
}

void InputPane::insertInput(QStringView text, bool typing) {
    const cp1251::PaneInput input = cp1251::toPaneInput(text);
    const ByteText bytes = cp1251::fromPaneText(input.text).value_or(ByteText());
    if (!bytes.isEmpty()) {
        const Range shown = shownSelection();
        // Plain typed characters join the typing before them, as in a text
        // edit; a line break, a tab, a paste or a replaced selection is a
        // step of its own.
        const bool plain = typing && sel->isEmpty() && input.text == text;
        replaceRange(shown.start, shown.end, bytes, int(plain ? Step::Typing : Step::New));
    }
    reportRefused(input.firstRefused, input.refused);
}

void InputPane::deleteSelection() {
    const Range shown = shownSelection();
    if (shown.start < shown.end)
        replaceRange(shown.start, shown.end, {}, int(Step::New));
}

void InputPane::reportRefused(const QString &first, qint64 count) {
    if (count == 0)
        return;
    emit charactersRefused(first, count);
    // A lone combining mark is shown on a dotted circle, as it is printed.
    const QString shown = first.front().isMark() ? QChar(0x25CC) + first : first;
    PaneNotice::say(
        this, count == 1 ? tr("Символ «%1» не входит в кодировку 1251").arg(shown)
                         : tr("Пропущены символы, которых нет в кодировке 1251: %1 (первый — «%2»)")
                               .arg(count)
                               .arg(shown));
}

bool InputPane::editByKey(QKeyEvent *event) {
    const PieceTable &bytes = doc->bytes();
    const Range shown = shownSelection();
    const bool selection = shown.start < shown.end;
    const qint64 at = caret();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool plainOrShift = !(modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier));

    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plainOrShift) {
        // Enter and Shift+Enter both break the line: CR LF.
        insertInput(QString(cp1251::lineBreak));
    } else if ((event->key() == Qt::Key_Backspace && !(modifiers & ~Qt::ShiftModifier)) ||
               event->matches(QKeySequence::Backspace)) {
        if (selection)
            deleteSelection();
        else if (at > 0)
            replaceRange(textunits::previousCharacter(bytes, at), at, {}, int(Step::Typing));
    } else if (event->matches(QKeySequence::Delete)) {
        if (selection)
            deleteSelection();
        else if (at < doc->size())
            replaceRange(at, textunits::nextCharacter(bytes, at), {}, int(Step::Typing));
    } else if (event->matches(QKeySequence::Undo)) {
        undo();
    } else if (event->matches(QKeySequence::Redo)) {
        redo();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Paste)) {
        const bool selectionMode = QGuiApplication::clipboard()->supportsSelection() &&
                                   modifiers == (Qt::ControlModifier | Qt::ShiftModifier) &&
                                   event->key() == Qt::Key_Insert;
        pasteFrom(QGuiApplication::clipboard()->mimeData(selectionMode ? QClipboard::Selection
                                                                       : QClipboard::Clipboard));
    } else if (event->matches(QKeySequence::DeleteEndOfWord)) {
        if (selection)
            deleteSelection();
        else
            replaceRange(at, textunits::nextWord(bytes, at), {}, int(Step::New));
    } else if (event->matches(QKeySequence::DeleteStartOfWord)) {
        if (selection)
            deleteSelection();
        else
            replaceRange(textunits::previousWord(bytes, at), at, {}, int(Step::New));
    } else if (event->matches(QKeySequence::DeleteEndOfLine) ||
               (event->key() == Qt::Key_K && modifiers == Qt::ControlModifier)) {
        // To the line break, or the break itself at the end of a line.
        const qint64 end = textunits::pairAt(bytes, at) ? at + 2 : textunits::lineEnd(bytes, at);
        if (end > at)
            replaceRange(at, end, {}, int(Step::New));
    } else if (typesText(event)) {
        insertInput(event->text(), true);
    } else {
        return false;
    }
    return true;
}

void InputPane::keyPressEvent(QKeyEvent *event) {
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
        setPrimarySelection();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (moveByKey(event)) {
        setPrimarySelection();
    } else if (!editByKey(event)) {
        event->ignore();
        return;
    }
    event->accept();
    caretBlink.restart();
}

void InputPane::undo() {
    ownChange = true;
    const std::optional<ByteDocument::Range> range = doc->undo();
    ownChange = false;
    if (range) {
        setSelection(range->offset + range->length, range->offset + range->length);
        ensureCaretVisible();
    }
}

void InputPane::redo() {
    ownChange = true;
    const std::optional<ByteDocument::Range> range = doc->redo();
    ownChange = false;
    if (range) {
        setSelection(range->offset + range->length, range->offset + range->length);
        ensureCaretVisible();
    }
}

// The clipboard --------------------------------------------------------------

QMimeData *InputPane::mimeDataOf(qint64 start, qint64 end) const {
    return new ByteMimeData(doc->bytes(), start, end);
}

void InputPane::copy() const {
    const Range shown = shownSelection();
    if (shown.start < shown.end)
        QGuiApplication::clipboard()->setMimeData(mimeDataOf(shown.start, shown.end));
}

void InputPane::cut() {
    copy();
    deleteSelection();
}

void InputPane::paste() {
    pasteFrom(QGuiApplication::clipboard()->mimeData());
}

void InputPane::pasteFrom(const QMimeData *data) {
    if (data && data->hasText() && !carriesFiles(data))
        insertInput(data->text());
}

// What is selected goes to the X11 primary selection, for a middle click.
void InputPane::setPrimarySelection() const {
    QClipboard *clipboard = QGuiApplication::clipboard();
    const Range shown = shownSelection();
    if (clipboard->supportsSelection() && shown.start < shown.end)
        clipboard->setMimeData(mimeDataOf(shown.start, shown.end), QClipboard::Selection);
}

// The Font command -------------------------------------------------------------

void InputPane::mergeCurrentCharFormat(const QTextCharFormat &format) {
    const Range shown = shownSelection();
    if (shown.start == shown.end) {
        explicitStyle = styles.merged(insertionStyle(), format);
        layoutRows.setAdvances(styles.advanceTables());
        updateRowMetrics();
        updateScrollBars();
        return;
    }
    runs.restyle(shown.start, shown.end, [&](int style) { return styles.merged(style, format); });
    layoutRows.setAdvances(styles.advanceTables());
    layoutRows.edited(shown.start, shown.end - shown.start, shown.end - shown.start);
    updateRowMetrics();
    updateScrollBars();
    viewport()->update();
}

QTextCharFormat InputPane::charFormatAt(qint64 offset) const {
    if (runs.isEmpty())
        return styles.format(insertionStyle());
    return styles.format(runs.styleAt(std::clamp<qint64>(offset, 0, runs.size() - 1)));
}

// Input methods ----------------------------------------------------------------

void InputPane::inputMethodEvent(QInputMethodEvent *event) {
    const QString commit = event->commitString();
    if (!commit.isEmpty() || event->replacementLength() > 0) {
        if (event->replacementLength() > 0) {
            const qint64 at = caret() + event->replacementStart();
            setSelection(at, at + event->replacementLength());
        }
        insertInput(commit, true);
    }
    if (preedit != event->preeditString()) {
        preedit = event->preeditString();
        viewport()->update();
    }
    event->accept();
}

QVariant InputPane::inputMethodQuery(Qt::InputMethodQuery query) const {
    const RowLayout::Row row = layoutRows.row(caretRow());
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImHints:
        return int(Qt::ImhMultiLine);
    case Qt::ImCursorRectangle:
        return QRectF(caretRect().translated(viewport()->pos()));
    case Qt::ImAnchorRectangle:
        return QRectF(byteRect(sel->anchor()).translated(viewport()->pos()));
    case Qt::ImFont:
        return styles.at(insertionStyle()).font();
    case Qt::ImCursorPosition:
        return int(caret() - row.start);
    case Qt::ImAnchorPosition:
        return int(std::clamp<qint64>(sel->anchor() - row.start, 0, row.end - row.start));
    case Qt::ImSurroundingText:
        return cp1251::toPaneText(doc->read(row.start, row.end - row.start));
    case Qt::ImCurrentSelection: {
        // What an input method may show: not megabytes.
        const Range shown = shownSelection();
        return cp1251::toPaneText(
            doc->read(shown.start, std::min<qint64>(shown.end - shown.start, 4096)));
    }
    case Qt::ImTextBeforeCursor: {
        const qint64 from = std::max<qint64>(0, caret() - 1024);
        return cp1251::toPaneText(doc->read(from, caret() - from));
    }
    case Qt::ImTextAfterCursor:
        return cp1251::toPaneText(doc->read(caret(), 1024));
    case Qt::ImMaximumTextLength:
        return QVariant();
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}
