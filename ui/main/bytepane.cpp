#include "bytepane.h"

#include "cp1251codec.h"

#include <QDragEnterEvent>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextDocument>
#include <QToolTip>
#include <algorithm>

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

BytePane::BytePane(QWidget *parent) : QPlainTextEdit(parent) {}

void BytePane::setBytes(const ByteText &bytes) {
    setPlainText(cp1251::toPaneText(bytes));
}

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
    // toRawText keeps the no-break space (byte 160); toPlainText would not.
    return paneBytes(document()->toRawText());
}

ByteText BytePane::selectedBytes() const {
    return paneBytes(textCursor().selectedText());
}

// characterCount() counts one paragraph break per block, the last one
// included, though the last block ends in none.
qsizetype BytePane::byteCount() const {
    return byteOffset(document()->characterCount() - 1);
}

qsizetype BytePane::byteOffset(int position) const {
    return position +
           (cp1251::paragraphBreakBytes - 1) * document()->findBlock(position).blockNumber();
}

int BytePane::positionOfByte(qsizetype offset) const {
    offset = std::clamp<qsizetype>(offset, 0, byteCount());
    // Every block before block k ends in a paragraph break, two bytes but
    // one position, so block k starts at byte position + k. The starts grow
    // with k: halving finds the last block that starts at or before the
    // offset in a 16 MiB document of many lines at once.
    int low = 0;
    int high = document()->blockCount() - 1;
    while (low < high) {
        const int mid = low + (high - low + 1) / 2;
        if (document()->findBlockByNumber(mid).position() + qsizetype(mid) <= offset)
            low = mid;
        else
            high = mid - 1;
    }
    const QTextBlock block = document()->findBlockByNumber(low);
    const qsizetype first = block.position() + qsizetype(low);
    const qsizetype end = first + block.length() - 1;
    return block.position() + int(std::min(offset, end) - first);
}

qsizetype BytePane::selectionStartByte() const {
    return byteOffset(textCursor().selectionStart());
}

void BytePane::selectBytes(qsizetype offset, qsizetype length) {
    QTextCursor cursor(document());
    cursor.setPosition(positionOfByte(offset));
    cursor.setPosition(positionOfByte(offset + std::max<qsizetype>(length, 0)),
                       QTextCursor::KeepAnchor);
    setTextCursor(cursor);
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
    QTextCursor cursor(document());
    cursor.setPosition(positionOfByte(offset));
    cursor.setPosition(positionAfterByte(offset + length), QTextCursor::KeepAnchor);
    const ByteText read = cp1251::fromPaneText(cursor.selectedText()).value_or(ByteText());
    return read.mid(offset - byteOffset(cursor.selectionStart()), length);
}

// A CR LF pair is one character of the pane. The bytes next to the range go
// with the replacement, so a pair that the range cuts keeps its other byte,
// and pairs broken or made at the range's edges show as such.
void BytePane::replaceBytes(qsizetype offset, qsizetype length, const ByteText &bytes,
                            UndoStep step) {
    offset = std::clamp<qsizetype>(offset, 0, byteCount());
    length = std::clamp<qsizetype>(length, 0, byteCount() - offset);
    const int from = positionOfByte(std::max<qsizetype>(0, offset - 1));
    const int to = positionOfByte(std::min(byteCount(), offset + length + 1));
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
    cursor.insertText(cp1251::toPaneText(replacement));
    cursor.endEditBlock();
    cursor.setPosition(positionAfterByte(offset + bytes.size()));
    cursor.setPosition(positionOfByte(offset), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

qsizetype BytePane::selectedByteCount() const {
    const QTextCursor cursor = textCursor();
    return byteOffset(cursor.selectionEnd()) - byteOffset(cursor.selectionStart());
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
        insertPlainText(input.text);
        ensureCursorVisible();
    }
    reportRefused(input.firstRefused, input.refused);
}

void BytePane::reportRefused(const QString &first, qsizetype count) {
    if (count == 0)
        return;
    emit charactersRefused(first, count);
    // A lone combining mark is shown on a dotted circle, as it is printed.
    const QString shown = first.front().isMark() ? QChar(0x25CC) + first : first;
    const QString notice =
        count == 1 ? tr("Символ «%1» не входит в кодировку 1251").arg(shown)
                   : tr("Пропущены символы, которых нет в кодировке 1251: %1 (первый — «%2»)")
                         .arg(count)
                         .arg(shown);
    // A tool tip near the cursor: it neither takes the focus nor waits for
    // an answer, and the next click or key hides it.
    QToolTip::showText(viewport()->mapToGlobal(cursorRect().bottomRight()), notice, this);
}

void BytePane::keyPressEvent(QKeyEvent *event) {
    if (isReadOnly()) {
        QPlainTextEdit::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (modifiers & Qt::ShiftModifier) {
            // Shift+Enter would insert a line separator, which has no byte:
            // it breaks the paragraph like Enter does.
            QKeyEvent plain(event->type(), event->key(), modifiers & ~Qt::ShiftModifier,
                            event->text(), event->isAutoRepeat(), event->count());
            QPlainTextEdit::keyPressEvent(&plain);
            event->setAccepted(plain.isAccepted());
            return;
        }
        break;
    case Qt::Key_Tab:
        if (!(modifiers & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
            insertPlainText(cp1251::toChar(9));
            ensureCursorVisible();
            event->accept();
            return;
        }
        break;
    default:
        break;
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
    QPlainTextEdit::keyPressEvent(event);
}

void BytePane::inputMethodEvent(QInputMethodEvent *event) {
    const QString commit = event->commitString();
    const cp1251::PaneInput input = cp1251::toPaneInput(commit);
    if (input.refused == 0 && input.text == commit) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(input.text, event->replacementStart(), event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
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
    auto *data = new QMimeData;
    data->setText(cp1251::toClipboardText(textCursor().selectedText()));
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
    QPlainTextEdit::dropEvent(event);
}
