#include "tokenview.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "paneaccessible.h"
#include "panenotice.h"
#include "tokenmoves.h"
#include "tokenrowpainter.h"
#include "tokenselection.h"

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

TokenView::TokenView(QWidget *parent) : PaneView(parent), styles(font()), rows(text, styles) {
    paneaccessible::install();
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // A scroll bar that comes and goes would change the width and lay a long
    // text out twice.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
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
    const bool moved = ownCaret != TokenPlace{};
    text.clear();
    styles.cleared();
    ownAnchor = ownCaret = {};
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
    if (shared)
        selectionShown(true, true);
}

// Shared selection -------------------------------------------------------

void TokenView::shareSelection(ByteSelection *selection) {
    if (shared) {
        // What the pane showed stays, as its own.
        std::tie(ownAnchor, ownCaret) = sharedPlaces();
        disconnect(sharedConnection);
    }
    shared = text.isLive() ? selection : nullptr;
    refined = {};
    if (!shared)
        return;
    // A caret inside a token stays there while the document's caret is on
    // the token's byte.
    if (ownAnchor == ownCaret) {
        const auto [anchorAt, caretAt] =
            tokenselection::offsetsOf(ownAnchor, ownCaret, text.followedRange()->offset);
        refined = {anchorAt, caretAt, ownAnchor, ownCaret};
    }
    sharedConnection = connect(shared, &ByteSelection::changed, this, &TokenView::sharedMoved);
    selectionShown(true, true);
}

std::pair<TokenPlace, TokenPlace> TokenView::places() const {
    if (shared)
        return sharedPlaces();
    return {ownAnchor, ownCaret};
}

std::pair<TokenPlace, TokenPlace> TokenView::sharedPlaces() const {
    const qint64 n = text.tokenCount();
    if (shared->anchor() == refined.anchorAt && shared->caret() == refined.caretAt &&
        qMax(refined.anchor, refined.caret).token <= n)
        return {text.normalized(refined.anchor), text.normalized(refined.caret)};
    return tokenselection::placesOf(shared->anchor(), shared->caret(), text.followedRange()->offset,
                                    n);
}

void TokenView::writeShared(TokenPlace newAnchor, TokenPlace newCaret) {
    const auto [anchorAt, caretAt] =
        tokenselection::offsetsOf(newAnchor, newCaret, text.followedRange()->offset);
    const auto [wasAnchor, wasCaret] = sharedPlaces();
    const bool sameOffsets = shared->anchor() == anchorAt && shared->caret() == caretAt;
    refined = {anchorAt, caretAt, newAnchor, newCaret};
    ownChange = true;
    shared->select(anchorAt, caretAt);
    ownChange = false;
    // A move inside tokens leaves the document's selection as it is.
    const auto [nowAnchor, nowCaret] = sharedPlaces();
    if (sameOffsets && (nowAnchor != wasAnchor || nowCaret != wasCaret)) {
        const bool selectionMoved = qMin(wasAnchor, wasCaret) != qMin(nowAnchor, nowCaret) ||
                                    qMax(wasAnchor, wasCaret) != qMax(nowAnchor, nowCaret);
        selectionShown(selectionMoved, nowCaret != wasCaret);
    }
}

void TokenView::sharedMoved() {
    // A move made elsewhere leaves no place inside a token.
    if (!ownChange)
        refined = {};
    // While the document is being changed the selection moves before the
    // content does: the pane shows it once the content has caught up.
    if (text.isBehind())
        return;
    if (!ownChange)
        ensureVisible(cursorPlace());
    selectionShown(true, true);
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
    const TokenPlace oldAnchor = ownAnchor;
    const TokenPlace oldCaret = ownCaret;
    const auto shifted = [&](TokenPlace place) {
        return text.normalized(shiftedPlace(place, change.first, change.removed, change.added));
    };
    ownAnchor = shifted(ownAnchor);
    ownCaret = shifted(ownCaret);
    invalidateLayout();
    if (QAccessible::isActive())
        announce(text.charOf({change.first, 0}), change.removedChars, change.addedChars);
    // A shared selection moves with the document's bytes by itself.
    if (shared)
        return true;
    if (qMin(oldAnchor, oldCaret) != qMin(ownAnchor, ownCaret) ||
        qMax(oldAnchor, oldCaret) != qMax(ownAnchor, ownCaret))
        emit selectionChanged();
    if (oldCaret != ownCaret)
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
    styles.merge(selectionFrom(), selectionTo(), text.end(), format);
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
    return rowsInSight(rows.rowHeight(), margin);
}

void TokenView::updateScrollBars() const {
    setRowRange(rows.rowCount(), visibleRows());
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, qMax(0, qCeil(rows.contentWidth()) - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(20);
}

qsizetype TokenView::firstVisibleRow() const {
    ensureLayout();
    return firstRowInSight();
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
    if (shared && !text.isBehind()) {
        writeShared(newAnchor, newCaret);
        if (scroll)
            ensureVisible(cursorPlace());
        caretBlink.restart();
        return;
    }
    const bool selectionMoved = (ownAnchor != ownCaret || newAnchor != newCaret) &&
                                (qMin(ownAnchor, ownCaret) != qMin(newAnchor, newCaret) ||
                                 qMax(ownAnchor, ownCaret) != qMax(newAnchor, newCaret));
    const bool cursorMoved = newCaret != ownCaret;
    ownAnchor = newAnchor;
    ownCaret = newCaret;
    if (scroll)
        ensureVisible(ownCaret);
    selectionShown(selectionMoved, cursorMoved);
}

void TokenView::selectionShown(bool selectionMoved, bool cursorMoved) {
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
        ensureVisible(selectionFrom());
}

std::pair<qint64, qint64> TokenView::selectedTokens() const {
    const TokenPlace from = selectionFrom();
    const TokenPlace to = selectionTo();
    if (from == to)
        return {from.token, from.token};
    return {from.token, to.offset > 0 ? to.token + 1 : to.token};
}

void TokenView::selectAll() {
    moveCursorTo({}, text.end(), false);
}

void TokenView::copy() {
    if (hasSelection() && fitsClipboard(this, selectionEnd() - selectionStart()))
        QGuiApplication::clipboard()->setText(selectedText());
}

void TokenView::ensureVisible(qsizetype position) {
    ensureVisible(text.placeOf(position));
}

void TokenView::ensureVisible(TokenPlace place) {
    ensureLayout();
    bringRowIntoSight(rows.rowOf(place), visibleRows());
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
    const int height = rows.rowHeight();
    TokenRowPainter rowPainter(painter, styles, palette(), hasFocus(),
                               horizontalScrollBar()->value(), height, rows.ascent());
    rowPainter.setSelection(selectionFrom(), selectionTo());
    if (markedBytes && text.isLive()) {
        rowPainter.setMarks([this](qint64 token) {
            const qint64 offset = text.documentOffsetOf(token);
            return offset >= 0 && markedBytes(offset);
        });
    }
    TokenLayout::Row row;
    for (qint64 r = firstVisibleRow(), count = rows.rowCount(); r < count; ++r) {
        const qreal top = rowTopInViewport(r);
        if (top > event->rect().bottom() + 1)
            break;
        const QRectF rowRect(0, top, viewport()->width(), height);
        if (!rowRect.intersects(event->rect()))
            continue;
        paintRowMargin(painter, r, rowRect);
        rows.placeRow(r, row);
        rowPainter.paint(row, top);
    }
    if (caretBlink.isOn() && hasFocus()) {
        const QRectF caretRect = placeRect(cursorPlace());
        painter.fillRect(QRectF(caretRect.x(), caretRect.y(), 1, caretRect.height()),
                         palette().color(QPalette::Active, QPalette::Text));
    }
}

void TokenView::paintRowMargin(QPainter &, qsizetype, const QRectF &) {}

void TokenView::repaintCaret() {
    if (!layoutDirty)
        viewport()->update(placeRect(cursorPlace()).toAlignedRect().adjusted(-1, 0, 1, 0));
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

void TokenView::resizeEvent(QResizeEvent *event) {
    PaneView::resizeEvent(event);
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

void TokenView::fontChanged() {
    styles.setPaneFont(font());
    invalidateLayout();
}

TokenPlace TokenView::movedPlace(TokenPlace from, Move move) const {
    ensureLayout();
    return tokenmoves::moved(text, rows, from, move, preferredX, visibleRows());
}

void TokenView::moveCursor(Move move, bool select) {
    const TokenPlace to = movedPlace(cursorPlace(), move);
    moveCursorTo(select ? anchorPlace() : to, to, true);
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
            preferredX = layout().pointOf(cursorPlace()).x();
        moveCursor(key->move, key->select);
        return;
    }
    event->ignore();
}

void TokenView::mouseSelect(const QPointF &point, bool extend) {
    const TokenPlace at = placeAt(point);
    moveCursorTo(extend ? anchorPlace() : at, at, false);
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
        PaneView::mousePressEvent(event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    preferredX = -1;
    mouseSelect(event->position(), event->modifiers() & Qt::ShiftModifier);
}

void TokenView::mouseDragged(const QMouseEvent *event) {
    dragScroll.follow(event->position().toPoint());
    mouseSelect(event->position(), true);
    ensureVisible(cursorPlace());
}

void TokenView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouseSelectToken(event->position());
}

void TokenView::dragTo(const QPointF &point) {
    mouseSelect(point, true);
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
