#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// Two files compared for --diff, as cmp compares them, in lines for scripts:
// "OFFSET FIRST SECOND" for each run of differing bytes, the offset in hex
// and the bytes of each file in hex, a run longer than 16 bytes continued on
// the next line at its own offset; when one file is shorter, a last line
// "OFFSET EOF FILE" says where the shorter one ends.
namespace diffprinter {

// The longest run one line holds: a line stays as wide as a terminal, and
// memory stays the same whatever the run's length.
inline constexpr int bytesPerLine = 16;

// Compares the two files a piece at a time and prints their differences.
// Returns the exit status as cmp does: 0 the same bytes, 1 they differ (in
// length too), 2 trouble: not two files, a file not read (named through
// complain) or the output not written.
int print(const QStringList &files, QIODevice &out,
          const std::function<void(const QString &)> &complain);

} // namespace diffprinter
