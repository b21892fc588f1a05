#include "hexpane.h"

#include "hexdigit.h"
#include "typedkey.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

constexpr qreal margin = 4;

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

} // namespace

HexPane::HexPane(QWidget *parent) : TokenView(parent) {}

void HexPane::setEditable(bool on) {
    editable = on;
}

bool HexPane::inColumns() const {
    return tokensPerRow() > 0 && content.size() == groupSize * tokenCount();
}

std::pair<qreal, qreal> HexPane::cells() const {
    qreal digit = 0;
    qreal space = 0;
    for (const Style *style : stylesInUse()) {
        for (const char16_t ch : u"0123456789ABCDEF")
            if (ch)
                digit = qMax<qreal>(digit, style->advance(ch));
        space = qMax<qreal>(space, style->advance(u' '));
    }
    return {digit, space};
}

// Offsets have at least six digits, a space after them.
static qreal offsetMarginWidth(const QFont &font, int digits) {
    return (digits + 1) * QFontMetricsF(font).horizontalAdvance(QLatin1Char('0'));
}

static int offsetDigitsFor(qint64 lastOffset) {
    return qMax(6, int(QString::number(qMax<qint64>(0, lastOffset), 16).size()));
}

void HexPane::layoutUpdated() const {
    const qreal oldPitch = digitCell + spaceCell;
    const qreal oldMargin = offsetWidth;
    std::tie(digitCell, spaceCell) = cells();
    offsetWidth = 0;
    if (inColumns() && source().offset >= 0) {
        offsetDigits = offsetDigitsFor(source().offset + byteCount() - 1);
        offsetWidth = offsetMarginWidth(font(), offsetDigits);
    }
    if (oldPitch != digitCell + spaceCell || oldMargin != offsetWidth)
        emit const_cast<HexPane *>(this)->columnsChanged();
}

int HexPane::widthForColumns(qint64 documentSize) const {
    const auto [digit, space] = cells();
    const qreal text = margin + offsetMarginWidth(font(), offsetDigitsFor(documentSize - 1)) +
                       tokensPerRow() * (2 * digit + 2 * space) + margin;
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

void HexPane::placeRow(qsizetype row, QVarLengthArray<qreal, 256> &xs) const {
    if (!inColumns()) {
        TokenView::placeRow(row, xs);
        return;
    }
    xs.clear();
    const qreal pitch = 2 * digitCell + 2 * spaceCell;
    const qsizetype first = row * tokensPerRow();
    const qsizetype last = qMin(byteCount(), first + tokensPerRow());
    qreal x = textLeft();
    for (qsizetype k = first; k < last; ++k) {
        x = textLeft() + qreal(k - first) * pitch;
        for (qsizetype i = tokenStart(k); i < tokenEnd(k); ++i) {
            xs.append(x);
            x += content[i] == u' ' ? spaceCell : digitCell;
        }
    }
    xs.append(x);
}

qreal HexPane::contentWidth() const {
    if (!inColumns())
        return TokenView::contentWidth();
    return textLeft() + tokensPerRow() * (2 * digitCell + 2 * spaceCell) + margin;
}

qreal HexPane::columnCentre(int k) const {
    ensureLayout();
    return textLeft() + k * (2 * digitCell + 2 * spaceCell) + 1.5 * digitCell -
           horizontalScrollBar()->value();
}

void HexPane::paintRowMargin(QPainter &painter, qsizetype row, const QRectF &rowRect) {
    if (offsetWidth == 0)
        return;
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
    painter.drawText(QPointF(margin - horizontalScrollBar()->value(), rowRect.top() + baseline()),
                     offsetText(row));
}

bool HexPane::event(QEvent *event) {
    // Undo and redo act on the document, even if a window action had them.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key == QKeySequence::Undo || key == QKeySequence::Redo) {
            event->accept();
            return true;
        }
    }
    return TokenView::event(event);
}

void HexPane::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::Undo) {
        emit undoRequested();
        return;
    }
    if (event == QKeySequence::Redo) {
        emit redoRequested();
        return;
    }
    const QString typed = event->text();
    const int value =
        !typedkey::isCommand(*event) && typed.size() == 1 ? hexDigitValue(typed[0]) : -1;
    if (value >= 0) {
        if (editable && inColumns())
            typeNibble(value);
        return;
    }
    // Overwrite only: nothing inserts or removes text.
    if (insertsOrDeletes(event))
        return;
    TokenView::keyPressEvent(event);
}

void HexPane::typeNibble(int value) {
    const qsizetype at = hasSelection() ? selectionStart() : cursorPosition();
    const qsizetype group = groupOf(at);
    if (group >= byteCount())
        return;
    const bool low = at % groupSize != 0;
    emit nibbleTyped(group, low, value);
    const qsizetype next = low ? groupSize * (group + 1) : groupSize * group + 1;
    moveCursorTo(next, next, true);
}

// Without a selection the cursor stands on a nibble (or after the last
// group); a selection runs from group boundary to group boundary.
void HexPane::moveCursor(Move move, bool select) {
    if (!inColumns()) {
        TokenView::moveCursor(move, select);
        return;
    }
    const qsizetype n = byteCount();
    const qsizetype perRow = tokensPerRow();
    const qsizetype page = perRow * qMax<qsizetype>(1, viewport()->height() / rowHeight());
    if (!select) {
        const qsizetype at = cursorPosition();
        qsizetype nibble = 2 * groupOf(at) + qMin<qsizetype>(1, at % groupSize);
        const qsizetype rowFirst = groupOf(at) / perRow * perRow;
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
        nibble = qBound<qsizetype>(0, nibble, 2 * n);
        const qsizetype to = groupSize * (nibble / 2) + nibble % 2;
        moveCursorTo(to, to, true);
        return;
    }
    const qsizetype fixed =
        hasSelection() ? anchorPosition() : groupSize * qMin(n, groupOf(cursorPosition()));
    qsizetype boundary = hasSelection() ? groupOf(cursorPosition()) : groupOf(fixed);
    const qsizetype rowFirst = qMin(boundary, n - 1) / perRow * perRow;
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
    moveCursorTo(fixed, groupSize * qBound<qsizetype>(0, boundary, n), true);
}

std::pair<qsizetype, int> HexPane::cellAt(const QPointF &point) const {
    ensureLayout();
    const qreal pitch = 2 * digitCell + 2 * spaceCell;
    const qsizetype row = qBound<qsizetype>(
        0, firstVisibleRow() + qFloor((point.y() - margin) / rowHeight()), rowCount() - 1);
    const qreal x = point.x() + horizontalScrollBar()->value() - textLeft();
    const qsizetype column = std::clamp<qsizetype>(qFloor(x / pitch), 0, tokensPerRow() - 1);
    const qsizetype group = qBound<qsizetype>(0, row * tokensPerRow() + column, byteCount() - 1);
    return {group, x - column * pitch < digitCell ? 0 : 1};
}

void HexPane::mouseSelect(const QPointF &point, bool extend) {
    if (!inColumns() || byteCount() == 0) {
        TokenView::mouseSelect(point, extend);
        return;
    }
    const auto [group, nibble] = cellAt(point);
    if (!extend) {
        pressed = {group, nibble};
        moveCursorTo(groupSize * group + nibble, groupSize * group + nibble, false);
        return;
    }
    if (pressed.first < 0)
        pressed = {groupOf(qMin(anchorPosition(), groupSize * (byteCount() - 1))), 0};
    // Within the pressed group, the mouse selects it once it left the nibble.
    if (group == pressed.first && nibble == pressed.second && !hasSelection())
        return;
    if (group >= pressed.first)
        moveCursorTo(groupSize * pressed.first, groupSize * (group + 1), false);
    else
        moveCursorTo(groupSize * (pressed.first + 1), groupSize * group, false);
}

void HexPane::mouseSelectToken(const QPointF &point) {
    if (!inColumns() || byteCount() == 0) {
        TokenView::mouseSelectToken(point);
        return;
    }
    const qsizetype group = cellAt(point).first;
    pressed = {group, 0};
    moveCursorTo(groupSize * group, groupSize * (group + 1), false);
}
