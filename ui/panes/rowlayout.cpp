#include "rowlayout.h"

#include "document/crlf.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t cachedSegments = 16;

} // namespace

RowLayout::RowLayout(const PieceTable &bytes, const StyleRuns &styles)
    : bytes(&bytes), styles(&styles) {}

void RowLayout::setAdvances(std::vector<const ByteAdvances *> advanceTables) {
    tables = std::move(advanceTables);
}

void RowLayout::setWidth(qint32 width) {
    rowWidth = std::max<qint32>(1, width);
}

int RowLayout::styleAt(qint64 offset) const {
    return styles->isEmpty() ? 0 : styles->styleAt(offset);
}

bool RowLayout::pairEndsAt(qint64 offset) const {
    return offset <= bytes->size() && crlf::pairAt(*bytes, offset - 2);
}

namespace {

// The sum of the advances of N bytes, four at a time so that the additions
// need not wait for one another.
template <int N> qint32 advanceSum(const unsigned char *data, const ByteAdvances &advance) {
    qint32 a = 0, b = 0, c = 0, d = 0;
    for (int i = 0; i < N; i += 4) {
        a += advance[data[i]];
        b += advance[data[i + 1]];
        c += advance[data[i + 2]];
        d += advance[data[i + 3]];
    }
    return a + b + c + d;
}

} // namespace

// The inner loop of every layout, over the pieces and the runs of one style
// with the style's table of advances at hand. A row takes glyphs sixteen and
// then four at a time while they fit whole, then one at a time; a CR is
// found ahead with memchr. Calls onRow(start) for every row that starts
// after `from` and before `to`.
template <class OnRow> void RowLayout::walk(qint64 from, qint64 to, OnRow &&onRow) const {
    const qint32 limit = rowWidth;
    qint64 rowStart = from;
    qint32 x = 0;
    qint64 at = from;
    while (at < to) {
        const QByteArrayView chunk = bytes->chunkAt(at, to - at);
        if (chunk.isEmpty())
            break;
        const qint64 spanEnd =
            styles->isEmpty() ? at + chunk.size() : std::min(at + chunk.size(), styles->runEnd(at));
        const ByteAdvances &advance = *tables[std::size_t(styleAt(at))];
        const auto *data = reinterpret_cast<const unsigned char *>(chunk.data());
        const qint64 base = at;
        const auto findCr = [&](qint64 from) {
            const void *cr = std::memchr(data + (from - base), '\r', std::size_t(spanEnd - from));
            return cr ? base + (static_cast<const unsigned char *>(cr) - data) : spanEnd;
        };
        qint64 nextCr = findCr(at);
        qint64 i = at;
        while (i < spanEnd) {
            if (i == nextCr) {
                const bool pair = i + 1 < spanEnd ? data[i + 1 - base] == '\n'
                                                  : i + 1 < to && bytes->at(i + 1) == '\n';
                if (pair) {
                    i += 2;
                    rowStart = i;
                    x = 0;
                    if (i < to)
                        onRow(i);
                    if (i < spanEnd)
                        nextCr = findCr(i);
                    continue;
                }
                // A lone CR is a glyph like any other.
                nextCr = findCr(i + 1);
            }
            const qint64 stop = std::min(nextCr, rowStart + maxRowBytes);
            while (i + 16 <= stop) {
                const qint32 sum = advanceSum<16>(data + (i - base), advance);
                if (x + sum > limit)
                    break;
                x += sum;
                i += 16;
            }
            while (i + 4 <= stop) {
                const qint32 sum = advanceSum<4>(data + (i - base), advance);
                if (x + sum > limit)
                    break;
                x += sum;
                i += 4;
            }
            for (; i < stop; ++i) {
                const qint32 a = advance[data[i - base]];
                if (x + a > limit && i != rowStart)
                    break;
                x += a;
            }
            // At a CR, or at the span's end with the row going on past it.
            if (i == nextCr)
                continue;
            rowStart = i;
            x = 0;
            onRow(i);
        }
        at = i;
    }
}

void RowLayout::buildSegments(qint64 from, qint64 to, std::vector<qint64> &starts,
                              std::vector<qint32> &rows) const {
    if (from >= to)
        return;
    starts.push_back(from);
    rows.push_back(1);
    qint64 segmentStart = from;
    // A cut leaves the last segment half a target at least, so that a cut
    // where the layout must end never leaves a sliver of a segment.
    walk(from, to, [&](qint64 rowStart) {
        if (rowStart - segmentStart >= segmentTarget && to - rowStart >= segmentTarget / 2) {
            starts.push_back(rowStart);
            rows.push_back(1);
            segmentStart = rowStart;
        } else {
            ++rows.back();
        }
    });
}

void RowLayout::layOutAll() {
    cache.clear();
    segStart.clear();
    segRows.clear();
    laidOut = bytes->size();
    buildSegments(0, laidOut, segStart, segRows);
    segFirstRow.resize(segStart.size());
    countRowsFrom(0);
    trailingRow = laidOut == 0 || pairEndsAt(laidOut);
}

void RowLayout::countRowsFrom(std::size_t k) {
    qint64 row = k > 0 ? segFirstRow[k - 1] + segRows[k - 1] : 0;
    for (std::size_t i = k; i < segStart.size(); ++i) {
        segFirstRow[i] = row;
        row += segRows[i];
    }
}

std::size_t RowLayout::segmentAt(qint64 offset) const {
    const auto after = std::upper_bound(segStart.begin(), segStart.end(), offset);
    return std::size_t(std::max<std::ptrdiff_t>(0, (after - segStart.begin()) - 1));
}

qint64 RowLayout::segmentEnd(std::size_t k) const {
    return k + 1 < segStart.size() ? segStart[k + 1] : laidOut;
}

void RowLayout::edited(qint64 offset, qint64 removed, qint64 added) {
    const qint64 oldSize = laidOut;
    const qint64 newSize = bytes->size();
    const qint64 delta = added - removed;
    if (segStart.empty() || newSize == 0 || newSize != oldSize + delta) {
        layOutAll();
        return;
    }
    cache.clear();
    const std::size_t count = segStart.size();
    // From the segment of the byte before the edit (whose pair may have
    // been made or broken) to the one holding the byte after it.
    const std::size_t first = segmentAt(std::max<qint64>(0, offset - 1));
    std::size_t last = segmentAt(std::min(offset + removed, oldSize));
    // Past a soft cut the rows of the next segment move with the edit: that
    // one is laid out too, so the cut where this layout must end (and may
    // leave a row short) lies a segment away from the edit, out of sight.
    if (last + 1 < count && !pairEndsAt(segmentEnd(last) + delta))
        ++last;
    std::vector<qint64> starts;
    std::vector<qint32> rows;
    // A CR LF pair never spans two segments, nor starts one after a soft cut,
    // where it would show as an empty row.
    const auto badCut = [&](qint64 at) {
        if (at >= newSize)
            return false;
        return crlf::splits(*bytes, at) ||
               (at + 1 < newSize && crlf::pairAt(*bytes, at) && !pairEndsAt(at));
    };
    for (bool joined = false;;) {
        while (last + 1 < count && badCut(segmentEnd(last) + delta))
            ++last;
        const qint64 end = segmentEnd(last) + delta;
        starts.clear();
        rows.clear();
        buildSegments(segStart[first], end, starts, rows);
        // A piece left short joins the segment after it, once.
        if (joined || last + 1 >= count || starts.empty() ||
            end - starts.back() >= segmentTarget / 4)
            break;
        joined = true;
        ++last;
    }
    for (std::size_t k = last + 1; k < count; ++k)
        segStart[k] += delta;
    const auto from = std::ptrdiff_t(first);
    const auto to = std::ptrdiff_t(last + 1);
    segStart.erase(segStart.begin() + from, segStart.begin() + to);
    segStart.insert(segStart.begin() + from, starts.begin(), starts.end());
    segRows.erase(segRows.begin() + from, segRows.begin() + to);
    segRows.insert(segRows.begin() + from, rows.begin(), rows.end());
    segFirstRow.resize(segStart.size());
    laidOut = newSize;
    countRowsFrom(first);
    trailingRow = pairEndsAt(laidOut);
}

qint64 RowLayout::rowCount() const {
    const qint64 rows = segStart.empty() ? 0 : segFirstRow.back() + segRows.back();
    return rows + (trailingRow ? 1 : 0);
}

const std::vector<qint64> &RowLayout::rowStarts(std::size_t k) const {
    for (const Cached &entry : cache) {
        if (entry.segment == k)
            return entry.starts;
    }
    std::vector<qint64> starts{segStart[k]};
    starts.reserve(std::size_t(segRows[k]));
    walk(segStart[k], segmentEnd(k), [&](qint64 rowStart) { starts.push_back(rowStart); });
    if (cache.size() < cachedSegments) {
        cache.push_back({k, std::move(starts)});
        return cache.back().starts;
    }
    Cached &victim = cache[nextVictim];
    nextVictim = (nextVictim + 1) % cachedSegments;
    victim = {k, std::move(starts)};
    return victim.starts;
}

RowLayout::Row RowLayout::row(qint64 index) const {
    const qint64 count = rowCount();
    index = std::clamp<qint64>(index, 0, count - 1);
    if (trailingRow && index == count - 1)
        return {laidOut, laidOut, false};
    const auto after = std::upper_bound(segFirstRow.begin(), segFirstRow.end(), index);
    const std::size_t k = std::size_t((after - segFirstRow.begin()) - 1);
    const std::vector<qint64> &starts = rowStarts(k);
    const auto r = std::size_t(index - segFirstRow[k]);
    Row row;
    row.start = starts[r];
    row.end = r + 1 < starts.size() ? starts[r + 1] : segmentEnd(k);
    row.lineBreak = row.end - row.start >= 2 && pairEndsAt(row.end);
    return row;
}

qint64 RowLayout::rowOf(qint64 offset, bool upstream) const {
    offset = std::clamp<qint64>(offset, 0, laidOut);
    if (segStart.empty() || (trailingRow && offset == laidOut))
        return rowCount() - 1;
    const std::size_t k = segmentAt(offset);
    const std::vector<qint64> &starts = rowStarts(k);
    const auto r = std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin() - 1;
    const qint64 index = segFirstRow[k] + r;
    if (upstream && index > 0 && starts[std::size_t(r)] == offset && !pairEndsAt(offset))
        return index - 1;
    return index;
}

qint32 RowLayout::xOf(const Row &row, qint64 offset) const {
    const qint64 end = std::min(offset, row.textEnd());
    qint32 x = 0;
    forEachGlyph(row, [&](qint64 at, unsigned char byte, int style, qint32 glyphX) {
        if (at < end)
            x = glyphX + advancesOf(style)[byte];
    });
    return x;
}

RowLayout::Hit RowLayout::hit(qint64 rowIndex, qint32 x) const {
    const Row r = row(rowIndex);
    qint64 found = -1;
    forEachGlyph(r, [&](qint64 at, unsigned char byte, int style, qint32 glyphX) {
        if (found < 0 && x < glyphX + advancesOf(style)[byte] / 2)
            found = at;
    });
    if (found >= 0)
        return {found, false};
    const qint64 end = r.textEnd();
    return {end, end > r.start && !r.lineBreak && end < laidOut};
}

qint64 RowLayout::byteAt(qint64 rowIndex, qint32 x) const {
    const Row r = row(rowIndex);
    qint64 found = -1;
    forEachGlyph(r, [&](qint64 at, unsigned char byte, int style, qint32 glyphX) {
        if (found < 0 && x < glyphX + advancesOf(style)[byte])
            found = at;
    });
    return found >= 0 ? found : r.textEnd();
}

bool RowLayout::endsShort(qint64 rowIndex) const {
    const Row r = row(rowIndex);
    if (r.lineBreak || r.end >= laidOut)
        return false;
    const std::size_t k = segmentAt(r.end);
    if (segStart[k] != r.end)
        return false;
    qint32 width = 0;
    forEachGlyph(r, [&](qint64, unsigned char byte, int style, qint32 glyphX) {
        width = glyphX + advancesOf(style)[byte];
    });
    const unsigned char next = bytes->at(r.end);
    return width + advancesOf(styleAt(r.end))[next] <= rowWidth && r.end - r.start < maxRowBytes;
}
