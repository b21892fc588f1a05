#include "styleruns.h"

#include <algorithm>

void StyleRuns::reset(qint64 size, int style) {
    runs.clear();
    total = size;
    if (size > 0)
        runs.push_back({0, style});
}

std::size_t StyleRuns::indexOf(qint64 offset) const {
    const auto after = std::upper_bound(runs.begin(), runs.end(), offset,
                                        [](qint64 at, const Run &run) { return at < run.start; });
    return std::size_t(std::max<std::ptrdiff_t>(0, (after - runs.begin()) - 1));
}

int StyleRuns::styleAt(qint64 offset) const {
    return runs.empty() ? 0 : runs[indexOf(offset)].style;
}

qint64 StyleRuns::runEnd(qint64 offset) const {
    const std::size_t i = indexOf(offset);
    return i + 1 < runs.size() ? runs[i + 1].start : total;
}

void StyleRuns::splitAt(qint64 offset) {
    if (offset <= 0 || offset >= total)
        return;
    const std::size_t i = indexOf(offset);
    if (runs[i].start != offset)
        runs.insert(runs.begin() + std::ptrdiff_t(i) + 1, Run{offset, runs[i].style});
}

// Runs first - 1 .. last that share a style with the run before become one.
void StyleRuns::joinAround(std::size_t first, std::size_t last) {
    const std::size_t from = first > 0 ? first - 1 : 0;
    const std::size_t to = std::min(last + 1, runs.size());
    std::size_t kept = from + 1;
    for (std::size_t i = from + 1; i < to; ++i) {
        if (runs[i].style != runs[kept - 1].style)
            runs[kept++] = runs[i];
    }
    runs.erase(runs.begin() + std::ptrdiff_t(kept), runs.begin() + std::ptrdiff_t(to));
}

void StyleRuns::replace(qint64 offset, qint64 removed, qint64 added, int style) {
    offset = qBound<qint64>(0, offset, total);
    removed = qBound<qint64>(0, removed, total - offset);
    if (removed == 0 && added == 0)
        return;
    // Out with the removed bytes: runs that start inside them go, a run that
    // starts at their end starts at offset instead.
    splitAt(offset + removed);
    std::size_t first = runs.empty() ? 0 : indexOf(offset);
    if (first < runs.size() && runs[first].start < offset)
        ++first;
    std::size_t last = first;
    while (last < runs.size() && runs[last].start < offset + removed)
        ++last;
    runs.erase(runs.begin() + std::ptrdiff_t(first), runs.begin() + std::ptrdiff_t(last));
    for (std::size_t i = first; i < runs.size(); ++i)
        runs[i].start += added - removed;
    total += added - removed;
    // In with the added ones, a run of their own where the style differs.
    if (added > 0) {
        // A run that continues after the insertion gets its own start.
        if (first > 0 && (first == runs.size() || runs[first].start > offset + added))
            runs.insert(runs.begin() + std::ptrdiff_t(first),
                        Run{offset + added, runs[first - 1].style});
        runs.insert(runs.begin() + std::ptrdiff_t(first), Run{offset, style});
        // The piece cut off after the insertion may reach no byte.
        if (first + 1 < runs.size() && runs[first + 1].start >= total)
            runs.erase(runs.begin() + std::ptrdiff_t(first) + 1);
    }
    if (!runs.empty())
        joinAround(std::min(first, runs.size() - 1), std::min(first + 2, runs.size() - 1));
    if (total == 0)
        runs.clear();
}
