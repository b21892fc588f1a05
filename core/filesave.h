#pragma once

#include <QByteArrayView>
#include <QString>

// Writing a file on a POSIX system so that a failure is never taken for
// success, a failed save leaves an existing file's content as it was, and a
// saved file stays the same file: owner, group, mode bits, extended
// attributes and hard links are kept.
namespace filesave {

// Writes exactly the bytes into the file at path, following symbolic links.
// Returns the system's reason for a failure, or an empty string.
QString save(const QString &path, QByteArrayView bytes);

} // namespace filesave
