#include "rowlayout.h"

#include "document/crlf.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>

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

// Segments in the making: a row starting at rowStart joins the last one, or
// starts the next once the last holds a target's bytes and half a target at
// least remains before end, so no cut leaves a sliver of a segment.
struct SegmentCutter {
    std::vector<qint64> &starts;
    std::vector<qint32> &rows;
    qint64 segmentStart;

    void addRow(qint64 rowStart, qint64 end) {
        if (rowStart - segmentStart >= RowLayout::segmentTarget &&
            end - rowStart >= RowLayout::segmentTarget / 2) {
            starts.push_back(rowStart);
            rows.push_back(1);
            segmentStart = rowStart;
        } else {
            ++rows.back();
        }
    }
};

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
    SegmentCutter cutter{starts, rows, from};
    walk(from, to, [&](qint64 rowStart) { cutter.addRow(rowStart, to); });
}

void RowLayout::setOnDemand(qint64 fromBytes, qint64 chunk) {
    onDemandFrom = std::max<qint64>(1, fromBytes);
    chunkSize = std::max<qint64>(4 * maxRowBytes, chunk);
}

void RowLayout::layOutAll() {
    cache.clear();
    segStart.clear();
    segRows.clear();
    laidOut = bytes->size();
    const bool onDemand = laidOut >= onDemandFrom;
    if (onDemand)
        estimateChunks(0, laidOut, segStart, segRows);
    else
        buildSegments(0, laidOut, segStart, segRows);
    segEstimated.assign(segStart.size(), onDemand);
    segFirstRow.resize(segStart.size());
    countRowsFrom(0);
    trailingRow = laidOut == 0 || pairEndsAt(laidOut);
}

qint64 RowLayout::estimatedCount() const {
    return std::count(segEstimated.begin(), segEstimated.end(), true);
}

qint64 RowLayout::bytesPerRow() const {
    // The mean advance of the printable bytes in the plain style.
    qint64 sum = 0;
    if (!tables.empty()) {
        for (int byte = 32; byte < 256; ++byte)
            sum += (*tables[0])[std::size_t(byte)];
    }
    const qint64 advance = std::max<qint64>(1, sum / (256 - 32));
    return std::clamp<qint64>(rowWidth / advance, 1, maxRowBytes);
}

void RowLayout::estimateChunks(qint64 from, qint64 to, std::vector<qint64> &starts,
                               std::vector<qint32> &rows) const {
    if (from >= to)
        return;
    const qint64 perRow = bytesPerRow();
    // The last chunk takes what is left, from half a chunk to one and a half.
    const qint64 count = std::max<qint64>(1, (to - from + chunkSize / 2) / chunkSize);
    for (qint64 i = 0; i < count; ++i) {
        const qint64 start = from + i * chunkSize;
        const qint64 length = (i + 1 < count ? start + chunkSize : to) - start;
        rows.push_back(
            qint32(std::min<qint64>(length / perRow + 1, std::numeric_limits<qint32>::max())));
        starts.push_back(start);
    }
}

qint64 RowLayout::lineBreakNear(qint64 offset, qint64 low, qint64 high) const {
    const qint64 from = std::max(low, offset - lineBreakReach);
    const qint64 to = std::min(high, offset + lineBreakReach);
    if (to - from < 2)
        return -1;
    const ByteText window = bytes->read(from, to - from);
    const char *data = window.constData();
    const auto length = std::size_t(window.size());
    qint64 best = -1;
    for (std::size_t i = 0; i + 1 < length;) {
        const void *cr = std::memchr(data + i, '\r', length - 1 - i);
        if (!cr)
            break;
        i = std::size_t(static_cast<const char *>(cr) - data);
        if (data[i + 1] == '\n') {
            const qint64 rowStart = from + qint64(i) + 2;
            if (rowStart > low && rowStart < high &&
                (best < 0 || std::abs(rowStart - offset) < std::abs(best - offset)))
                best = rowStart;
        }
        ++i;
    }
    return best;
}

void RowLayout::layOutChunk(std::size_t k, bool keepStart) const {
    qint64 start = segStart[k];
    const qint64 end = segmentEnd(k);
    // After a chunk not laid out either, a row start is known only after a
    // line break.
    if (k > 0 && segEstimated[k - 1]) {
        const qint64 at = lineBreakNear(start, segStart[k - 1], end);
        if (at >= 0)
            start = segStart[k] = at;
    }
    // Before one, the last row runs on to where the whole layout ends it,
    // and that chunk starts there.
    qint64 hardEnd = end;
    if (k + 1 < segStart.size() && segEstimated[k + 1] &&
        segmentEnd(k + 1) - end > 2 * (maxRowBytes + 2))
        hardEnd = end + maxRowBytes + 3;
    std::vector<qint64> starts{start};
    std::vector<qint32> rows{1};
    qint64 cut = hardEnd == end ? end : -1;
    SegmentCutter cutter{starts, rows, start};
    walk(start, hardEnd, [&](qint64 rowStart) {
        if (cut >= 0 && hardEnd != end)
            return;
        if (rowStart >= end) {
            cut = rowStart;
            return;
        }
        cutter.addRow(rowStart, end);
    });
    if (cut < 0)
        cut = hardEnd;
    if (cut != end)
        segStart[k + 1] = cut;

    qint64 real = 0;
    for (const qint32 count : rows)
        real += count;
    const qint64 change = real - segRows[k];
    const auto at = std::ptrdiff_t(k);
    segStart.erase(segStart.begin() + at);
    segStart.insert(segStart.begin() + at, starts.begin(), starts.end());
    segRows.erase(segRows.begin() + at);
    segRows.insert(segRows.begin() + at, rows.begin(), rows.end());
    segEstimated.erase(segEstimated.begin() + at);
    segEstimated.insert(segEstimated.begin() + at, starts.size(), false);
    segFirstRow.resize(segStart.size());
    const std::size_t changed =
        keepStart ? absorb(k + starts.size() - 1, change, true) : absorb(k, change, false);
    countRowsFrom(std::min(k, changed));
    cache.clear();
}

std::size_t RowLayout::absorb(std::size_t k, qint64 rows, bool after) const {
    std::size_t lowest = k;
    const auto take = [&](std::size_t j) {
        if (!segEstimated[j])
            return false;
        const qint64 now =
            std::clamp<qint64>(qint64(segRows[j]) - rows, 1, std::numeric_limits<qint32>::max());
        rows -= qint64(segRows[j]) - now;
        segRows[j] = qint32(now);
        lowest = std::min(lowest, j);
        return rows == 0;
    };
    if (after) {
        for (std::size_t j = k + 1; j < segStart.size() && !take(j); ++j) {
        }
    } else {
        for (std::size_t j = k; j-- > 0 && !take(j);) {
        }
    }
    return lowest;
}

void RowLayout::countRowsFrom(std::size_t k) const {
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

std::size_t RowLayout::laidOutSegmentAt(qint64 offset) const {
    for (;;) {
        const std::size_t k = segmentAt(offset);
        if (!segEstimated[k])
            return k;
        layOutChunk(k, offset - segStart[k] < segmentEnd(k) - offset);
    }
}

void RowLayout::layOutAround(qint64 offset) const {
    for (const bool after : {false, true}) {
        for (bool more = true; more;) {
            more = false;
            const std::size_t k = laidOutSegmentAt(offset);
            const std::vector<qint64> &starts = rowStarts(k);
            const auto r = std::upper_bound(starts.begin(), starts.end(), offset) - starts.begin();
            qint64 rows = after ? segRows[k] - r : r - 1;
            for (std::size_t j = k; rows < nearRows;) {
                if (after ? ++j >= segStart.size() : j-- == 0)
                    break;
                if (segEstimated[j]) {
                    // The rows on the offset's side keep their numbers.
                    layOutChunk(j, after);
                    more = true;
                    break;
                }
                rows += segRows[j];
            }
        }
    }
}

std::size_t RowLayout::laidOutSegmentOfRow(qint64 &index) const {
    for (;;) {
        index = std::clamp<qint64>(index, 0, segFirstRow.back() + segRows.back() - 1);
        const auto after = std::upper_bound(segFirstRow.begin(), segFirstRow.end(), index);
        const std::size_t k = std::size_t((after - segFirstRow.begin()) - 1);
        if (!segEstimated[k])
            return k;
        layOutChunk(k, index - segFirstRow[k] < segFirstRow[k] + segRows[k] - index);
    }
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
    // A chunk not laid out is not: it starts where it is left.
    if (last + 1 < count && !segEstimated[last + 1] && !pairEndsAt(segmentEnd(last) + delta))
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
    // An edit that meets a chunk not laid out, or brings in more than is
    // laid out at once, leaves its range to be laid out on demand.
    bool estimate = false;
    for (bool joined = false;;) {
        while (last + 1 < count && badCut(segmentEnd(last) + delta))
            ++last;
        const qint64 end = segmentEnd(last) + delta;
        starts.clear();
        rows.clear();
        const auto from = segEstimated.begin() + std::ptrdiff_t(first);
        const auto to = segEstimated.begin() + std::ptrdiff_t(last + 1);
        if (std::find(from, to, true) != to || end - segStart[first] >= onDemandFrom) {
            estimate = true;
            estimateChunks(segStart[first], end, starts, rows);
            break;
        }
        buildSegments(segStart[first], end, starts, rows);
        // A piece left short joins the segment after it, once.
        if (joined || last + 1 >= count || segEstimated[last + 1] || starts.empty() ||
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
    segEstimated.erase(segEstimated.begin() + from, segEstimated.begin() + to);
    segEstimated.insert(segEstimated.begin() + from, starts.size(), estimate);
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
    const std::size_t k = laidOutSegmentOfRow(index);
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
    if (segStart.empty())
        return rowCount() - 1;
    layOutAround(offset);
    if (trailingRow && offset == laidOut)
        return rowCount() - 1;
    const std::size_t k = laidOutSegmentAt(offset);
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
