#include "tokenview.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace {

// Room around the text, as a text document keeps by default.
constexpr qreal margin = 4;

// Painting and measuring must agree character by character: no kerning.
QFont unkerned(QFont font) {
    font.setKerning(false);
    return font;
}

} // namespace

TokenView::Style::Style(const QFont &font, const QColor &color)
    : font(unkerned(font)), color(color), metrics(this->font) {}

float TokenView::Style::measure(char16_t ch) const {
    if (!advances) {
        advances.reset(new float[0x10000]);
        std::fill_n(advances.get(), 0x10000, -1.0f);
    }
    float &a = advances[ch];
    if (a < 0)
        a = ch == u'\n' ? 0.0f : float(metrics.horizontalAdvance(QChar(ch)));
    return a;
}

TokenView::TokenView(QWidget *parent) : QAbstractScrollArea(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    // A scroll bar that comes and goes would change the width and lay a long
    // text out twice.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    styles.push_back(std::make_unique<Style>(font(), QColor()));

    caretTimer.setInterval(qMax(100, QApplication::cursorFlashTime() / 2));
    connect(&caretTimer, &QTimer::timeout, this, [this] { setCaretVisible(!caretOn); });
    dragTimer.setInterval(50);
    connect(&dragTimer, &QTimer::timeout, this, &TokenView::dragScroll);
}

TokenView::~TokenView() = default;

// Content ----------------------------------------------------------------

void TokenView::clear() {
    const bool hadSelection = hasSelection();
    const bool moved = position != 0;
    content.clear();
    ends.clear();
    runs.clear();
    shown = {};
    anchor = position = 0;
    invalidateLayout();
    emit contentReset();
    if (hadSelection)
        emit selectionChanged();
    if (moved)
        emit cursorPositionChanged();
}

void TokenView::appendTokens(const QString &text, const views::TokenEnds &tokenEnds,
                             const Source &source) {
    const qsizetype from = content.size();
    // What was shown and what is appended may continue one range of bytes.
    if (from == 0)
        shown = source;
    else if (shown.view != source.view || shown.offset < 0 ||
             shown.offset + shown.length != source.offset)
        shown = {};
    else
        shown.length += source.length;
    addTokens(text, tokenEnds);
    setRunsForAppend(from, content.size());
    invalidateLayout();
    emit contentReset();
}

void TokenView::addTokens(const QString &text, const views::TokenEnds &tokenEnds) {
    const qsizetype from = content.size();
    content += text;
    // Token ends rise and stay inside the text, whatever a caller passes;
    // every character belongs to a token.
    ends.reserve(ends.size() + tokenEnds.size() + 1);
    quint32 last = quint32(from);
    for (const quint32 end : tokenEnds) {
        const auto at = quint32(qBound<qsizetype>(last, from + qsizetype(end), content.size()));
        if (at > last)
            ends.push_back(at);
        last = at;
    }
    if (content.size() > last)
        ends.push_back(quint32(content.size()));
}

void TokenView::appendTokens(const QString &text, const views::TokenEnds &tokenEnds) {
    appendTokens(text, tokenEnds, Source());
}

void TokenView::setPlainText(const QString &text) {
    clear();
    views::TokenEnds each(text.size());
    for (qsizetype i = 0; i < text.size(); ++i)
        each[i] = quint32(i + 1);
    appendTokens(text, each);
}

void TokenView::replaceToken(qsizetype k, const QString &text) {
    const qsizetype start = tokenStart(k);
    const qsizetype end = ends[k];
    const qsizetype delta = text.size() - (end - start);
    content.replace(start, end - start, text);
    for (auto i = std::size_t(k); i < ends.size(); ++i)
        ends[i] = quint32(ends[i] + delta);
    auto moved = [&](qsizetype at) {
        if (at >= end)
            return at + delta;
        return at > start ? qMin(at, start + text.size()) : at;
    };
    for (Run &run : runs)
        run.start = moved(run.start);
    // A run that lost all its characters gives way to the next one.
    runs.erase(std::unique(runs.rbegin(), runs.rend(),
                           [](const Run &a, const Run &b) { return a.start == b.start; })
                   .base(),
               runs.end());
    joinRuns();
    anchor = moved(anchor);
    position = moved(position);
    invalidateLayout();
}

void TokenView::resetTokens(const QString &text, const views::TokenEnds &tokenEnds) {
    content.clear();
    ends.clear();
    addTokens(text, tokenEnds);
    if (shown.offset >= 0)
        shown.length = qint64(ends.size());
    while (runs.size() > 1 && runs.back().start >= content.size())
        runs.pop_back();
    if (content.isEmpty())
        runs.clear();
    else if (runs.empty())
        runs.push_back(Run{0, insertionStyle});
    anchor = qMin(anchor, content.size());
    position = qMin(position, content.size());
    invalidateLayout();
}

qsizetype TokenView::tokenAt(qsizetype at) const {
    if (ends.empty())
        return 0;
    const auto it = std::upper_bound(ends.begin(), ends.end(), quint32(at));
    return std::min<qsizetype>(it - ends.begin(), qsizetype(ends.size()) - 1);
}

// Formats ----------------------------------------------------------------

int TokenView::addStyle(const QFont &font, const QColor &color) {
    const QFont wanted = unkerned(font);
    for (std::size_t i = 0; i < styles.size(); ++i) {
        if (styles[i]->font == wanted && styles[i]->color == color)
            return int(i);
    }
    styles.push_back(std::make_unique<Style>(wanted, color));
    return int(styles.size()) - 1;
}

int TokenView::mergedStyle(int style, const QTextCharFormat &format) {
    QTextCharFormat merged;
    merged.setFont(styles[style]->font);
    if (styles[style]->color.isValid())
        merged.setForeground(styles[style]->color);
    merged.merge(format);
    const QColor color =
        merged.hasProperty(QTextFormat::ForegroundBrush) ? merged.foreground().color() : QColor();
    return addStyle(merged.font().resolve(font()), color);
}

void TokenView::splitRunAt(qsizetype at) {
    if (at <= 0 || at >= content.size())
        return;
    auto it = std::upper_bound(runs.begin(), runs.end(), at,
                               [](qsizetype p, const Run &run) { return p < run.start; });
    const Run &before = *(it - 1);
    if (before.start != at)
        runs.insert(it, Run{at, before.style});
}

void TokenView::joinRuns() {
    runs.erase(std::unique(runs.begin(), runs.end(),
                           [](const Run &a, const Run &b) { return a.style == b.style; }),
               runs.end());
}

void TokenView::setRunsForAppend(qsizetype from, qsizetype to) {
    if (from == to)
        return;
    if (runs.empty() || runs.back().style != insertionStyle)
        runs.push_back(Run{from, insertionStyle});
}

void TokenView::mergeCurrentCharFormat(const QTextCharFormat &format) {
    insertionStyle = mergedStyle(insertionStyle, format);
    if (!hasSelection())
        return;
    const qsizetype from = selectionStart();
    const qsizetype to = selectionEnd();
    splitRunAt(from);
    splitRunAt(to);
    for (Run &run : runs) {
        if (run.start >= from && run.start < to)
            run.style = mergedStyle(run.style, format);
    }
    joinRuns();
    invalidateLayout();
}

const TokenView::Style &TokenView::styleAt(qsizetype at) const {
    if (runs.empty())
        return *styles[insertionStyle];
    auto it = std::upper_bound(runs.begin(), runs.end(), at,
                               [](qsizetype p, const Run &run) { return p < run.start; });
    return *styles[(it == runs.begin() ? it : it - 1)->style];
}

QTextCharFormat TokenView::charFormatAt(qsizetype at) const {
    const Style &style = styleAt(qBound<qsizetype>(0, at, content.size() - 1));
    QTextCharFormat format;
    format.setFont(style.font);
    if (style.color.isValid())
        format.setForeground(style.color);
    return format;
}

std::vector<const TokenView::Style *> TokenView::stylesInUse() const {
    std::vector<bool> used(styles.size());
    used[insertionStyle] = true;
    for (const Run &run : runs)
        used[run.style] = true;
    std::vector<const Style *> list;
    for (std::size_t i = 0; i < styles.size(); ++i) {
        if (used[i])
            list.push_back(styles[i].get());
    }
    return list;
}

// Layout -----------------------------------------------------------------

void TokenView::setTokensPerRow(int n) {
    if (perRow == n)
        return;
    perRow = n;
    invalidateLayout();
}

void TokenView::setMinimumRowHeight(int pixels) {
    if (minimumRowHeight == pixels)
        return;
    minimumRowHeight = pixels;
    invalidateLayout();
}

void TokenView::invalidateLayout() {
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
    if (layoutDirty || (perRow == 0 && laidOutWidth != viewport()->width()))
        computeLayout();
}

void TokenView::computeLayout() const {
    layoutDirty = false;
    laidOutWidth = viewport()->width();
    qreal maxAscent = 0;
    qreal maxSpacing = 0;
    for (const Style *style : stylesInUse()) {
        maxAscent = qMax(maxAscent, style->metrics.ascent());
        maxSpacing = qMax(maxSpacing, style->metrics.lineSpacing());
    }
    ascent = maxAscent;
    rowPixels = qMax(minimumRowHeight, qCeil(maxSpacing));
    layoutUpdated();
    if (perRow == 0)
        wrapRows(qMax<qreal>(1, laidOutWidth - textLeft() - margin));
    else
        rowStarts.clear();
    contentPixels = contentWidth();
    updateScrollBars();
    emit const_cast<TokenView *>(this)->layoutChanged();
}

// Rows end only between tokens; a line break ends its row; a token wider
// than the pane breaks where it must. A blank token may hang past the edge,
// as spaces do in any text pane.
void TokenView::wrapRows(qreal available) const {
    rowStarts.clear();
    rowStarts.push_back(0);
    const qsizetype n = content.size();
    const auto *text = reinterpret_cast<const char16_t *>(content.constData());
    std::size_t run = 0;
    const Style *style = styles[runs.empty() ? insertionStyle : runs[0].style].get();
    qsizetype nextRun = runs.size() > 1 ? runs[1].start : n + 1;
    qreal x = 0;
    auto newRow = [&](qsizetype at) {
        rowStarts.push_back(quint32(at));
        x = 0;
    };
    qsizetype start = 0;
    for (const quint32 end : ends) {
        qsizetype p = start;
        while (p < qsizetype(end)) {
            qreal w = 0;
            bool blank = true;
            bool lineBreak = false;
            qsizetype q = p;
            for (; q < qsizetype(end); ++q) {
                const char16_t ch = text[q];
                if (ch == u'\n') {
                    ++q;
                    lineBreak = true;
                    break;
                }
                while (q >= nextRun) {
                    ++run;
                    style = styles[runs[run].style].get();
                    nextRun = run + 1 < runs.size() ? runs[run + 1].start : n + 1;
                }
                w += style->advance(ch);
                blank = blank && ch == u' ';
            }
            if (x > 0 && x + w > available && !blank)
                newRow(p);
            if (w > available) {
                for (qsizetype i = p; i < q - (lineBreak ? 1 : 0); ++i) {
                    const qreal a = styleAt(i).advance(text[i]);
                    if (x > 0 && x + a > available)
                        newRow(i);
                    x += a;
                }
            } else {
                x += w;
            }
            if (lineBreak)
                newRow(q);
            p = q;
        }
        start = end;
    }
}

qsizetype TokenView::rowCount() const {
    ensureLayout();
    if (perRow == 0)
        return qsizetype(rowStarts.size());
    return qMax<qsizetype>(1, (tokenCount() + perRow - 1) / perRow);
}

qsizetype TokenView::rowStart(qsizetype row) const {
    ensureLayout();
    if (perRow == 0)
        return row < qsizetype(rowStarts.size()) ? qsizetype(rowStarts[row]) : content.size();
    return tokenStart(qMin(row * perRow, tokenCount()));
}

qsizetype TokenView::rowOf(qsizetype at) const {
    ensureLayout();
    if (perRow == 0) {
        const auto it = std::upper_bound(rowStarts.begin(), rowStarts.end(), quint32(at));
        return qMax<qsizetype>(0, (it - rowStarts.begin()) - 1);
    }
    return tokenAt(at) / perRow;
}

int TokenView::rowHeight() const {
    ensureLayout();
    return rowPixels;
}

int TokenView::naturalRowHeight() const {
    qreal spacing = 0;
    for (const Style *style : stylesInUse())
        spacing = qMax(spacing, style->metrics.lineSpacing());
    return qCeil(spacing);
}

qreal TokenView::textLeft() const {
    return margin;
}

void TokenView::placeRow(qsizetype row, QVarLengthArray<qreal, 256> &xs) const {
    const qsizetype from = rowStart(row);
    const qsizetype to = rowStart(row + 1);
    xs.clear();
    qreal x = textLeft();
    for (qsizetype i = from; i < to; ++i) {
        xs.append(x);
        x += styleAt(i).advance(content[i].unicode());
    }
    xs.append(x);
}

qreal TokenView::contentWidth() const {
    if (perRow == 0)
        return viewport()->width();
    qreal widest = 0;
    QVarLengthArray<qreal, 256> xs;
    for (qsizetype row = 0, rows = rowCount(); row < rows; ++row) {
        placeRow(row, xs);
        widest = qMax(widest, xs.back());
    }
    return widest + margin;
}

qsizetype TokenView::visibleRows() const {
    return qMax<qsizetype>(1, qFloor((viewport()->height() - margin) / qMax(1, rowPixels)));
}

void TokenView::updateScrollBars() const {
    QScrollBar *vertical = verticalScrollBar();
    const qsizetype rows = perRow == 0 ? qsizetype(rowStarts.size())
                                       : qMax<qsizetype>(1, (tokenCount() + perRow - 1) / perRow);
    const qsizetype visible = visibleRows();
    vertical->setRange(0, int(qMax<qsizetype>(0, rows - visible)));
    vertical->setPageStep(int(visible));
    vertical->setSingleStep(1);
    QScrollBar *horizontal = horizontalScrollBar();
    horizontal->setRange(0, qMax(0, qCeil(contentPixels) - viewport()->width()));
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(20);
}

qsizetype TokenView::firstVisibleRow() const {
    ensureLayout();
    return verticalScrollBar()->value();
}

qreal TokenView::rowTop(qsizetype row) const {
    return margin + qreal(row - firstVisibleRow()) * rowPixels;
}

// Selection --------------------------------------------------------------

QString TokenView::selectedText() const {
    return content.mid(selectionStart(), selectionEnd() - selectionStart());
}

void TokenView::moveCursorTo(qsizetype newAnchor, qsizetype newPosition, bool scroll) {
    newAnchor = qBound<qsizetype>(0, newAnchor, content.size());
    newPosition = qBound<qsizetype>(0, newPosition, content.size());
    const bool selectionMoved = (anchor != position || newAnchor != newPosition) &&
                                (qMin(anchor, position) != qMin(newAnchor, newPosition) ||
                                 qMax(anchor, position) != qMax(newAnchor, newPosition));
    const bool cursorMoved = newPosition != position;
    anchor = newAnchor;
    position = newPosition;
    if (scroll)
        ensureVisible(position);
    setCaretVisible(hasFocus());
    if (hasFocus())
        caretTimer.start();
    viewport()->update();
    if (selectionMoved)
        emit selectionChanged();
    if (cursorMoved)
        emit cursorPositionChanged();
}

void TokenView::setSelection(qsizetype newAnchor, qsizetype newPosition) {
    moveCursorTo(newAnchor, newPosition, false);
}

void TokenView::selectAll() {
    moveCursorTo(0, content.size(), false);
}

void TokenView::copy() const {
    if (hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TokenView::ensureVisible(qsizetype at) {
    ensureLayout();
    const qsizetype row = rowOf(at);
    QScrollBar *vertical = verticalScrollBar();
    const qsizetype visible = visibleRows();
    if (row < vertical->value())
        vertical->setValue(int(row));
    else if (row >= vertical->value() + visible)
        vertical->setValue(int(row - visible + 1));
    QVarLengthArray<qreal, 256> xs;
    placeRow(row, xs);
    const qreal x = xs[qBound<qsizetype>(0, at - rowStart(row), xs.size() - 1)];
    QScrollBar *horizontal = horizontalScrollBar();
    if (x - margin < horizontal->value())
        horizontal->setValue(qFloor(x - margin));
    else if (x + margin > horizontal->value() + viewport()->width())
        horizontal->setValue(qCeil(x + margin - viewport()->width()));
}

QRectF TokenView::positionRect(qsizetype at) const {
    ensureLayout();
    at = qBound<qsizetype>(0, at, content.size());
    const qsizetype row = rowOf(at);
    QVarLengthArray<qreal, 256> xs;
    placeRow(row, xs);
    const qreal x = xs[qBound<qsizetype>(0, at - rowStart(row), xs.size() - 1)];
    return QRectF(x - horizontalScrollBar()->value(), rowTop(row), 1, rowPixels);
}

qsizetype TokenView::positionAt(const QPointF &point) const {
    ensureLayout();
    const qsizetype row = qBound<qsizetype>(
        0, firstVisibleRow() + qFloor((point.y() - margin) / rowPixels), rowCount() - 1);
    const qsizetype from = rowStart(row);
    qsizetype to = rowStart(row + 1);
    if (to > from && content[to - 1] == u'\n')
        --to;
    QVarLengthArray<qreal, 256> xs;
    placeRow(row, xs);
    const qreal x = point.x() + horizontalScrollBar()->value();
    for (qsizetype i = from; i < to; ++i) {
        if (x < (xs[i - from] + xs[i - from + 1]) / 2)
            return i;
    }
    return to;
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
    const qsizetype first = firstVisibleRow();
    const qsizetype rows = rowCount();
    const qsizetype selFrom = selectionStart();
    const qsizetype selTo = selectionEnd();
    QVarLengthArray<qreal, 256> xs;
    for (qsizetype row = first; row < rows; ++row) {
        const qreal top = rowTop(row);
        if (top > event->rect().bottom() + 1)
            break;
        const QRectF rowRect(0, top, viewport()->width(), rowPixels);
        if (!rowRect.intersects(event->rect()))
            continue;
        paintRowMargin(painter, row, rowRect);
        const qsizetype from = rowStart(row);
        const qsizetype to = rowStart(row + 1);
        placeRow(row, xs);
        // The selection's background, a line break's included.
        const qsizetype a = qMax(from, selFrom);
        const qsizetype b = qMin(to, selTo);
        if (a < b) {
            qreal right = xs[b - from];
            if (content[b - 1] == u'\n')
                right += styleAt(b - 1).metrics.horizontalAdvance(QLatin1Char(' '));
            painter.fillRect(QRectF(xs[a - from] - scrollX, top, right - xs[a - from], rowPixels),
                             highlight);
        }
        // Runs of characters that share a style and a selection state and
        // stand where their advances put them are drawn in one go.
        qsizetype i = from;
        while (i < to) {
            if (content[i] == u'\n') {
                ++i;
                continue;
            }
            const Style &style = styleAt(i);
            const bool selected = i >= selFrom && i < selTo;
            qsizetype j = i + 1;
            while (j < to && content[j] != u'\n' && &styleAt(j) == &style &&
                   (j >= selFrom && j < selTo) == selected &&
                   qAbs(xs[j - from] - xs[j - 1 - from] - style.advance(content[j - 1].unicode())) <
                       0.01)
                ++j;
            painter.setFont(style.font);
            painter.setPen(selected ? highlightedText
                                    : (style.color.isValid() ? style.color : textColor));
            painter.drawText(QPointF(xs[i - from] - scrollX, top + ascent), content.mid(i, j - i));
            i = j;
        }
    }
    if (caretOn && hasFocus()) {
        const QRectF caret = positionRect(position);
        painter.fillRect(QRectF(caret.x(), caret.y(), 1, caret.height()), textColor);
    }
}

void TokenView::paintRowMargin(QPainter &, qsizetype, const QRectF &) {}

void TokenView::setCaretVisible(bool on) {
    if (caretOn == on)
        return;
    caretOn = on;
    if (!layoutDirty)
        viewport()->update(positionRect(position).toAlignedRect().adjusted(-1, 0, 1, 0));
}

// Events -----------------------------------------------------------------

bool TokenView::event(QEvent *event) {
    // Copy and select all belong to the pane while it has the focus.
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key == QKeySequence::Copy || key == QKeySequence::SelectAll) {
            event->accept();
            return true;
        }
    }
    return QAbstractScrollArea::event(event);
}

void TokenView::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    if (perRow == 0)
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
        styles[0] = std::make_unique<Style>(font(), QColor());
        invalidateLayout();
    }
    QAbstractScrollArea::changeEvent(event);
}

void TokenView::focusInEvent(QFocusEvent *event) {
    setCaretVisible(true);
    caretTimer.start();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void TokenView::focusOutEvent(QFocusEvent *event) {
    caretTimer.stop();
    setCaretVisible(false);
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

qsizetype TokenView::movedPosition(qsizetype from, Move move) const {
    const qsizetype n = content.size();
    auto inRow = [&](qsizetype row) {
        row = qBound<qsizetype>(0, row, rowCount() - 1);
        const qreal x =
            preferredX >= 0 ? preferredX : positionRect(from).x() + horizontalScrollBar()->value();
        return positionAt(QPointF(x - horizontalScrollBar()->value(), rowTop(row) + 1));
    };
    switch (move) {
    case Move::Left:
        return qMax<qsizetype>(0, from - 1);
    case Move::Right:
        return qMin(n, from + 1);
    case Move::WordLeft:
        return from > 0 ? tokenStart(tokenAt(from - 1)) : 0;
    case Move::WordRight:
        return from < n ? qsizetype(ends[tokenAt(from)]) : n;
    case Move::Up:
        return rowOf(from) == 0 ? 0 : inRow(rowOf(from) - 1);
    case Move::Down:
        return rowOf(from) + 1 >= rowCount() ? n : inRow(rowOf(from) + 1);
    case Move::PageUp:
        return inRow(rowOf(from) - visibleRows());
    case Move::PageDown:
        return inRow(rowOf(from) + visibleRows());
    case Move::RowStart:
        return rowStart(rowOf(from));
    case Move::RowEnd: {
        const qsizetype end = rowStart(rowOf(from) + 1);
        return end > 0 && end <= n && content[end - 1] == u'\n' ? end - 1 : end;
    }
    case Move::Start:
        return 0;
    case Move::End:
        return n;
    }
    return from;
}

void TokenView::moveCursor(Move move, bool select) {
    const qsizetype to = movedPosition(position, move);
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
    struct Binding {
        QKeySequence::StandardKey move, select;
        Move where;
    };
    static const Binding bindings[] = {
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Move::Left},
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Move::Right},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Move::WordLeft},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Move::WordRight},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Move::Up},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Move::Down},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Move::RowStart},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Move::RowEnd},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Move::Start},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Move::End},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Move::PageUp},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Move::PageDown},
    };
    for (const Binding &binding : bindings) {
        const bool move = event->matches(binding.move);
        if (!move && !event->matches(binding.select))
            continue;
        const bool vertical = binding.where == Move::Up || binding.where == Move::Down ||
                              binding.where == Move::PageUp || binding.where == Move::PageDown;
        if (!vertical)
            preferredX = -1;
        else if (preferredX < 0)
            preferredX = positionRect(position).x() + horizontalScrollBar()->value();
        moveCursor(binding.where, !move);
        return;
    }
    event->ignore();
}

void TokenView::mouseSelect(const QPointF &point, bool extend) {
    const qsizetype at = positionAt(point);
    moveCursorTo(extend ? anchor : at, at, false);
}

void TokenView::mouseSelectToken(const QPointF &point) {
    if (content.isEmpty())
        return;
    const qsizetype k = tokenAt(qMin(positionAt(point), content.size() - 1));
    moveCursorTo(tokenStart(k), ends[k], false);
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
    lastDragPoint = event->position().toPoint();
    if (viewport()->rect().contains(lastDragPoint))
        dragTimer.stop();
    else if (!dragTimer.isActive())
        dragTimer.start();
    mouseSelect(event->position(), true);
    ensureVisible(position);
}

void TokenView::mouseReleaseEvent(QMouseEvent *event) {
    dragTimer.stop();
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void TokenView::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        mouseSelectToken(event->position());
}

// While a drag holds the mouse past the edge, the pane keeps scrolling.
void TokenView::dragScroll() {
    if (!(QApplication::mouseButtons() & Qt::LeftButton)) {
        dragTimer.stop();
        return;
    }
    QScrollBar *vertical = verticalScrollBar();
    if (lastDragPoint.y() < 0)
        vertical->setValue(vertical->value() - 1);
    else if (lastDragPoint.y() > viewport()->height())
        vertical->setValue(vertical->value() + 1);
    mouseSelect(lastDragPoint, true);
}

void TokenView::contextMenuEvent(QContextMenuEvent *event) {
    QMenu menu(this);
    QAction *copyAction = menu.addAction(tr("Копировать"), this, &TokenView::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(hasSelection());
    QAction *all = menu.addAction(tr("Выделить все"), this, &TokenView::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(!content.isEmpty());
    menu.exec(event->globalPos());
}
