#include "hexpane.h"

#include "base/hexdigit.h"
#include "document/byteeditor.h"
#include "typedkey.h"

#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>
#include <algorithm>

namespace {

constexpr qreal margin = TokenLayout::margin;

bool insertsOrDeletes(const QKeyEvent *event) {
    if (event->matches(QKeySequence::Paste) || event->matches(QKeySequence::Cut) ||
        event->matches(QKeySequence::Delete) || event->matches(QKeySequence::Backspace) ||
        event->matches(QKeySequence::DeleteStartOfWord) ||
        event->matches(QKeySequence::DeleteEndOfWord) ||
        event->matches(QKeySequence::DeleteEndOfLine) ||
        event->matches(QKeySequence::DeleteCompleteLine))
        return true;
    switch (event->key()) {
    case Qt::Key_Backspace:
    case Qt::Key_Delete:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return true;
    default:
        break;
    }
    return !typedkey::isCommand(*event) && !event->text().isEmpty() &&
           event->text().front().isPrint();
}

// Offsets have at least six digits, a space after them.
qreal offsetMarginWidth(const QFont &font, int digits) {
    return (digits + 1) * QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
}

int offsetDigitsFor(qint64 lastOffset) {
    return qMax(6, int(QString::number(qMax<qint64>(0, lastOffset), 16).size()));
}

} // namespace

HexPane::HexPane(QWidget *parent) : TokenView(parent) {
    mutableLayout().setColumns(true);
}

void HexPane::layoutUpdated() {
    const qreal oldPitch = shownPitch;
    const qreal oldMargin = offsetWidth;
    const Source shown = source();
    offsetWidth = 0;
    if (inColumns() && shown.offset >= 0) {
        offsetDigits = offsetDigitsFor(shown.offset + tokenCount() - 1);
        offsetWidth = offsetMarginWidth(font(), offsetDigits);
    }
    shownPitch = TokenView::layout().columnPitch();
    if (oldPitch != shownPitch || oldMargin != offsetWidth)
        emit columnsChanged();
}

int HexPane::widthForColumns(qint64 documentSize) const {
    const qreal text = margin + offsetMarginWidth(font(), offsetDigitsFor(documentSize - 1)) +
                       tokensPerRow() * layout().columnPitch() + margin;
    return qCeil(text) + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

QString HexPane::offsetText(qsizetype row) const {
    ensureLayout();
    if (offsetWidth == 0 || row < 0 || row >= rowCount())
        return {};
    const qint64 offset = source().offset + qint64(row) * tokensPerRow();
    return QString::number(offset, 16).toUpper().rightJustified(offsetDigits, QLatin1Char('0'));
}

qreal HexPane::textLeft() const {
    return margin + offsetWidth;
}

qreal HexPane::columnCentre(int k) const {
    return layout().columnCentre(k) - horizontalScrollBar()->value();
}

void HexPane::paintRowMargin(QPainter &painter, qsizetype row, const QRectF &rowRect) {
    if (offsetWidth == 0)
        return;
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(
        QPointF(margin - horizontalScrollBar()->value(), rowRect.top() + layout().ascent()),
        offsetText(row));
}

// Undo and redo act on the document, even if a window action had them.
bool HexPane::ownsShortcut(const QKeyEvent *key) const {
    return key->matches(QKeySequence::Undo) || key->matches(QKeySequence::Redo) ||
           TokenView::ownsShortcut(key);
}

void HexPane::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::Undo || event == QKeySequence::Redo) {
        if (byteEditor)
            event == QKeySequence::Undo ? byteEditor->undo() : byteEditor->redo();
        return;
    }
    const QString typed = event->text();
    const int value =
        !typedkey::isCommand(*event) && typed.size() == 1 ? hexDigitValue(typed[0]) : -1;
    if (value >= 0) {
        typeNibble(value);
        return;
    }
    // Overwrite only: nothing inserts or removes text.
    if (insertsOrDeletes(event))
        return;
    TokenView::keyPressEvent(event);
}

// Over a selection the digit goes to its first group. The cursor then stands
// on the byte's low nibble, or after it.
bool HexPane::typeNibble(int value) {
    const std::optional<PaneContent::Range> followed = content().followedRange();
    if (!byteEditor || !followed || !inColumns() || value < 0 || value > 15)
        return false;
    const TokenPlace at = hasSelection() ? qMin(anchorPlace(), cursorPlace()) : cursorPlace();
    if (at.token >= tokenCount())
        return false;
    const bool low = at.offset != 0;
    byteEditor->typeNibble(followed->offset + at.token, low, value);
    const TokenPlace next = low ? TokenPlace{at.token + 1, 0} : TokenPlace{at.token, 1};
    moveCursorTo(next, next, true);
    return true;
}

// Without a selection the cursor stands on a nibble (or after the last
// group); a selection runs from group boundary to group boundary.
void HexPane::moveCursor(Move move, bool select) {
    if (!inColumns()) {
        TokenView::moveCursor(move, select);
        return;
    }
    if (select)
        extendByGroups(move);
    else
        moveByNibbles(move);
}

qint64 HexPane::groupsInPage() const {
    return tokensPerRow() * qMax<qint64>(1, viewport()->height() / rowHeight());
}

void HexPane::moveByNibbles(Move move) {
    const qint64 n = tokenCount();
    const qint64 perRow = tokensPerRow();
    const qint64 page = groupsInPage();
    const TokenPlace at = cursorPlace();
    qint64 nibble = 2 * at.token + qMin(1, at.offset);
    const qint64 rowFirst = at.token / perRow * perRow;
    switch (move) {
    case Move::Left:
        --nibble;
        break;
    case Move::Right:
        ++nibble;
        break;
    case Move::WordLeft:
        nibble = nibble % 2 ? nibble - 1 : nibble - 2;
        break;
    case Move::WordRight:
        nibble = nibble - nibble % 2 + 2;
        break;
    case Move::Up:
        nibble -= 2 * perRow;
        break;
    case Move::Down:
        nibble += 2 * perRow;
        break;
    case Move::PageUp:
        nibble -= 2 * page;
        break;
    case Move::PageDown:
        nibble += 2 * page;
        break;
    case Move::RowStart:
        nibble = 2 * rowFirst;
        break;
    case Move::RowEnd:
        nibble = 2 * qMin(n, rowFirst + perRow) - 1;
        break;
    case Move::Start:
        nibble = 0;
        break;
    case Move::End:
        nibble = 2 * n - 1;
        break;
    }
    nibble = std::clamp<qint64>(nibble, 0, 2 * n);
    const TokenPlace to{nibble / 2, int(nibble % 2)};
    moveCursorTo(to, to, true);
}

void HexPane::extendByGroups(Move move) {
    const qint64 n = tokenCount();
    const qint64 perRow = tokensPerRow();
    const qint64 page = groupsInPage();
    const TokenPlace fixed =
        hasSelection() ? anchorPlace() : TokenPlace{qMin(n, cursorPlace().token), 0};
    qint64 boundary = hasSelection() ? cursorPlace().token : fixed.token;
    const qint64 rowFirst = qMin(boundary, n - 1) / perRow * perRow;
    switch (move) {
    case Move::Left:
    case Move::WordLeft:
        --boundary;
        break;
    case Move::Right:
    case Move::WordRight:
        ++boundary;
        break;
    case Move::Up:
        boundary -= perRow;
        break;
    case Move::Down:
        boundary += perRow;
        break;
    case Move::PageUp:
        boundary -= page;
        break;
    case Move::PageDown:
        boundary += page;
        break;
    case Move::RowStart:
        boundary = rowFirst;
        break;
    case Move::RowEnd:
        boundary = qMin(n, rowFirst + perRow);
        break;
    case Move::Start:
        boundary = 0;
        break;
    case Move::End:
        boundary = n;
        break;
    }
    moveCursorTo(fixed, {std::clamp<qint64>(boundary, 0, n), 0}, true);
}

std::pair<qint64, int> HexPane::cellAt(const QPointF &point) const {
    const TokenLayout &rows = layout();
    const QPointF at = toLayout(point);
    const qreal pitch = rows.columnPitch();
    const qint64 row =
        std::clamp<qint64>(qFloor((at.y() - margin) / rows.rowHeight()), 0, rows.rowCount() - 1);
    const qreal x = at.x() - rows.textLeft();
    const qint64 column = std::clamp<qint64>(qFloor(x / pitch), 0, tokensPerRow() - 1);
    const qint64 group = std::clamp<qint64>(row * tokensPerRow() + column, 0, tokenCount() - 1);
    return {group, x - column * pitch < rows.digitCell() ? 0 : 1};
}

void HexPane::mouseSelect(const QPointF &point, bool extend) {
    if (!inColumns() || tokenCount() == 0) {
        TokenView::mouseSelect(point, extend);
        return;
    }
    const auto [group, nibble] = cellAt(point);
    if (!extend) {
        pressed = {group, nibble};
        moveCursorTo({group, nibble}, {group, nibble}, false);
        return;
    }
    if (pressed.first < 0)
        pressed = {qMin(anchorPlace().token, tokenCount() - 1), 0};
    // Within the pressed group, the mouse selects it once it left the nibble.
    if (group == pressed.first && nibble == pressed.second && !hasSelection())
        return;
    if (group >= pressed.first)
        moveCursorTo({pressed.first, 0}, {group + 1, 0}, false);
    else
        moveCursorTo({pressed.first + 1, 0}, {group, 0}, false);
}

void HexPane::mouseSelectToken(const QPointF &point) {
    if (!inColumns() || tokenCount() == 0) {
        TokenView::mouseSelectToken(point);
        return;
    }
    const qint64 group = cellAt(point).first;
    pressed = {group, 0};
    moveCursorTo({group, 0}, {group + 1, 0}, false);
}

void HexPane::prepareFont() const {
    QImage image(64, 2 * fontMetrics().height(), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setFont(font());
    const int baseline = fontMetrics().ascent();
    for (const views::View view : {views::hexDump, views::cp866Column, views::cp1251Column}) {
        const DisplayTokens *shown = DisplayTokens::of(view);
        if (!shown)
            continue;
        for (int b = 0; b < 256; ++b)
            painter.drawText(0, baseline, shown->token(uchar(b)).toString());
    }
}
