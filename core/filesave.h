#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

// Writing a file on a POSIX system so that a failure is never taken for
// success, a failed save leaves an existing file's content as it was where
// the file can be replaced (and says so where it had to be rewritten in
// place), and a saved file stays the same file: owner, group, mode bits,
// extended attributes and hard links are kept.
namespace filesave {

// The bytes to write as contiguous parts, written in order without being
// joined (the runs of a piece table).
using Parts = std::vector<QByteArrayView>;

// Writes exactly the parts into the file at path (a name as
// nativename::decode gives it), following symbolic links. Returns the
// reason for a failure, or an empty string.
QString save(const QString &path, const Parts &parts);
QString save(const QString &path, QByteArrayView bytes);

} // namespace filesave
