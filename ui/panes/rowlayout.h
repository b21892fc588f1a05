#pragma once

#include "document/piecetable.h"
#include "styleruns.h"

#include <array>
#include <vector>

// The advance of every byte value in one style, in 1/64 pixel (the fixed
// point of Qt's own layout), so rows add up exactly whatever the sizes.
using ByteAdvances = std::array<qint32, 256>;

// Where the input pane's rows start, for a width and the advances of the
// styles in use, and which byte offset lies where in them. One glyph per
// byte; a CR LF pair ends its row and takes no room; a row takes glyphs while
// they fit (the first one always), so it may end anywhere.
//
// The document is kept in segments that each start where a row starts: after
// a CR LF, or where a long run without one was cut at a row start about
// segmentTarget bytes into the segment (a soft cut, which shows nowhere as
// laid out). A segment keeps only its row count; its rows are laid out when
// asked for, a few segments kept at a time. An edit lays out again only the
// segments around it (and the one after), so its cost does not grow with the
// document; a row before a soft cut that an edit leaves short stays short
// (endsShort()), a segment away from the edit, until the layout is made
// anew. Rows are counted through the segments' sums.
//
// A document of onDemandBytes or more is laid out as it is looked at, so
// that opening a file of many GiB reads only what is shown: it starts as
// chunks of about chunkBytes that hold an estimated row count only, and a
// chunk is cut into real segments when a row or an offset in it is asked
// for. What is never visited costs a few bytes a chunk. A chunk whose
// neighbour before it is laid out starts where that one's last row ends, as
// the whole layout would; else it starts after a line break near its place,
// or, with none near, is cut there (a soft cut, as after an edit). The row
// counts of the chunks still estimated make the row numbers, and so the
// scroll bar, approximate: when a chunk's real count replaces its estimate,
// the difference goes into an estimated chunk on the far side from the row
// or offset asked for, so the rows around it keep their numbers and a view
// or a caret move across the chunk's edge lands where it would in the whole
// layout. Only with no estimated chunk left on that side (the first chunks
// reached from below, the last from above) do the rows there move by the
// difference.
class RowLayout {
public:
    // The segments are cut at the first row start this many bytes into them
    // (where half as many at least remain for the next).
    static constexpr qint64 segmentTarget = 4096;
    // No row holds more bytes than this, whatever the advances.
    static constexpr qint64 maxRowBytes = 4096;
    // Below this size a document is laid out whole, at once.
    static constexpr qint64 onDemandBytes = 16 * 1024 * 1024;
    static constexpr qint64 chunkBytes = 256 * 1024;
    // How far from a chunk's place a line break to start it after is sought.
    static constexpr qint64 lineBreakReach = 64 * 1024;
    // Rows around an offset asked for that are laid out with it, so that a
    // caret move from there by up to this many rows (a page) counts real rows.
    static constexpr qint64 nearRows = 256;

    // The layout reads the bytes and their styles where they are; its owner
    // keeps them alive and tells it of every change.
    RowLayout(const PieceTable &bytes, const StyleRuns &styles);

    // The advances by style number, and the width rows are laid out in
    // (both in 1/64 pixel). Nothing is laid out until layOutAll().
    void setAdvances(std::vector<const ByteAdvances *> tables);
    void setWidth(qint32 width);
    qint32 width() const { return rowWidth; }
    const ByteAdvances &advancesOf(int style) const { return *tables[std::size_t(style)]; }

    // Lays the whole document out anew.
    void layOutAll();
    // [offset, offset + removed) became added bytes, or only their styles
    // changed (removed == added): lays out again around them.
    void edited(qint64 offset, qint64 removed, qint64 added);

    // The size of the document as last laid out.
    qint64 size() const { return laidOut; }
    qint64 rowCount() const;
    qint64 segmentCount() const { return qint64(segStart.size()); }
    // Chunks not yet laid out.
    qint64 estimatedCount() const;
    // Other sizes for laying out on demand (tests use small ones); they take
    // effect at the next layOutAll().
    void setOnDemand(qint64 fromBytes, qint64 chunk);

    struct Row {
        qint64 start = 0;
        // Past the row's last byte, its line break included.
        qint64 end = 0;
        // The row ends in a CR LF pair.
        bool lineBreak = false;
        // Where its text ends: before the pair.
        qint64 textEnd() const { return lineBreak ? end - 2 : end; }
    };
    Row row(qint64 index) const;
    // The row that shows the caret before offset. At a row end that is not
    // a line break the caret may stand at the end of the row (upstream) or
    // at the start of the next one.
    qint64 rowOf(qint64 offset, bool upstream = false) const;
    // The caret's x before offset in the row, from the row's left.
    qint32 xOf(const Row &row, qint64 offset) const;
    // The caret position nearest to x in a row, and whether it stands at
    // the row's end (upstream) rather than at the next row's start.
    struct Hit {
        qint64 offset = 0;
        bool upstream = false;
    };
    Hit hit(qint64 rowIndex, qint32 x) const;
    // The byte whose glyph holds x in a row: the first left of it, the
    // row's text end right of it.
    qint64 byteAt(qint64 rowIndex, qint32 x) const;
    // A row cut short by a soft cut: the next byte would have fit beside it.
    bool endsShort(qint64 rowIndex) const;

    // Calls f(offset, byte, style, x) for each glyph of the row, left to right.
    template <class F> void forEachGlyph(const Row &row, F &&f) const;

private:
    template <class OnRow> void walk(qint64 from, qint64 to, OnRow &&onRow) const;
    // Appends the segments of [from, to), which starts at a row start.
    void buildSegments(qint64 from, qint64 to, std::vector<qint64> &starts,
                       std::vector<qint32> &rows) const;
    // Appends chunks of [from, to) with estimated row counts.
    void estimateChunks(qint64 from, qint64 to, std::vector<qint64> &starts,
                        std::vector<qint32> &rows) const;
    qint64 bytesPerRow() const;
    // Lays estimated chunk k out; keepStart: its first row keeps its number
    // (else the row after it does).
    void layOutChunk(std::size_t k, bool keepStart) const;
    // Takes a change of rows out of the estimates of the chunks after k (or
    // before it), nearest first; returns the first segment whose count changed.
    std::size_t absorb(std::size_t k, qint64 rows, bool after) const;
    // Where a row starts after a line break nearest to offset, within the
    // reach and inside (low, high); -1 if none.
    qint64 lineBreakNear(qint64 offset, qint64 low, qint64 high) const;
    // The segment holding row index (clamped to the rows, and renumbered
    // if need be), or offset: a chunk not yet laid out is laid out first.
    std::size_t laidOutSegmentOfRow(qint64 &index) const;
    std::size_t laidOutSegmentAt(qint64 offset) const;
    // Lays out the chunks within nearRows rows of offset, either side.
    void layOutAround(qint64 offset) const;
    std::size_t segmentAt(qint64 offset) const;
    qint64 segmentEnd(std::size_t k) const;
    void countRowsFrom(std::size_t k) const;
    const std::vector<qint64> &rowStarts(std::size_t k) const;
    bool pairEndsAt(qint64 offset) const;
    int styleAt(qint64 offset) const;

    const PieceTable *bytes;
    const StyleRuns *styles;
    std::vector<const ByteAdvances *> tables;
    qint32 rowWidth = 64;

    qint64 laidOut = 0;
    qint64 onDemandFrom = onDemandBytes;
    qint64 chunkSize = chunkBytes;
    // Laying a chunk out on demand changes no row that was shown, so the
    // const look-ups may do it.
    mutable std::vector<qint64> segStart;
    mutable std::vector<qint64> segFirstRow;
    mutable std::vector<qint32> segRows;
    // The segment is a chunk not yet laid out; its row count an estimate.
    mutable std::vector<bool> segEstimated;
    // An empty row after a final line break, or the one row of an empty document.
    bool trailingRow = true;

    // Row starts of the segments last asked for.
    struct Cached {
        std::size_t segment;
        std::vector<qint64> starts;
    };
    mutable std::vector<Cached> cache;
    mutable std::size_t nextVictim = 0;
};

template <class F> void RowLayout::forEachGlyph(const Row &row, F &&f) const {
    const qint64 end = row.textEnd();
    qint32 x = 0;
    qint64 at = row.start;
    while (at < end) {
        const QByteArrayView chunk = bytes->chunkAt(at, end - at);
        if (chunk.isEmpty())
            break;
        const qint64 chunkStart = at;
        const qint64 spanEnd =
            styles->isEmpty() ? at + chunk.size() : std::min(at + chunk.size(), styles->runEnd(at));
        const int style = styleAt(at);
        const ByteAdvances &advance = *tables[std::size_t(style)];
        for (; at < spanEnd; ++at) {
            const auto byte = static_cast<unsigned char>(chunk[at - chunkStart]);
            f(at, byte, style, x);
            x += advance[byte];
        }
    }
}
