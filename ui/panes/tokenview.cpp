#include "tokenview.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "paneaccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <QtMath>
#include <algorithm>
#include <optional>

namespace {

constexpr qreal margin = TokenLayout::margin;

} // namespace

TokenView::TokenView(QWidget *parent)
    : QAbstractScrollArea(parent), styles(font()), rows(text, styles),
      caretBlink(this, [this] { repaintCaret(); }),
      dragScroll(viewport(), [this] { autoScroll(); }) {
    paneaccessible::install();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // A scroll bar that comes and goes would change the width and lay a long
    // text out twice.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
}

TokenView::~TokenView() = default;

// Content ----------------------------------------------------------------

void TokenView::dropFollowing() {
    for (const QMetaObject::Connection &connection : std::as_const(followConnections))
        disconnect(connection);
    followConnections.clear();
    shareSelection(nullptr);
}

void TokenView::clear() {
    dropFollowing();
    const qint64 chars = QAccessible::isActive() ? text.charCount() : 0;
    const bool hadSelection = hasSelection();
    const bool moved = caret != TokenPlace{};
    text.clear();
    styles.cleared();
    anchor = caret = {};
    invalidateLayout();
    announce(0, chars, 0);
    emit contentReset();
    if (hadSelection)
        emit selectionChanged();
    if (moved)
        emit cursorPositionChanged();
}

void TokenView::append(views::View view, const PieceTable &bytes, qint64 documentOffset) {
    dropFollowing();
    const TokenPlace from = text.end();
    const qint64 chars = QAccessible::isActive() ? text.charCount() : 0;
    text.append(view, bytes, documentOffset);
    if (text.end() != from)
        styles.appended(from);
    invalidateLayout();
    if (QAccessible::isActive())
        announce(chars, 0, text.charCount() - chars);
    emit contentReset();
}

void TokenView::follow(views::View view, const ByteDocument *document, qint64 offset,
                       qint64 length) {
    clear();
    text.follow(view, document, offset, length);
    if (!text.isEmpty() || document)
        styles.appended({});
    if (document) {
        followConnections = {
            connect(document, &ByteDocument::changed, this, &TokenView::documentChanged),
            connect(document, &QObject::destroyed, this, &TokenView::clear),
        };
    }
    invalidateLayout();
    if (QAccessible::isActive())
        announce(0, 0, text.charCount());
    emit contentReset();
}

bool TokenView::replaceBytes(const PieceTable &bytes) {
    return applyChange(text.replaceBytes(bytes));
}

void TokenView::freeze() {
    dropFollowing();
    text.freeze();
}

void TokenView::documentChanged(qint64 offset, qint64 removed, qint64 added) {
    if (const auto change = text.documentChanged(offset, removed, added))
        applyChange(*change);
    // The shared selection moved with the edit before the content caught up.
    showSharedSelection(false);
}

// Shared selection -------------------------------------------------------

void TokenView::shareSelection(ByteSelection *selection) {
    if (shared)
        disconnect(sharedConnection);
    shared = text.isLive() ? selection : nullptr;
    if (!shared)
        return;
    sharedConnection =
        connect(shared, &ByteSelection::changed, this, [this] { showSharedSelection(true); });
    showSharedSelection(false);
}

void TokenView::showSharedSelection(bool scroll) {
    if (!shared || writingShared || text.isBehind())
        return;
    const qint64 base = text.followedRange()->offset;
    const qint64 n = text.tokenCount();
    const qint64 anchorAt = shared->anchor() - base;
    const qint64 caretAt = shared->caret() - base;
    TokenPlace newAnchor;
    TokenPlace newCaret;
    if (anchorAt == caretAt && caretAt >= 0 && caretAt <= n) {
        // On its own token the caret keeps its place in it (a nibble).
        newCaret = caret.token == caretAt && !hasSelection() ? caret : TokenPlace{caretAt, 0};
        newAnchor = newCaret;
    } else {
        const qint64 from = std::clamp<qint64>(qMin(anchorAt, caretAt), 0, n);
        const qint64 to = std::clamp<qint64>(qMax(anchorAt, caretAt), 0, n);
        if (from < to) {
            newAnchor = {anchorAt < caretAt ? from : to, 0};
            newCaret = {anchorAt < caretAt ? to : from, 0};
        } else {
            // None of it is shown: no stale highlight stays.
            newAnchor = newCaret = caret;
        }
    }
    showingShared = true;
    moveCursorTo(newAnchor, newCaret, false);
    if (scroll)
        ensureVisible(caret);
    showingShared = false;
}

// A selection that ends inside a token takes the whole token.
void TokenView::writeSharedSelection() {
    if (!shared || showingShared || text.isBehind())
        return;
    const qint64 base = text.followedRange()->offset;
    const auto [from, to] = selectedTokens();
    writingShared = true;
    if (!hasSelection())
        shared->moveCaret(base + caret.token);
    else if (anchor < caret)
        shared->select(base + from, base + to);
    else
        shared->select(base + to, base + from);
    writingShared = false;
}

void TokenView::setMarkedBytes(ByteMarks marked) {
    markedBytes = std::move(marked);
    viewport()->update();
}

// Fonts, caret and rows keep their tokens; those after the change move by
// as many tokens as it added or took away.
bool TokenView::applyChange(const PaneContent::TokenChange &change) {
    if (change.removed == 0 && change.added == 0)
        return false;
    styles.tokensChanged(change.first, change.removed, change.added);
    if (text.isEmpty())
        styles.cleared();
    rows.tokensChanged(change.first, change.removed, change.added);
    const TokenPlace oldAnchor = anchor;
    const TokenPlace oldCaret = caret;
    const auto shifted = [&](TokenPlace place) {
        return text.normalized(shiftedPlace(place, change.first, change.removed, change.added));
    };
    anchor = shifted(anchor);
    caret = shifted(caret);
    invalidateLayout();
    if (QAccessible::isActive())
        announce(text.charOf({change.first, 0}), change.removedChars, change.addedChars);
    if (qMin(oldAnchor, oldCaret) != qMin(anchor, caret) ||
        qMax(oldAnchor, oldCaret) != qMax(anchor, caret))
        emit selectionChanged();
    if (oldCaret != caret)
        emit cursorPositionChanged();
    return true;
}

qsizetype TokenView::tokenAt(qsizetype position) const {
    if (text.isEmpty())
        return 0;
    return qMin(text.placeOf(position).token, text.tokenCount() - 1);
}

// Formats ----------------------------------------------------------------

void TokenView::mergeCurrentCharFormat(const QTextCharFormat &format) {
    styles.merge(qMin(anchor, caret), qMax(anchor, caret), text.end(), format);
    invalidateLayout();
}

QTextCharFormat TokenView::charFormatAt(qsizetype position) const {
    const qint64 last = qMax<qint64>(0, text.charCount() - 1);
    return styles.formatOf(styles.styleAt(text.placeOf(std::clamp<qint64>(position, 0, last))));
}

std::pair<qsizetype, qsizetype> TokenView::formatRange(qsizetype position) const {
    const TokenPlace place = text.placeOf(position);
    const TokenPlace end = styles.runAt(place).second;
    return {text.charOf(styles.runStart(place)),
            end.token < 0 ? text.charCount() : text.charOf(end)};
}

// Layout -----------------------------------------------------------------

void TokenView::setTokensPerRow(int n) {
    if (rows.tokensPerRow() == n)
        return;
    rows.setTokensPerRow(n);
    invalidateLayout();
}

void TokenView::setColumns(bool on) {
    rows.setColumns(on);
    invalidateLayout();
}

void TokenView::setMinimumRowHeight(int pixels) {
    if (minimumRowHeight == pixels)
        return;
    minimumRowHeight = pixels;
    rows.setMinimumRowHeight(pixels);
    invalidateLayout();
}

const TokenLayout &TokenView::layout() const {
    ensureLayout();
    return rows;
}

qreal TokenView::textLeft() const {
    return margin;
}

void TokenView::invalidateLayout() {
    rows.invalidate();
    layoutDirty = true;
    viewport()->update();
    // Scroll bars and listeners learn of it once the new layout is known,
    // even while the pane is hidden.
    if (!layoutQueued) {
        layoutQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                layoutQueued = false;
                ensureLayout();
            },
            Qt::QueuedConnection);
    }
}

void TokenView::ensureLayout() const {
    if (!layoutDirty)
        return;
    layoutDirty = false;
    auto *self = const_cast<TokenView *>(this);
    self->rows.setWidth(viewport()->width());
    self->rows.setTextLeft(textLeft());
    self->layoutUpdated();
    self->rows.setTextLeft(textLeft());
    updateScrollBars();
    emit self->layoutChanged();
}

qsizetype TokenView::visibleRows() const {
    return qMax<qsizetype>(1, qFloor((viewport()->height() - margin) / qMax(1, rows.rowHeight())));
}

void TokenView::updateScrollBars() const {
    QScrollBar *vertical = verticalScrollBar();
    const qint64 visible = visibleRows();
    vertical->setRange(0, int(std::clamp<qint64>(rows.rowCount() - visible, 0, INT_MAX)));
    vertical->setPageStep(int(visible));
    vertical->setSingleStep(1);
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, qMax(0, qCeil(rows.contentWidth()) - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(20);
}

qsizetype TokenView::firstVisibleRow() const {
    ensureLayout();
    return verticalScrollBar()->value();
}

QPointF TokenView::toLayout(const QPointF &point) const {
    ensureLayout();
    return point +
           QPointF(horizontalScrollBar()->value(), qreal(firstVisibleRow()) * rows.rowHeight());
}

qreal TokenView::rowTopInViewport(qsizetype row) const {
    return rows.rowTop(row) - qreal(firstVisibleRow()) * rows.rowHeight();
}

// Selection --------------------------------------------------------------

void TokenView::moveCursorTo(TokenPlace newAnchor, TokenPlace newCaret, bool scroll) {
    newAnchor = text.normalized(newAnchor);
    newCaret = text.normalized(newCaret);
    const bool selectionMoved = (anchor != caret || newAnchor != newCaret) &&
                                (qMin(anchor, caret) != qMin(newAnchor, newCaret) ||
                                 qMax(anchor, caret) != qMax(newAnchor, newCaret));
    const bool cursorMoved = newCaret != caret;
    anchor = newAnchor;
    caret = newCaret;
    if (scroll)
        ensureVisible(caret);
    caretBlink.restart();
    viewport()->update();
    if (QAccessible::isActive()) {
        if (cursorMoved) {
            QAccessibleTextCursorEvent event(this, int(cursorPosition()));
            QAccessible::updateAccessibility(&event);
        }
        if (selectionMoved) {
            QAccessibleTextSelectionEvent event(this, int(selectionStart()), int(selectionEnd()));
            QAccessible::updateAccessibility(&event);
        }
    }
    if (selectionMoved || cursorMoved)
        writeSharedSelection();
    if (selectionMoved)
        emit selectionChanged();
    if (cursorMoved)
        emit cursorPositionChanged();
}

void TokenView::setSelection(qsizetype newAnchor, qsizetype newPosition) {
    moveCursorTo(text.placeOf(newAnchor), text.placeOf(newPosition), false);
}

void TokenView::setSelection(TokenPlace newAnchor, TokenPlace newCaret, bool scroll) {
    moveCursorTo(newAnchor, newCaret, scroll);
}

void TokenView::selectTokens(qint64 first, qint64 last, bool scroll) {
    moveCursorTo({first, 0}, {last, 0}, false);
    if (scroll)
        ensureVisible(qMin(anchor, caret));
}

std::pair<qint64, qint64> TokenView::selectedTokens() const {
    const TokenPlace from = qMin(anchor, caret);
    const TokenPlace to = qMax(anchor, caret);
    if (from == to)
        return {from.token, from.token};
    return {from.token, to.offset > 0 ? to.token + 1 : to.token};
}

void TokenView::selectAll() {
    moveCursorTo({}, text.end(), false);
}

void TokenView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TokenView::ensureVisible(qsizetype position) {
    ensureVisible(text.placeOf(position));
}

void TokenView::ensureVisible(TokenPlace place) {
    ensureLayout();
    const qint64 row = rows.rowOf(place);
    QScrollBar *vertical = verticalScrollBar();
    const qint64 visible = visibleRows();
    if (row < vertical->value())
        vertical->setValue(int(row));
    else if (row >= vertical->value() + visible)
        vertical->setValue(int(row - visible + 1));
    const qreal x = rows.pointOf(place).x();
    QScrollBar *horizontal = horizontalScrollBar();
    if (x - margin < horizontal->value())
        horizontal->setValue(qFloor(x - margin));
    else if (x + margin > horizontal->value() + viewport()->width())
        horizontal->setValue(qCeil(x + margin - viewport()->width()));
}

QRectF TokenView::placeRect(TokenPlace place) const {
    ensureLayout();
    const QPointF point = rows.pointOf(place);
    const qint64 row = rows.rowOf(text.normalized(place));
    return QRectF(point.x() - horizontalScrollBar()->value(), rowTopInViewport(row), 1,
                  rows.rowHeight());
}

QRectF TokenView::positionRect(qsizetype position) const {
    return placeRect(text.placeOf(position));
}

TokenPlace TokenView::placeAt(const QPointF &point) const {
    return rows.placeAt(toLayout(point));
}

qsizetype TokenView::positionAt(const QPointF &point) const {
    return text.charOf(placeAt(point));
}

qsizetype TokenView::characterAt(const QPointF &point) const {
    return text.charOf(rows.characterAt(toLayout(point)));
}

// Painting ---------------------------------------------------------------

void TokenView::paintEvent(QPaintEvent *event) {
    ensureLayout();
    QPainter painter(viewport());
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const QColor highlight = palette().color(group, QPalette::Highlight);
    const QColor highlightedText = palette().color(group, QPalette::HighlightedText);
    const QColor textColor = palette().color(group, QPalette::Text);
    const qreal scrollX = horizontalScrollBar()->value();
    const qint64 first = firstVisibleRow();
    const qint64 count = rows.rowCount();
    const int height = rows.rowHeight();
    const qreal baseline = rows.ascent();
    const TokenPlace selFrom = qMin(anchor, caret);
    const TokenPlace selTo = qMax(anchor, caret);
    TokenLayout::Row row;
    QString run;
    for (qint64 r = first; r < count; ++r) {
        const qreal top = rowTopInViewport(r);
        if (top > event->rect().bottom() + 1)
            break;
        const QRectF rowRect(0, top, viewport()->width(), height);
        if (!rowRect.intersects(event->rect()))
            continue;
        paintRowMargin(painter, r, rowRect);
        rows.placeRow(r, row);
        const auto &cells = row.cells;
        const auto xAfter = [&](qsizetype i) {
            return i + 1 < cells.size() ? cells[i + 1].x : row.endX;
        };
        // The selection's background, a line break's included.
        qsizetype a = 0;
        while (a < cells.size() && cells[a].place < selFrom)
            ++a;
        qsizetype b = a;
        while (b < cells.size() && cells[b].place < selTo)
            ++b;
        if (a < b) {
            qreal right = xAfter(b - 1);
            if (cells[b - 1].ch == u'\n')
                right += styles.style(cells[b - 1].style).advance(u' ');
            painter.fillRect(QRectF(cells[a].x - scrollX, top, right - cells[a].x, height),
                             highlight);
        }
        if (markedBytes && text.isLive())
            paintMarks(painter, row, a, b, top, scrollX);
        // Characters that share a style and a selection state and stand
        // where their advances put them are drawn in one go.
        qsizetype i = 0;
        while (i < cells.size()) {
            if (cells[i].ch == u'\n') {
                ++i;
                continue;
            }
            const int style = cells[i].style;
            const PaneStyles::Style &shown = styles.style(style);
            const bool selected = i >= a && i < b;
            qsizetype j = i + 1;
            while (j < cells.size() && cells[j].ch != u'\n' && cells[j].style == style &&
                   (j >= a && j < b) == selected &&
                   qAbs(cells[j].x - cells[j - 1].x - shown.advance(cells[j - 1].ch)) < 0.01)
                ++j;
            run.resize(j - i);
            for (qsizetype k = i; k < j; ++k)
                run[k - i] = QChar(cells[k].ch);
            painter.setFont(shown.font());
            painter.setPen(selected ? highlightedText
                                    : (shown.color().isValid() ? shown.color() : textColor));
            painter.drawText(QPointF(cells[i].x - scrollX, top + baseline), run);
            i = j;
        }
    }
    if (caretBlink.isOn() && hasFocus()) {
        const QRectF caretRect = placeRect(caret);
        painter.fillRect(QRectF(caretRect.x(), caretRect.y(), 1, caretRect.height()), textColor);
    }
}

void TokenView::paintRowMargin(QPainter &, qsizetype, const QRectF &) {}

// Behind the characters of each marked byte outside the selection [a, b) of
// the row's cells: a token's characters, but not the spaces that part it
// from the next (a byte that is a space itself is marked).
void TokenView::paintMarks(QPainter &painter, const TokenLayout::Row &row, qsizetype a, qsizetype b,
                           qreal top, qreal scrollX) {
    const QColor mark = byteMarkColor(palette());
    const auto &cells = row.cells;
    qint64 token = -1;
    bool marked = false;
    for (qsizetype i = 0; i < cells.size(); ++i) {
        const TokenLayout::Cell &cell = cells[i];
        if (cell.place.token != token) {
            token = cell.place.token;
            const qint64 offset = text.documentOffsetOf(token);
            marked = offset >= 0 && markedBytes(offset);
        }
        if (!marked || (i >= a && i < b) || cell.ch == u'\n' ||
            (cell.ch == u' ' && cell.place.offset > 0))
            continue;
        const qreal right = i + 1 < cells.size() ? cells[i + 1].x : row.endX;
        painter.fillRect(QRectF(cell.x - scrollX, top, right - cell.x, rows.rowHeight()), mark);
    }
}

void TokenView::repaintCaret() {
    if (!layoutDirty)
        viewport()->update(placeRect(caret).toAlignedRect().adjusted(-1, 0, 1, 0));
}

// Assistive technology ---------------------------------------------------

void TokenView::announce(qint64 position, qint64 removedChars, qint64 addedChars) const {
    if (!QAccessible::isActive() || (removedChars == 0 && addedChars == 0))
        return;
    paneaccessible::textChanged(
        const_cast<TokenView *>(this), position, removedChars,
        text.text(text.placeOf(position), text.placeOf(position + addedChars)));
}

// Events -----------------------------------------------------------------

bool TokenView::ownsShortcut(const QKeyEvent *key) const {
    return key->matches(QKeySequence::Copy) || key->matches(QKeySequence::SelectAll);
}

bool TokenView::event(QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride &&
        ownsShortcut(static_cast<const QKeyEvent *>(event))) {
        event->accept();
        return true;
    }
    return QAbstractScrollArea::event(event);
}

void TokenView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    rows.setWidth(viewport()->width());
    if (rows.tokensPerRow() == 0)
        invalidateLayout();
    else
        updateScrollBars();
    emit layoutChanged();
}

void TokenView::scrollContentsBy(int, int) {
    viewport()->update();
    emit layoutChanged();
}

void TokenView::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange) {
        styles.setPaneFont(font());
        invalidateLayout();
    }
    QAbstractScrollArea::changeEvent(event);
}

void TokenView::focusInEvent(QFocusEvent *event) {
    caretBlink.restart();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void TokenView::focusOutEvent(QFocusEvent *event) {
    caretBlink.stop();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

TokenPlace TokenView::movedPlace(TokenPlace from, Move move) const {
    ensureLayout();
    const auto inRow = [&](qint64 row) {
        row = std::clamp<qint64>(row, 0, rows.rowCount() - 1);
        const qreal x = preferredX >= 0 ? preferredX : rows.pointOf(from).x();
        return rows.placeAt(QPointF(x, rows.rowTop(row) + 1));
    };
    const qint64 row = rows.rowOf(from);
    switch (move) {
    case Move::Left:
        return text.moved(from, -1);
    case Move::Right:
        return text.moved(from, 1);
    case Move::WordLeft:
        return from == TokenPlace{} ? from : TokenPlace{text.moved(from, -1).token, 0};
    case Move::WordRight:
        return from == text.end() ? from : text.normalized({from.token + 1, 0});
    case Move::Up:
        return row == 0 ? TokenPlace{} : inRow(row - 1);
    case Move::Down:
        return row + 1 >= rows.rowCount() ? text.end() : inRow(row + 1);
    case Move::PageUp:
        return inRow(row - visibleRows());
    case Move::PageDown:
        return inRow(row + visibleRows());
    case Move::RowStart:
        return rows.rowStart(row);
    case Move::RowEnd: {
        const TokenPlace end = rows.rowStart(row + 1);
        const TokenPlace last = text.moved(end, -1);
        const QStringView token = text.tokenText(last.token);
        const bool lineBreak =
            end != TokenPlace{} && last.offset < token.size() && token[last.offset] == u'\n';
        return lineBreak ? last : end;
    }
    case Move::Start:
        return {};
    case Move::End:
        return text.end();
    }
    return from;
}

void TokenView::moveCursor(Move move, bool select) {
    const TokenPlace to = movedPlace(caret, move);
    moveCursorTo(select ? anchor : to, to, true);
}

void TokenView::keyPressEvent(QKeyEvent *event) {
    if (event == QKeySequence::Copy) {
        copy();
        return;
    }
    if (event == QKeySequence::SelectAll) {
        selectAll();
        return;
    }
    if (const std::optional<CaretMoveKey> key = caretMoveOf(event)) {
        if (!isVertical(key->move))
            preferredX = -1;
        else if (preferredX < 0)
            preferredX = layout().pointOf(caret).x();
        moveCursor(key->move, key->select);
        return;
    }
    event->ignore();
}

void TokenView::mouseSelect(const QPointF &point, bool extend) {
    const TokenPlace at = placeAt(point);
    moveCursorTo(extend ? anchor : at, at, false);
}

void TokenView::mouseSelectToken(const QPointF &point) {
    if (text.isEmpty())
        return;
    TokenPlace at = placeAt(point);
    if (at == text.end())
        at = {text.tokenCount() - 1, 0};
    moveCursorTo({at.token, 0}, {at.token + 1, 0}, false);
}

void TokenView::mousePressEvent(QMouseEvent *event) {
    if (event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    preferredX = -1;
    mouseSelect(event->position(), event->modifiers() & Qt::ShiftModifier);
}

void TokenView::mouseMoveEvent(QMouseEvent *event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        QAbstractScrollArea::mouseMoveEvent(event);
        return;
    }
    dragScroll.follow(event->position().toPoint());
    mouseSelect(event->position(), true);
    ensureVisible(caret);
}

void TokenView::mouseReleaseEvent(QMouseEvent *event) {
    dragScroll.stop();
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TokenView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouseSelectToken(event->position());
}

void TokenView::autoScroll() {
    if (!dragScroll.buttonHeld())
        return;
    if (const int step = dragScroll.direction())
        verticalScrollBar()->setValue(verticalScrollBar()->value() + step);
    mouseSelect(dragScroll.point(), true);
}

void TokenView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    QAction *copyAction = menu.addAction(tr("Копировать"), this, &TokenView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction *all = menu.addAction(tr("Выделить все"), this, &TokenView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(!text.isEmpty());
    menu.exec(event->globalPos());
}
