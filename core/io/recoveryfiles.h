#pragma once

#include "io/filesave.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <cstdint>
#include <vector>

// The file operations the recovery copies rest on, one implementation per
// system (recoveryfiles_unix.cpp, recoveryfiles_windows.cpp): a directory
// private to the user, files opened without following links, locks that
// belong to an open file (so a killed program loses them with its process),
// a new file written, flushed and renamed over a name while its lock is
// held. Names of the directory's entries are plain ASCII; the directory is
// a name as nativename::decode gives it on a POSIX system, the path on
// Windows.
namespace recoveryfiles {

// An open file: a descriptor on a POSIX system, a handle on Windows.
using Handle = std::intptr_t;
constexpr Handle noHandle = -1;

void close(Handle file);

// The program's process id, for new names.
qint64 processId();

// The directory and those above it that are missing, made private to the
// user; the directory itself must be the user's own. Returns the reason for
// a failure, or an empty string.
QString makePrivateDirectory(const QString &directory);

// The names in the directory; none where it cannot be read.
QList<QByteArray> entries(const QString &directory);

enum class Lock { Shared, Exclusive };
enum class Outcome { Locked, Held, Gone };

struct Opened {
    Outcome outcome = Outcome::Gone;
    Handle file = noHandle; // open when Locked or Held, else noHandle
};

// An entry of the directory that is a regular file of the user's, opened
// without following a link and locked without waiting. Locked only while the
// name still leads to the locked file: a write renames a new file over the
// name before it lets the old one go, so a lock on a file the name still
// leads to means that no program holds the copy.
Opened openLocked(const QString &directory, const QByteArray &name, Lock lock);

// The entry's name removed; false where that failed.
bool removeEntry(const QString &directory, const QByteArray &name);

// The file's size, or -1 where it is no regular file.
qint64 sizeOf(Handle file);
// Reads at most `length` bytes at `offset`: the count read, 0 at the end,
// -1 on a failure.
qint64 readAt(Handle file, qint64 offset, char *data, qint64 length);

// A new file of that name made in the directory (private to the user),
// locked exclusively. Returns the handle, or noHandle with the reason; an
// existing name gives noHandle and `exists` true.
Handle createLocked(const QString &directory, const QByteArray &name, QString *error, bool *exists);

// The parts written from the start of the file and flushed to the disk.
QString writeAndFlush(Handle file, const filesave::Parts &parts);

// The new file (open as `file`, which keeps its lock) renamed over `name`,
// durably, and the file that held the name before (`previous`, locked by
// this program, or noHandle) closed: after the rename on a POSIX system, so
// the name is never unheld; before it on Windows, which does not replace a
// file that is open. Returns the reason for a failure, or an empty string;
// `previous` is noHandle once it is closed.
QString renameOver(const QString &directory, const QByteArray &newName, const QByteArray &name,
                   Handle &previous);

} // namespace recoveryfiles
