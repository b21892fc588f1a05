#include "inputpane.h"

#include "tokenview.h"

#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "inputpaneaccessible.h"
#include "inputpanedrop.h"
#include "inputpaneediting.h"
#include "inputpanekeys.h"
#include "inputpanemenu.h"
#include "inputpanemouse.h"
#include "inputrowpainter.h"
#include "panenotice.h"
#include "textunits.h"

#include <QApplication>
#include <QInputMethod>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

// Room around the text, as a text document keeps by default.
constexpr qreal margin = 4;

qreal pixels(qint32 fixed) {
    return fixed / 64.0;
}

} // namespace

InputPane::InputPane(ByteDocument *document, ByteSelection *selection, QWidget *parent)
    : PaneView(parent), doc(document), sel(selection), styles(font()),
      layoutRows(document->bytes(), runs), editing(std::make_unique<InputPaneEditing>(this)),
      keys(std::make_unique<InputPaneKeys>(this)), mouse(std::make_unique<InputPaneMouse>(this)),
      drop(std::make_unique<InputPaneDrop>(this)) {
    InputPaneAccessible::install();
    setAttribute(Qt::WA_InputMethodEnabled);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    // Rows wrap at the width: there is nothing to scroll sideways.
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

    runs.reset(doc->size(), 0);
    layoutRows.setAdvances(styles.advanceTables());
    relayOut();

    connect(doc, &ByteDocument::changed, this, &InputPane::documentChanged);
    connect(sel, &ByteSelection::changed, this, &InputPane::selectionChanged);
}

InputPane::~InputPane() = default;

// The document and the selection -------------------------------------------

void InputPane::documentChanged(qint64 offset, qint64 removed, qint64 added) {
    const qint64 oldSize = runs.size();
    if (editStyle >= 0) {
        runs.replace(offset, removed, added, editStyle);
    } else if (offset == 0 && removed == oldSize) {
        // The document replaced whole, as a file is opened: it takes the
        // insertion point's format, as text set into a text edit does.
        runs.replace(offset, removed, added, insertionStyle());
    } else if (removed != added) {
        // Bytes put back by undo, or written by another window, take the
        // style of the byte before them; bytes replaced one for one keep theirs.
        const int style = offset > 0       ? runs.styleAt(offset - 1)
                          : runs.isEmpty() ? 0
                                           : runs.styleAt(0);
        runs.replace(offset, removed, added, style);
    }
    explicitStyle = -1;
    layoutRows.edited(offset, removed, added);
    updateRowMetrics();
    updateScrollBars();
    viewport()->update();
    PaneNotice::dismiss(this);
    tellAccessibility(offset, removed, added);
    if (std::exchange(scrollPending, false))
        ensureCaretVisible();
}

void InputPane::selectionChanged() {
    explicitStyle = -1;
    // While the document is being changed, the selection moves before the
    // rows do: nothing is looked up in them until they have caught up.
    const bool laidOut = layoutRows.size() == doc->size();
    if (!ownChange) {
        preferredX = -1;
        caretUpstream = false;
        editing->endRun();
        // A selection made by another window comes into sight, as a text
        // edit's cursor set from outside does.
        if (laidOut)
            ensureCaretVisible();
        else
            scrollPending = true;
    }
    if (laidOut)
        caretBlink.restart();
    else
        caretBlink.setOn(hasFocus());
    viewport()->update();
    if (hasFocus() && laidOut)
        QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    InputPaneAccessible::selectionMoved(this);
}

InputPane::Range InputPane::shownSelection() const {
    const PieceTable &bytes = doc->bytes();
    if (sel->isEmpty()) {
        const qint64 at = crlf::snapDown(bytes, sel->caret());
        return {at, at};
    }
    return {crlf::snapDown(bytes, sel->start()), crlf::snapUp(bytes, sel->end())};
}

ByteText InputPane::selectedBytes() const {
    const Range shown = shownSelection();
    return doc->read(shown.start, shown.end - shown.start);
}

qint64 InputPane::caret() const {
    const PieceTable &bytes = doc->bytes();
    if (sel->isEmpty() || sel->caret() < sel->anchor())
        return crlf::snapDown(bytes, sel->caret());
    return crlf::snapUp(bytes, sel->caret());
}

void InputPane::setSelection(qint64 anchor, qint64 caretAt, bool upstream) {
    ownChange = true;
    caretUpstream = upstream;
    sel->select(anchor, caretAt);
    ownChange = false;
    // The same selection again still shows where the caret stands.
    viewport()->update();
}

void InputPane::selectBytes(qint64 offset, qint64 length) {
    sel->selectRange(offset, length);
    ensureCaretVisible();
}

void InputPane::selectAll() {
    sel->select(0, doc->size());
}

// Layout -----------------------------------------------------------------

qreal InputPane::textLeft() const {
    return margin;
}

void InputPane::relayOut() {
    laidOutWidth = viewport()->width();
    layoutRows.setWidth(qint32(std::lround(std::max<qreal>(1, laidOutWidth - 2 * margin) * 64)));
    layoutRows.layOutAll();
    updateRowMetrics();
    updateScrollBars();
    viewport()->update();
}

// One row height for all rows: the tallest style in use.
void InputPane::updateRowMetrics() {
    std::vector<bool> used(std::size_t(styles.count()));
    used[std::size_t(insertionStyle())] = true;
    for (const StyleRuns::Run &run : runs.list())
        used[std::size_t(run.style)] = true;
    qreal maxAscent = 0;
    qreal maxDescent = 0;
    for (int style = 0; style < styles.count(); ++style) {
        if (!used[std::size_t(style)])
            continue;
        maxAscent = std::max(maxAscent, styles.at(style).ascent());
        maxDescent = std::max(maxDescent, styles.at(style).descent());
    }
    const int height = std::max(1, int(std::ceil(maxAscent + maxDescent)));
    if (height != rowPixels || maxAscent != ascent) {
        rowPixels = height;
        ascent = maxAscent;
        viewport()->update();
    }
}

qint64 InputPane::visibleRows() const {
    return rowsInSight(rowPixels, margin);
}

void InputPane::updateScrollBars() {
    setRowRange(layoutRows.rowCount(), visibleRows());
}

qint64 InputPane::firstVisibleRow() const {
    return firstRowInSight();
}

QRectF InputPane::rowRect(qint64 row) const {
    return QRectF(0, margin + qreal(row - firstVisibleRow()) * rowPixels, viewport()->width(),
                  rowPixels);
}

qint64 InputPane::caretRow() const {
    return layoutRows.rowOf(caret(), caretUpstream);
}

QRect InputPane::caretRect() const {
    const qint64 row = caretRow();
    const qreal x = textLeft() + pixels(layoutRows.xOf(layoutRows.row(row), caret()));
    return QRect(int(std::floor(x)), int(rowRect(row).top()), 1, rowPixels);
}

QRectF InputPane::byteRect(qint64 offset) const {
    offset = std::clamp<qint64>(offset, 0, doc->size());
    const qint64 row = layoutRows.rowOf(offset);
    const RowLayout::Row r = layoutRows.row(row);
    const qreal x = textLeft() + pixels(layoutRows.xOf(r, offset));
    const qreal next =
        offset < r.textEnd() ? textLeft() + pixels(layoutRows.xOf(r, offset + 1)) : x;
    return QRectF(x, rowRect(row).top(), next - x, rowPixels);
}

qint64 InputPane::offsetInRow(qint64 row, qreal x, bool *upstream) const {
    const RowLayout::Hit hit = layoutRows.hit(row, qint32(std::lround((x - textLeft()) * 64)));
    if (upstream)
        *upstream = hit.upstream;
    return hit.offset;
}

qint64 InputPane::rowAt(qreal y) const {
    return std::clamp<qint64>(firstVisibleRow() + qint64(std::floor((y - margin) / rowPixels)), 0,
                              layoutRows.rowCount() - 1);
}

qint64 InputPane::offsetAt(const QPointF &point, bool *upstream) const {
    return offsetInRow(rowAt(point.y()), point.x(), upstream);
}

qint64 InputPane::byteAt(const QPointF &point) const {
    return layoutRows.byteAt(rowAt(point.y()), qint32(std::lround((point.x() - textLeft()) * 64)));
}

void InputPane::ensureCaretVisible() {
    bringRowIntoSight(caretRow(), visibleRows());
}

void InputPane::centerCaret() {
    scrollToRow(caretRow() - visibleRows() / 2);
}

// Painting ---------------------------------------------------------------

void InputPane::paintEvent(QPaintEvent *event) {
    if (viewport()->width() != laidOutWidth)
        relayOut();
    QPainter painter(viewport());
    const Range selected = shownSelection();
    InputRowPainter rowPainter(painter, layoutRows, styles, palette(), hasFocus(), textLeft(),
                               ascent);
    rowPainter.setSelection(selected.start, selected.end);
    rowPainter.setMarks(markedBytes);
    const qint64 rows = layoutRows.rowCount();
    for (qint64 row = firstVisibleRow(); row < rows; ++row) {
        const QRectF rect = rowRect(row);
        if (rect.top() > event->rect().bottom() + 1)
            break;
        if (rect.intersects(event->rect()))
            rowPainter.paint(row, rect);
    }
    paintCarets(painter);
}

// The caret, where a drop would go, and text an input method is composing.
void InputPane::paintCarets(QPainter &painter) {
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    const QString &preedit = editing->preeditText();
    if (caretBlink.isOn() && hasFocus() && preedit.isEmpty())
        painter.fillRect(caretRect(), palette().color(group, QPalette::Text));
    if (drop->dropCaret() >= 0) {
        const QRectF at = byteRect(drop->dropCaret());
        painter.fillRect(QRectF(std::floor(at.x()), at.y(), 1, rowPixels),
                         palette().color(group, QPalette::Text));
    }
    if (!preedit.isEmpty()) {
        // Over the caret until committed.
        const QRect at = caretRect();
        const QFont font = styles.at(insertionStyle()).font();
        const QFontMetricsF metrics(font);
        const QRectF box(at.left(), at.top(), metrics.horizontalAdvance(preedit) + 2, rowPixels);
        painter.fillRect(box, palette().color(group, QPalette::Base));
        QFont underlined = font;
        underlined.setUnderline(true);
        painter.setFont(underlined);
        painter.setPen(palette().color(group, QPalette::Text));
        painter.drawText(QPointF(box.left() + 1, box.top() + ascent), preedit);
    }
}

void InputPane::setMarkedBytes(ByteMarks marked) {
    markedBytes = std::move(marked);
    viewport()->update();
}

// While the document is being changed the rows lag behind it and the
// caret has no place yet: the pane is repainted whole once they catch up.
void InputPane::repaintCaret() {
    if (layoutRows.size() == doc->size())
        viewport()->update(caretRect().adjusted(-1, 0, 1, 0));
}

// Events -----------------------------------------------------------------

void InputPane::resizeEvent(QResizeEvent *event) {
    PaneView::resizeEvent(event);
    // A new width lays every row out anew.
    if (viewport()->width() != laidOutWidth)
        relayOut();
    else
        updateScrollBars();
}

void InputPane::fontChanged() {
    styles.setPaneFont(font());
    layoutRows.setAdvances(styles.advanceTables());
    relayOut();
}

// Input, each kind to its controller ----------------------------------------

bool InputPane::event(QEvent *event) {
    // Tab is taken before the widget would move the focus with it.
    if (event->type() == QEvent::KeyPress && keys->tabPressed(*static_cast<QKeyEvent *>(event)))
        return true;
    return PaneView::event(event);
}

void InputPane::keyPressEvent(QKeyEvent *event) {
    if (!keys->pressed(*event)) {
        event->ignore();
        return;
    }
    event->accept();
    caretBlink.restart();
}

bool InputPane::ownsShortcut(const QKeyEvent *key) const {
    return InputPaneKeys::ownsShortcut(*key);
}

void InputPane::inputMethodEvent(QInputMethodEvent *event) {
    editing->inputMethodEvent(event);
}

QVariant InputPane::inputMethodQuery(Qt::InputMethodQuery query) const {
    const QVariant answer = editing->inputMethodQuery(query);
    return answer.isValid() || query == Qt::ImMaximumTextLength ? answer
                                                                : PaneView::inputMethodQuery(query);
}

void InputPane::mousePressEvent(QMouseEvent *event) {
    if (!mouse->pressed(event))
        PaneView::mousePressEvent(event);
}

void InputPane::mouseDragged(const QMouseEvent *event) {
    mouse->dragged(event);
}

void InputPane::dragTo(const QPointF &point) {
    mouse->dragTo(point);
}

void InputPane::mouseReleased(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouse->released(event);
    else
        PaneView::mouseReleased(event);
}

void InputPane::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouse->doubleClicked(event);
    else
        PaneView::mouseDoubleClickEvent(event);
}

void InputPane::contextMenuEvent(QContextMenuEvent *event) {
    InputPaneMenu::exec(this, event->globalPos());
}

void InputPane::dragEnterEvent(QDragEnterEvent *event) {
    drop->entered(event);
}

void InputPane::dragMoveEvent(QDragMoveEvent *event) {
    drop->moved(event);
}

void InputPane::dragLeaveEvent(QDragLeaveEvent *) {
    drop->left();
}

void InputPane::dropEvent(QDropEvent *event) {
    drop->dropped(event);
}

// Edits the window asks for ------------------------------------------------------

void InputPane::moveSelectionTo(qint64 offset) {
    editing->moveSelectionTo(offset);
}

void InputPane::undo() {
    editing->undo();
}

void InputPane::redo() {
    editing->redo();
}

void InputPane::cut() {
    editing->cut();
}

void InputPane::copy() const {
    editing->copy();
}

void InputPane::paste() {
    editing->paste();
}

int InputPane::insertionStyle() const {
    if (explicitStyle >= 0)
        return explicitStyle;
    if (runs.isEmpty())
        return 0;
    const qint64 at = std::clamp<qint64>(caret(), 0, runs.size());
    return runs.styleAt(at > 0 ? at - 1 : 0);
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
