#pragma once

#include <QtGlobal>
#include <vector>

// Which style each byte of a document is drawn in: runs of bytes that share
// a style, by byte offset. The runs move with the document's edits; bytes
// an edit inserts take the style the editor names.
class StyleRuns {
public:
    struct Run {
        qint64 start;
        int style;
    };

    // size bytes, all in style.
    void reset(qint64 size, int style);
    qint64 size() const { return total; }
    bool isEmpty() const { return total == 0; }

    // The style of the byte at offset (0 <= offset < size()).
    int styleAt(qint64 offset) const;
    // Where the run holding offset ends.
    qint64 runEnd(qint64 offset) const;
    const std::vector<Run> &list() const { return runs; }

    // [offset, offset + removed) became `added` bytes in `style`.
    void replace(qint64 offset, qint64 removed, qint64 added, int style);
    // Gives [from, to) the style restyle(old style) returns.
    template <class F> void restyle(qint64 from, qint64 to, F &&restyle);

private:
    std::size_t indexOf(qint64 offset) const;
    void splitAt(qint64 offset);
    void joinAround(std::size_t first, std::size_t last);

    // Sorted by start, the first at 0, neighbours of different styles;
    // empty when the document is.
    std::vector<Run> runs;
    qint64 total = 0;
};

template <class F> void StyleRuns::restyle(qint64 from, qint64 to, F &&restyle) {
    from = qBound<qint64>(0, from, total);
    to = qBound<qint64>(from, to, total);
    if (from == to)
        return;
    splitAt(from);
    splitAt(to);
    const std::size_t first = indexOf(from);
    std::size_t last = first;
    for (; last < runs.size() && runs[last].start < to; ++last)
        runs[last].style = restyle(runs[last].style);
    joinAround(first, last);
}
