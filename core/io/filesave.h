#pragma once

#include <QByteArrayView>
#include <QString>

#include <vector>

// Writing a file so that a failure is never taken for success, a failed save
// leaves an existing file's content as it was where the file can be replaced
// (and says so where it had to be rewritten in place), and a saved file stays
// the same file: on a POSIX system owner, group, mode bits, extended
// attributes and hard links are kept (filesave_unix.cpp); on Windows its
// attributes and security (filesave_windows.cpp).
namespace filesave {

// The bytes to write as contiguous parts, written in order without being
// joined (the runs of a piece table).
using Parts = std::vector<QByteArrayView>;

// Writes exactly the parts into the file at path (a name as
// nativename::decode gives it), following symbolic links. Returns the
// reason for a failure, or an empty string.
QString save(const QString &path, const Parts &parts);
QString save(const QString &path, QByteArrayView bytes);

#ifdef Q_OS_UNIX
// The two steps of a save that other files the program writes whole (the
// recovery copies) share: the parts written from the start of an open file,
// a short write continued and EINTR retried; and a directory synced so that
// a new name or a rename in it is durable. Each returns 0 or an errno value.
int writeParts(int fd, const Parts &parts);
int syncDirectory(const QByteArray &directory);
#elif defined(Q_OS_WIN)
// The parts written at the handle's position, a short write continued.
// Returns 0 or a Win32 error code.
unsigned long writeParts(void *handle, const Parts &parts);
#endif

} // namespace filesave
