#include "bytepane.h"

#include "cp1251codec.h"
#include "panenotice.h"
#include "rowpredictor.h"
#include "typedkey.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <algorithm>
#include <utility>

namespace {

// Whether Qt's text edit would insert the text of this key event (its rule
// for typed text), so that the pane checks exactly what would go in.
bool insertsText(const QKeyEvent *event) {
    const QString text = event->text();
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    if (first.category() == QChar::Other_Format)
        return true;
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    if (modifiers == Qt::ControlModifier || modifiers == (Qt::ShiftModifier | Qt::ControlModifier))
        return false;
    return first.isPrint() || first.category() == QChar::Other_PrivateUse ||
           (first.isHighSurrogate() && text.size() > 1 && text[1].isLowSurrogate());
}

bool carriesFiles(const QMimeData *data) {
    if (!data || !data->hasUrls())
        return false;
    const auto urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

} // namespace

BytePane::BytePane(QWidget *parent) : QPlainTextEdit(parent) {
    connect(document(), &QTextDocument::contentsChange, this, &BytePane::contentsChanged);
    // Qt does not report every change of the selection (an undo that ends
    // one, for instance); the selection counter must see them all.
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] {
        reportedSelection = {selectionStartByte(), selectedByteCount()};
    });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, &BytePane::reportSelection);
    connect(document(), &QTextDocument::contentsChanged, this, &BytePane::reportSelection);
}

void BytePane::reportSelection() {
    if (std::pair(selectionStartByte(), selectedByteCount()) != reportedSelection)
        emit selectionChanged();
}

BytePane::~BytePane() = default;

namespace {

// Every way in filters what has no byte, so the pane never holds such a
// character; should one come in by Qt's own text API all the same, it is
// left out of the bytes with a warning rather than silently.
ByteText paneBytes(const QString &text) {
    if (auto bytes = cp1251::fromPaneText(text))
        return *bytes;
    const cp1251::PaneInput input = cp1251::toPaneInput(text);
    qWarning("Input pane: %lld characters without a byte left out", qlonglong(input.refused));
    return cp1251::fromPaneText(input.text).value_or(ByteText());
}

} // namespace

ByteText BytePane::bytes() const {
    if (byteCacheValid)
        return byteCache;
    // Block by block: no copy of the whole text, and a soft break is simply
    // not converted.
    ByteText result;
    result.reserve(byteCount());
    const QChar hardBreak(QChar::ParagraphSeparator);
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (block.blockNumber() > 0 && !isSoft(block))
            cp1251::appendFromPaneText(result, QStringView(&hardBreak, 1));
        const QString text = block.text();
        if (!cp1251::appendFromPaneText(result, text))
            result += paneBytes(text);
    }
    byteCache = result;
    byteCacheValid = true;
    return byteCache;
}

ByteText BytePane::selectedBytes() const {
    const QTextCursor cursor = textCursor();
    return paneBytes(textWithoutSoftBreaks(cursor.selectionStart(), cursor.selectionEnd()));
}

// characterCount() counts a paragraph separator after the last block too.
qsizetype BytePane::byteCount() const {
    return document()->characterCount() - 1 + totalExtra;
}

qsizetype BytePane::byteOffset(int position) const {
    position = std::clamp(position, 0, document()->characterCount() - 1);
    const QTextBlock block = document()->findBlock(position);
    const int number = block.blockNumber();
    qsizetype offset = position + startExtra(number);
    const int inBlock = position - block.position();
    if (blocks[number].lineBreaks > 0 && inBlock > 0) {
        const QString text = block.text();
        offset += (cp1251::lineBreakBytes - 1) *
                  std::count(text.begin(), text.begin() + inBlock, cp1251::lineBreak);
    }
    return offset;
}

int BytePane::positionOfByte(qsizetype offset) const {
    offset = std::clamp<qsizetype>(offset, 0, byteCount());
    // Block starts grow with the block number: halving finds the last block
    // that starts at or before the offset.
    const QTextDocument *doc = document();
    int low = 0;
    int high = doc->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (doc->findBlockByNumber(mid).position() + startExtra(mid) <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = doc->findBlockByNumber(low);
    qsizetype at = block.position() + startExtra(low);
    if (blocks[low].lineBreaks == 0)
        return block.position() + int(std::min<qsizetype>(offset - at, block.length() - 1));
    const QString text = block.text();
    int i = 0;
    for (; i < text.size(); ++i) {
        const int width = text[i] == cp1251::lineBreak ? cp1251::lineBreakBytes : 1;
        if (at + width > offset)
            break;
        at += width;
    }
    return block.position() + i;
}

qsizetype BytePane::selectionStartByte() const {
    return byteOffset(textCursor().selectionStart());
}

qsizetype BytePane::selectedByteCount() const {
    const QTextCursor cursor = textCursor();
    return byteOffset(cursor.selectionEnd()) - byteOffset(cursor.selectionStart());
}

void BytePane::selectBytes(qsizetype offset, qsizetype length) {
    // A line break is selected whole when the range takes a byte of it.
    offset = std::clamp<qsizetype>(offset, 0, byteCount());
    const qsizetype end = std::clamp<qsizetype>(offset + length, offset, byteCount());
    const int from = positionOfByte(offset);
    int to = rangeEnd(from, positionOfByte(end));
    if (end > offset && byteOffset(to) < end)
        ++to;
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    reportSelection();
    ensureCursorVisible();
}

// The position after the byte before offset: past a CR LF pair when the
// offset falls between its two bytes.
int BytePane::positionAfterByte(qsizetype offset) const {
    const int position = positionOfByte(offset);
    return byteOffset(position) < offset ? position + 1 : position;
}

ByteText BytePane::bytesAt(qsizetype offset, qsizetype length) const {
    offset = std::clamp<qsizetype>(offset, 0, byteCount());
    length = std::clamp<qsizetype>(length, 0, byteCount() - offset);
    const int from = positionOfByte(offset);
    const ByteText read =
        paneBytes(textWithoutSoftBreaks(from, positionAfterByte(offset + length)));
    return read.mid(offset - byteOffset(from), length);
}

// A CR LF pair is one character of the pane. The bytes next to the range go
// with the replacement, so a pair that the range cuts keeps its other byte,
// and pairs broken or made at the range's edges show as such.
void BytePane::replaceBytes(qsizetype offset, qsizetype length, const ByteText &bytes,
                            UndoStep step) {
    offset = std::clamp<qsizetype>(offset, 0, byteCount());
    length = std::clamp<qsizetype>(length, 0, byteCount() - offset);
    const int from = positionOfByte(std::max<qsizetype>(0, offset - 1));
    const int to = rangeEnd(from, positionOfByte(std::min(byteCount(), offset + length + 1)));
    const qsizetype first = byteOffset(from);
    const qsizetype last = byteOffset(to);
    const ByteText replacement =
        bytesAt(first, offset - first) + bytes + bytesAt(offset + length, last - offset - length);

    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    if (step == UndoStep::JoinPrevious)
        cursor.joinPreviousEditBlock();
    else
        cursor.beginEditBlock();
    insertPaneText(cursor, cp1251::toPaneText(replacement));
    cursor.endEditBlock();
    normalize();
    const int start = positionOfByte(offset);
    cursor.setPosition(rangeEnd(start, positionAfterByte(offset + bytes.size())));
    cursor.setPosition(start, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
    reportSelection();
}

// A range that ends where a soft break is ends before it, so that replacing
// or selecting it leaves the break alone.
int BytePane::rangeEnd(int from, int to) const {
    const QTextBlock block = document()->findBlock(to);
    return to > from && to == block.position() && isSoft(block) ? to - 1 : to;
}

void BytePane::clearBytes() {
    QTextCursor cursor(document());
    cursor.select(QTextCursor::Document);
    cursor.removeSelectedText();
    setTextCursor(cursor);
}

void BytePane::insertInput(QStringView text) {
    const cp1251::PaneInput input = cp1251::toPaneInput(text);
    if (!input.text.isEmpty()) {
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        insertPaneText(cursor, input.text);
        cursor.endEditBlock();
        normalize();
        setTextCursor(cursor);
        ensureCursorVisible();
    }
    reportRefused(input.firstRefused, input.refused);
}

// Qt's own typing and deleting may leave a block to repair (too long, empty,
// or a line break beside a soft break) only with a selection, in a long
// block, or when deleting at a block's end or next to a soft break. Qt joins
// a repair to an edit only when the edit was an edit block, and Qt's key
// handling cannot run inside one; so there the pane makes the edit itself.
// Elsewhere Qt keeps typed or deleted characters in one undo step.
bool BytePane::mayNeedRepair(bool deleting) const {
    const QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    if (cursor.hasSelection() || block.length() > 2 * chunkLength - 2)
        return true;
    const int inBlock = cursor.position() - block.position();
    const int length = block.length() - 1;
    const QTextBlock next = block.next();
    const bool softAfter = next.isValid() && isSoft(next);
    return deleting &&
           ((inBlock == 0 && block.blockNumber() > 0) || (inBlock == length && next.isValid()) ||
            (inBlock <= 1 && isSoft(block)) || (inBlock >= length - 1 && softAfter));
}

// The edit of a key as Qt's text edit makes it, except that Backspace and
// Delete step over a soft break to the byte beyond it and a line ends at a
// line break, not at a block's end.
void BytePane::editByKey(QTextCursor &cursor, const QKeyEvent *event) {
    const QTextBlock block = cursor.block();
    const bool selection = cursor.hasSelection();
    if (insertsText(event)) {
        cursor.insertText(event->text());
    } else if (event->matches(QKeySequence::DeleteStartOfWord) ||
               event->matches(QKeySequence::DeleteEndOfWord)) {
        if (!selection)
            cursor.movePosition(event->matches(QKeySequence::DeleteEndOfWord)
                                    ? QTextCursor::NextWord
                                    : QTextCursor::PreviousWord,
                                QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else if (event->matches(QKeySequence::DeleteEndOfLine)) {
        // To the line break, or the break itself at the end of a line.
        const int end = lineAround(cursor.position()).second;
        const QChar last = document()->characterAt(end - 1);
        const int breakAt =
            last == cp1251::lineBreak || last == QChar::ParagraphSeparator ? end - 1 : end;
        cursor.setPosition(cursor.position() == breakAt ? end : breakAt, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else if (event->matches(QKeySequence::DeleteCompleteLine)) {
        cursor.movePosition(QTextCursor::StartOfLine);
        cursor.movePosition(QTextCursor::EndOfLine, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
    } else if (event->matches(QKeySequence::Cut)) {
        copy();
        cursor.removeSelectedText();
    } else if (event->key() == Qt::Key_Backspace && !selection) {
        if (cursor.position() == block.position() && isSoft(block))
            cursor.setPosition(cursor.position() - 1);
        cursor.deletePreviousChar();
    } else if (event->matches(QKeySequence::Delete) && !selection) {
        if (cursor.position() == block.position() + block.length() - 1 && block.next().isValid() &&
            isSoft(block.next()))
            cursor.setPosition(cursor.position() + 1);
        cursor.deleteChar();
    } else {
        cursor.removeSelectedText();
    }
}

void BytePane::reportRefused(const QString &first, qsizetype count) {
    if (count == 0)
        return;
    if (holdingReport) {
        heldReport = {first, count};
        return;
    }
    emit charactersRefused(first, count);
    // A lone combining mark is shown on a dotted circle, as it is printed.
    const QString shown = first.front().isMark() ? QChar(0x25CC) + first : first;
    PaneNotice::say(
        this, count == 1 ? tr("Символ «%1» не входит в кодировку 1251").arg(shown)
                         : tr("Пропущены символы, которых нет в кодировке 1251: %1 (первый — «%2»)")
                               .arg(count)
                               .arg(shown));
}

void BytePane::keyPressEvent(QKeyEvent *event) {
    if (typedkey::isCommand(*event)) {
        // Alt+letter and the like act as keys only; their text is no byte.
        QKeyEvent command = typedkey::withoutText(*event);
        keyPressEvent(&command);
        event->setAccepted(command.isAccepted());
        return;
    }
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    const bool plainOrShift = !(modifiers & ~(Qt::ShiftModifier | Qt::KeypadModifier));
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && plainOrShift) {
        // Enter and Shift+Enter both break the line: CR LF.
        insertInput(QString(cp1251::lineBreak));
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Tab &&
        !(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        insertInput(QString(cp1251::toChar(9)));
        event->accept();
        return;
    }
    if (insertsText(event)) {
        // Every character of the key's text must have a byte, not only the
        // first; text that is already pane text is typed as Qt types it.
        const QString text = event->text();
        const cp1251::PaneInput input = cp1251::toPaneInput(text);
        if (input.refused > 0 || input.text != text) {
            insertInput(text);
            event->accept();
            return;
        }
    }
    const bool forward = event->matches(QKeySequence::MoveToNextChar) ||
                         event->matches(QKeySequence::SelectNextChar);
    const bool backward = event->matches(QKeySequence::MoveToPreviousChar) ||
                          event->matches(QKeySequence::SelectPreviousChar);
    // A line ends at a line break and a word may run over a soft break: the
    // pane deletes words and lines itself, and other edits where a repair
    // may follow.
    const bool wordOrLine = event->matches(QKeySequence::DeleteStartOfWord) ||
                            event->matches(QKeySequence::DeleteEndOfWord) ||
                            event->matches(QKeySequence::DeleteEndOfLine) ||
                            event->matches(QKeySequence::DeleteCompleteLine);
    const bool deleting = event->key() == Qt::Key_Backspace ||
                          event->matches(QKeySequence::Delete) || event->matches(QKeySequence::Cut);
    if (wordOrLine || ((deleting || insertsText(event)) && mayNeedRepair(deleting))) {
        QTextCursor cursor = textCursor();
        cursor.beginEditBlock();
        editByKey(cursor, event);
        cursor.endEditBlock();
        normalize();
        setTextCursor(cursor);
        ensureCursorVisible();
        event->accept();
        return;
    }
    const int before = textCursor().position();
    QPlainTextEdit::keyPressEvent(event);
    QTextCursor cursor = textCursor();
    if ((forward || backward) && cursor.position() != before &&
        byteOffset(cursor.position()) == byteOffset(before)) {
        // The step went over a soft break only: one more, so that a key
        // press always moves by a byte.
        cursor.movePosition(forward ? QTextCursor::NextCharacter : QTextCursor::PreviousCharacter,
                            cursor.hasSelection() || (modifiers & Qt::ShiftModifier)
                                ? QTextCursor::KeepAnchor
                                : QTextCursor::MoveAnchor);
        setTextCursor(cursor);
    }
    normalize();
    reportSelection();
}

void BytePane::inputMethodEvent(QInputMethodEvent *event) {
    const QString commit = event->commitString();
    const cp1251::PaneInput input = cp1251::toPaneInput(commit);
    if (input.refused == 0 && input.text == commit) {
        QPlainTextEdit::inputMethodEvent(event);
    } else {
        QInputMethodEvent filtered(event->preeditString(), event->attributes());
        filtered.setCommitString(input.text, event->replacementStart(), event->replacementLength());
        QPlainTextEdit::inputMethodEvent(&filtered);
        event->setAccepted(filtered.isAccepted());
    }
    normalize();
    reportRefused(input.firstRefused, input.refused);
}

bool BytePane::canInsertFromMimeData(const QMimeData *source) const {
    return source->hasText() && !carriesFiles(source);
}

void BytePane::insertFromMimeData(const QMimeData *source) {
    if (!canInsertFromMimeData(source))
        return;
    insertInput(source->text());
}

QMimeData *BytePane::createMimeDataFromSelection() const {
    // Qt's own export turns the no-break space into a plain space; the raw
    // selection keeps every byte's character.
    const QTextCursor cursor = textCursor();
    auto *data = new QMimeData;
    data->setText(cp1251::toClipboardText(
        textWithoutSoftBreaks(cursor.selectionStart(), cursor.selectionEnd())));
    return data;
}

void BytePane::dragEnterEvent(QDragEnterEvent *event) {
    if (carriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragEnterEvent(event);
}

void BytePane::dragMoveEvent(QDragMoveEvent *event) {
    if (carriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    QPlainTextEdit::dragMoveEvent(event);
}

void BytePane::dropEvent(QDropEvent *event) {
    if (carriesFiles(event->mimeData())) {
        event->ignore();
        return;
    }
    // Qt ends the drop with a change signal, which would take the notice
    // away at once: it comes after.
    holdingReport = true;
    QPlainTextEdit::dropEvent(event);
    holdingReport = false;
    normalize();
    if (heldReport.second > 0)
        reportRefused(heldReport.first, std::exchange(heldReport.second, 0));
}

void BytePane::mouseDoubleClickEvent(QMouseEvent *event) {
    doubleClickPoint = event->position().toPoint();
    doubleClickTime.start();
    QPlainTextEdit::mouseDoubleClickEvent(event);
}

// A triple click selects a line, as it would if every line were a block.
void BytePane::mousePressEvent(QMouseEvent *event) {
    const bool triple = event->button() == Qt::LeftButton && doubleClickTime.isValid() &&
                        doubleClickTime.elapsed() < QApplication::doubleClickInterval() &&
                        (event->position().toPoint() - doubleClickPoint).manhattanLength() <
                            QApplication::startDragDistance();
    QPlainTextEdit::mousePressEvent(event);
    if (!triple)
        return;
    doubleClickTime.invalidate();
    const auto [from, to] = lineAround(cursorForPosition(event->position().toPoint()).position());
    QTextCursor cursor = textCursor();
    cursor.setPosition(from);
    cursor.setPosition(to, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

std::pair<int, int> BytePane::lineAround(int position) const {
    QTextBlock block = document()->findBlock(position);
    int from = block.position();
    QString text = block.text();
    const int inBlock = position - block.position();
    qsizetype at = inBlock > 0 ? text.lastIndexOf(cp1251::lineBreak, inBlock - 1) : -1;
    while (at < 0 && isSoft(block)) {
        block = block.previous();
        text = block.text();
        at = text.lastIndexOf(cp1251::lineBreak);
        from = block.position();
    }
    if (at >= 0)
        from = block.position() + int(at) + 1;

    block = document()->findBlock(position);
    text = block.text();
    at = text.indexOf(cp1251::lineBreak, position - block.position());
    while (at < 0 && block.next().isValid() && isSoft(block.next())) {
        block = block.next();
        text = block.text();
        at = text.indexOf(cp1251::lineBreak);
    }
    if (at >= 0)
        return {from, block.position() + int(at) + 1};
    // The line ends at a paragraph separator, taken with it, or at the end.
    return {from, std::min(block.position() + block.length(), document()->characterCount() - 1)};
}

// A row that ends at a soft break with room to spare would look like the end
// of a line; a dotted leader to the edge shows that it goes on. Rows are full
// there as loaded; edits and fonts change them.
void BytePane::paintEvent(QPaintEvent *event) {
    QPlainTextEdit::paintEvent(event);
    QPainter painter(viewport());
    painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DotLine));
    const QPointF offset = contentOffset();
    for (QTextBlock block = firstVisibleBlock(); block.isValid(); block = block.next()) {
        const QRectF box = blockBoundingGeometry(block).translated(offset);
        if (box.top() > event->rect().bottom())
            break;
        const QTextBlock next = block.next();
        const QTextLayout *layout = block.layout();
        if (!next.isValid() || !isSoft(next) || layout->lineCount() == 0)
            continue;
        const QTextLine row = layout->lineAt(layout->lineCount() - 1);
        const QString rest = block.text().mid(row.textStart());
        if (predictor().rowEnd(rest + next.text().left(64), 0) <= rest.size())
            continue;
        const qreal y = box.top() + row.y() + row.height() / 2;
        painter.drawLine(QPointF(box.left() + row.x() + row.naturalTextWidth() + 2, y),
                         QPointF(box.left() + row.x() + row.width(), y));
    }
}

void BytePane::resizeEvent(QResizeEvent *event) {
    QPlainTextEdit::resizeEvent(event);
    // A new width lays every block out anew; until then Qt counts one row a
    // block, which would make the scroll bar lie.
    if (viewport()->width() == laidOutWidth)
        return;
    laidOutWidth = viewport()->width();
    if (document()->blockCount() > 1) {
        presetRows(0, document()->blockCount() - 1);
        QAbstractTextDocumentLayout *layout = document()->documentLayout();
        emit layout->documentSizeChanged(layout->documentSize());
    }
}
