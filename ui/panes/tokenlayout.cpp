#include "tokenlayout.h"

#include <QtMath>
#include <algorithm>
#include <numeric>

namespace {

// Up to this many tokens the widest of fixed rows is measured row by row;
// beyond, it is bounded by the widest token, so a large content costs no
// pass over its bytes.
constexpr qint64 measuredTokens = 1 << 20;

} // namespace

TokenLayout::TokenLayout(const PaneContent &content, const PaneStyles &styles)
    : content(content), styles(styles) {}

void TokenLayout::setTokensPerRow(int n) {
    if (perRow != n) {
        perRow = qMax(0, n);
        invalidate();
    }
}

void TokenLayout::setColumns(bool on) {
    if (columns != on) {
        columns = on;
        invalidate();
    }
}

bool TokenLayout::inColumns() const {
    const DisplayTokens *shown = content.tokensShown();
    return columns && perRow > 0 && shown && shown->uniformLength() > 0;
}

void TokenLayout::setWidth(qreal pixels) {
    if (width != pixels) {
        width = pixels;
        if (perRow == 0)
            invalidate();
    }
}

void TokenLayout::setTextLeft(qreal x) {
    if (left != x) {
        left = x;
        invalidate();
    }
}

void TokenLayout::setMinimumRowHeight(int height) {
    if (minimumRowHeight != height) {
        minimumRowHeight = height;
        invalidate();
    }
}

void TokenLayout::invalidate() {
    dirty = true;
}

void TokenLayout::tokensChanged(qint64, qint64, qint64) {
    // Fixed rows follow the tokens by number; wrapped rows are made anew.
    if (perRow == 0)
        dirty = true;
    widest = -1;
}

void TokenLayout::ensure() const {
    if (!dirty)
        return;
    dirty = false;
    widest = -1;
    rowAscent = styles.ascent();
    rowPixels = qMax(minimumRowHeight, naturalRowHeight());
    measureCells();
    if (perRow == 0) {
        wrapRows();
    } else {
        std::vector<quint64>().swap(checkpoints);
        wrappedRows = 1;
        wrappedBlock = -1;
    }
}

int TokenLayout::rowHeight() const {
    ensure();
    return rowPixels;
}

int TokenLayout::naturalRowHeight() const {
    return qMax(1, qCeil(styles.lineSpacing()));
}

qreal TokenLayout::ascent() const {
    ensure();
    return rowAscent;
}

void TokenLayout::measureCells() const {
    cells.clear();
    pitch = 0;
    const DisplayTokens *shown = content.tokensShown();
    if (!columns || !shown || shown->uniformLength() == 0)
        return;
    cells.resize(shown->uniformLength());
    std::fill(cells.begin(), cells.end(), 0);
    for (const int i : styles.stylesInUse()) {
        const PaneStyles::Style &style = styles.style(i);
        for (int b = 0; b < 256; ++b) {
            const QStringView text = shown->token(uchar(b));
            for (qsizetype c = 0; c < text.size(); ++c)
                cells[c] = qMax<qreal>(cells[c], style.advance(text[c].unicode()));
        }
    }
    pitch = std::accumulate(cells.begin(), cells.end(), qreal(0));
}

qreal TokenLayout::columnPitch() const {
    ensure();
    return pitch;
}

qreal TokenLayout::digitCell() const {
    ensure();
    return cells.isEmpty() ? 0 : cells.front();
}

qreal TokenLayout::columnCentre(int k) const {
    return left + k * columnPitch() + 1.5 * digitCell();
}

// Rows ---------------------------------------------------------------------

namespace {

// One pass of wrapping: where the row being filled has got to, and whether
// the caller wants more rows.
template <class NewRow> struct RowFill {
    const PaneStyles &styles;
    const qreal available;
    NewRow &newRow;
    qreal x = 0;
    bool going = true;

    void breakAt(TokenPlace place) {
        x = 0;
        going = newRow(place);
    }

    // A token character by character, from character `from` on; in one
    // style when whole is given, else in the style of each character.
    void token(qint64 k, QStringView text, int from, const PaneStyles::Style *whole) {
        const auto advance = [&](int i) {
            const PaneStyles::Style &style = whole ? *whole : styles.style(styles.styleAt({k, i}));
            return qreal(style.advance(text[i].unicode()));
        };
        const int length = int(text.size());
        const auto placeIn = [&](int i) {
            return i < length ? TokenPlace{k, i} : TokenPlace{k + 1, 0};
        };
        int p = from;
        while (p < length && going) {
            qreal w = 0;
            bool blank = true;
            bool lineBreak = false;
            int q = p;
            for (; q < length; ++q) {
                if (text[q] == u'\n') {
                    ++q;
                    lineBreak = true;
                    break;
                }
                w += advance(q);
                blank = blank && text[q] == u' ';
            }
            if (x > 0 && x + w > available && !blank)
                breakAt(placeIn(p));
            if (w > available) {
                for (int i = p; going && i < q - (lineBreak ? 1 : 0); ++i) {
                    const qreal a = advance(i);
                    if (x > 0 && x + a > available)
                        breakAt(placeIn(i));
                    x += a;
                }
            } else {
                x += w;
            }
            if (lineBreak && going)
                breakAt(placeIn(q));
            p = q;
        }
    }
};

} // namespace

// Rows end only between tokens; a line break ends its row; a token wider
// than the row breaks where it must. A blank token may hang past the edge,
// as spaces do in any text pane. Every row starts at the left edge, so
// wrapping from any row's start gives the rows a pass from the first one
// gives. Most tokens lie in one run of one style, hold no line break and fit
// in a row: their width is one lookup.
template <class NewRow> void TokenLayout::wrap(TokenPlace start, NewRow &&newRow) const {
    RowFill<NewRow> fill{styles, qMax<qreal>(1, width - left - margin), newRow};
    const qreal available = fill.available;
    auto [style, runEnd] = styles.runAt(start);
    // The style of token k when the whole token has it.
    const auto runFrom = [&](qint64 k) -> const PaneStyles::Style * {
        if (runEnd.token >= 0 && runEnd <= TokenPlace{k, 0})
            std::tie(style, runEnd) = styles.runAt({k, 0});
        return runEnd.token < 0 || runEnd.token > k ? &styles.style(style) : nullptr;
    };
    content.forEachChunk(
        start.token, content.tokenCount(),
        [&](qint64 k, const DisplayTokens &shown, QByteArrayView chunk) {
            if (chunk.isEmpty()) {
                fill.token(k, shown.lead(), k == start.token ? start.offset : 0, runFrom(k));
                return fill.going;
            }
            const auto *in = reinterpret_cast<const uchar *>(chunk.data());
            const qint64 n = chunk.size();
            qint64 i = 0;
            if (k == start.token && start.offset > 0) {
                fill.token(k, shown.token(in[0]), start.offset, runFrom(k));
                i = 1;
            }
            while (i < n && fill.going) {
                runFrom(k + i);
                const float *widths = styles.style(style).widths(shown).byByte.data();
                // Tokens wholly inside the run.
                const qint64 inRun =
                    runEnd.token < 0 ? n : std::clamp<qint64>(runEnd.token - k, i, n);
                for (; i < inRun; ++i) {
                    const uchar b = in[i];
                    const qreal w = widths[b];
                    if (shown.breaksRow(b) || w > available)
                        break;
                    if (fill.x > 0 && fill.x + w > available && !shown.isBlank(b)) {
                        fill.breakAt({k + i, 0});
                        if (!fill.going)
                            return false;
                    }
                    fill.x += w;
                }
                if (i < n) {
                    fill.token(k + i, shown.token(in[i]), 0, runFrom(k + i));
                    ++i;
                }
            }
            return fill.going;
        });
}

void TokenLayout::wrapRows() const {
    checkpoints.assign(1, 0);
    wrappedRows = 1;
    wrappedBlock = -1;
    wrap({}, [&](TokenPlace place) {
        if (wrappedRows % rowsPerCheckpoint == 0)
            checkpoints.push_back(pack(place));
        ++wrappedRows;
        return true;
    });
    checkpoints.shrink_to_fit();
}

void TokenLayout::wrapBlock(qint64 b) const {
    if (wrappedBlock == b)
        return;
    wrappedBlock = b;
    blockRows.assign(1, unpack(checkpoints[std::size_t(b)]));
    wrap(blockRows.front(), [&](TokenPlace place) {
        blockRows.push_back(place);
        return qint64(blockRows.size()) <= rowsPerCheckpoint;
    });
}

qint64 TokenLayout::rowCount() const {
    ensure();
    if (perRow == 0)
        return wrappedRows;
    return qMax<qint64>(1, (content.tokenCount() + perRow - 1) / perRow);
}

TokenPlace TokenLayout::rowStart(qint64 row) const {
    ensure();
    if (row <= 0)
        return {};
    if (perRow == 0) {
        if (row >= wrappedRows)
            return content.end();
        wrapBlock(row / rowsPerCheckpoint);
        const auto i = std::size_t(row % rowsPerCheckpoint);
        return i < blockRows.size() ? blockRows[i] : content.end();
    }
    return row * perRow < content.tokenCount() ? TokenPlace{row * perRow, 0} : content.end();
}

qint64 TokenLayout::rowOf(TokenPlace place) const {
    ensure();
    if (perRow == 0) {
        const auto checkpoint =
            std::upper_bound(checkpoints.begin(), checkpoints.end(), pack(place));
        const qint64 b = qMax<qint64>(0, (checkpoint - checkpoints.begin()) - 1);
        wrapBlock(b);
        const auto inBlock =
            blockRows.begin() +
            std::ptrdiff_t(qMin<qint64>(qint64(blockRows.size()), rowsPerCheckpoint));
        const auto it = std::upper_bound(blockRows.begin(), inBlock, place);
        return b * rowsPerCheckpoint + qMax<qint64>(0, (it - blockRows.begin()) - 1);
    }
    return qMax<qint64>(0, qMin(place.token, content.tokenCount() - 1)) / perRow;
}

void TokenLayout::placeRow(qint64 row, Row &out) const {
    ensure();
    out.cells.clear();
    out.start = rowStart(row);
    out.end = rowStart(row + 1);
    const bool fixedColumns = inColumns();
    const qint64 last = out.end.offset > 0 ? out.end.token + 1 : out.end.token;
    auto [style, runEnd] = styles.runAt(out.start);
    qreal x = left;
    content.forEachToken(
        out.start.token, last, [&](qint64 k, const DisplayTokens &shown, int byte) {
            const QStringView text = byte < 0 ? shown.lead() : shown.token(uchar(byte));
            const int from = k == out.start.token ? out.start.offset : 0;
            const int to = k == out.end.token ? out.end.offset : int(text.size());
            if (fixedColumns)
                x = left + qreal(k - row * perRow) * pitch;
            for (int i = from; i < to; ++i) {
                const TokenPlace place{k, i};
                if (runEnd.token >= 0 && runEnd <= place)
                    std::tie(style, runEnd) = styles.runAt(place);
                const char16_t ch = text[i].unicode();
                out.cells.append({place, x, ch, style});
                x += fixedColumns ? cells[i] : styles.style(style).advance(ch);
            }
        });
    out.endX = x;
}

// Places and points --------------------------------------------------------

QPointF TokenLayout::pointOf(TokenPlace place) const {
    place = content.normalized(place);
    const qint64 row = rowOf(place);
    Row cells;
    placeRow(row, cells);
    qreal x = cells.endX;
    for (const Cell &cell : cells.cells) {
        if (cell.place == place) {
            x = cell.x;
            break;
        }
    }
    return {x, rowTop(row)};
}

qint64 TokenLayout::rowAt(qreal y) const {
    return std::clamp<qint64>(qFloor((y - margin) / rowHeight()), 0, rowCount() - 1);
}

TokenPlace TokenLayout::placeAt(const QPointF &point) const {
    return hit(point, false);
}

TokenPlace TokenLayout::characterAt(const QPointF &point) const {
    return hit(point, true);
}

TokenPlace TokenLayout::hit(const QPointF &point, bool wholeCell) const {
    Row cells;
    placeRow(rowAt(point.y()), cells);
    // A row that ends with a line break ends before it.
    const qsizetype n = cells.cells.size() - (cells.endsWithBreak() ? 1 : 0);
    for (qsizetype i = 0; i < n; ++i) {
        const qreal next = i + 1 < cells.cells.size() ? cells.cells[i + 1].x : cells.endX;
        if (point.x() < (wholeCell ? next : (cells.cells[i].x + next) / 2))
            return cells.cells[i].place;
    }
    return cells.endsWithBreak() ? cells.cells.back().place : cells.end;
}

qreal TokenLayout::contentWidth() const {
    ensure();
    if (perRow == 0)
        return width;
    if (inColumns())
        return left + perRow * columnPitch() + margin;
    if (widest < 0)
        widest = widestFixedRow();
    return widest + margin;
}

qreal TokenLayout::widestFixedRow() const {
    const std::vector<int> used = styles.stylesInUse();
    const qint64 count = content.tokenCount();
    if (count > measuredTokens) {
        // Bounded by the widest token in any style in use.
        const DisplayTokens *shown = content.tokensShown();
        qreal token = 0;
        for (const int i : used) {
            if (!shown)
                break;
            const auto &widths = styles.style(i).widths(*shown);
            token = qMax<qreal>(token, widths.lead);
            token =
                qMax<qreal>(token, *std::max_element(widths.byByte.begin(), widths.byByte.end()));
        }
        return left + perRow * token;
    }
    if (used.size() > 1) {
        qreal most = 0;
        Row cells;
        for (qint64 row = 0, rows = rowCount(); row < rows; ++row) {
            placeRow(row, cells);
            most = qMax(most, cells.endX);
        }
        return most;
    }
    // One style: each row's width is the sum of its tokens' widths.
    const PaneStyles::Style &style = styles.style(used.front());
    qreal most = 0;
    qreal row = 0;
    const DisplayTokens *measured = nullptr;
    const PaneStyles::Style::TokenWidths *widths = nullptr;
    content.forEachToken(0, count, [&](qint64 k, const DisplayTokens &shown, int byte) {
        if (measured != &shown) {
            widths = &style.widths(shown);
            measured = &shown;
        }
        if (k % perRow == 0)
            row = 0;
        row += byte < 0 ? widths->lead : widths->byByte[uchar(byte)];
        most = qMax(most, row);
    });
    return left + most;
}
