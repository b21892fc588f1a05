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
#include <algorithm>

namespace {

constexpr QChar paragraphBreak(QChar::ParagraphSeparator);

// Text from outside (paste, drop, input method) as pane text: every form of
// line break becomes a paragraph break (CR LF), a tab and the other control
// characters their byte's stand-in; a character without a byte is dropped.
QString toPaneInput(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t ch = text[i].unicode();
        if (ch == u'\r') {
            if (i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += paragraphBreak;
        } else if (ch == u'\n' || ch == QChar::LineSeparator || ch == QChar::ParagraphSeparator) {
            out += paragraphBreak;
        } else if (ch < 32 || ch == 127) {
            out += cp1251::toChar(static_cast<unsigned char>(ch));
        } else if (cp1251::toByte(text[i])) {
            out += text[i];
        }
    }
    return out;
}

bool eachHasByte(QStringView text) {
    return std::all_of(text.begin(), text.end(),
                       [](QChar ch) { return cp1251::toByte(ch).has_value(); });
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

ByteText BytePane::bytes() const {
    // toRawText keeps the no-break space (byte 160); toPlainText would not.
    const QString text = document()->toRawText();
    if (auto bytes = cp1251::fromPaneText(text))
        return *bytes;
    return cp1251::fromPaneText(toPaneInput(text)).value_or(ByteText());
}

ByteText BytePane::selectedBytes() const {
    const QString text = textCursor().selectedText();
    if (auto bytes = cp1251::fromPaneText(text))
        return *bytes;
    return cp1251::fromPaneText(toPaneInput(text)).value_or(ByteText());
}

// Every block but the last ends in a paragraph break of two bytes (CR LF);
// characterCount() counts one separator per block, the last one included.
qsizetype BytePane::byteCount() const {
    return document()->characterCount() + document()->blockCount() - 2;
}

qsizetype BytePane::byteOffset(int position) const {
    return position + document()->findBlock(position).blockNumber();
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

void BytePane::replaceBytes(qsizetype offset, qsizetype length, const ByteText &bytes) {
    const int from = positionOfByte(offset);
    QTextCursor cursor(document());
    cursor.setPosition(from);
    cursor.setPosition(positionOfByte(offset + std::max<qsizetype>(length, 0)),
                       QTextCursor::KeepAnchor);
    cursor.beginEditBlock();
    cursor.insertText(cp1251::toPaneText(bytes));
    cursor.endEditBlock();
    cursor.setPosition(from, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

qsizetype BytePane::selectedByteCount() const {
    const QTextCursor cursor = textCursor();
    return byteOffset(cursor.selectionEnd()) - byteOffset(cursor.selectionStart());
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
    const QString text = event->text();
    if (!text.isEmpty() && text.front().isPrint() && !eachHasByte(text)) {
        // A character without a byte is refused, not replaced.
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void BytePane::inputMethodEvent(QInputMethodEvent *event) {
    const QString commit = event->commitString();
    if (commit.isEmpty() || eachHasByte(commit)) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(toPaneInput(commit), event->replacementStart(),
                             event->replacementLength());
    QPlainTextEdit::inputMethodEvent(&filtered);
    event->setAccepted(filtered.isAccepted());
}

bool BytePane::canInsertFromMimeData(const QMimeData *source) const {
    return source->hasText() && !carriesFiles(source);
}

void BytePane::insertFromMimeData(const QMimeData *source) {
    if (!canInsertFromMimeData(source))
        return;
    insertPlainText(toPaneInput(source->text()));
    ensureCursorVisible();
}

QMimeData *BytePane::createMimeDataFromSelection() const {
    // Qt's own export turns the no-break space into a plain space; the raw
    // selection keeps every byte's character.
    QString text = textCursor().selectedText();
    text.replace(paragraphBreak, QLatin1Char('\n'));
    auto *data = new QMimeData;
    data->setText(text);
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
