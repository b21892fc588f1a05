#pragma once

#include "base/bytetext.h"

#include <QString>
#include <memory>
#include <optional>
#include <vector>

class FileSource;
class PieceTable;
class QFile;

// Reading a file into the document and writing the document into a file.
// Both are byte-exact: nothing is added, dropped or converted. Paths are
// names as nativename::decode gives them, so a name that is not UTF-8 opens
// and saves under its own bytes.
namespace document {

// Opens a file for reading a piece at a time: the one way the window's open
// and the command line open a file. Anything but a regular file (a
// directory, a device, a pipe, a socket) is refused before it is opened: a
// terminal, a serial port or a pipe without a writer would keep a read
// waiting for ever. Returns the reason for a refusal or failure, in Russian
// where it is the program's own; `file` is then closed.
std::optional<QString> openForReading(const QString &path, QFile &file);

struct LoadResult {
    enum class Status { Loaded, Empty, TooLarge, Failed };
    Status status = Status::Failed;
    // When Loaded: the file's bytes (a file below readWholeAt), or the file
    // kept open to be read on demand.
    ByteText bytes;
    std::shared_ptr<FileSource> file;
    qint64 size = 0; // the file's length in bytes when Loaded or TooLarge
    QString error;   // the reason when Failed
};

// Opens the file by openForReading. One below readWholeAt bytes is read
// whole in one pass (on to its end should it hold more than its size says,
// as files under /proc do); a larger one is kept open and read on demand. A
// file of length 0 is Empty; a file longer than maxBytes is TooLarge and is
// not read.
LoadResult load(const QString &path, qint64 maxBytes, qint64 readWholeAt);
LoadResult load(const QString &path, qint64 maxBytes);

// What the window says once the file a document reads on demand has been
// changed by another program, truncated, replaced or taken away.
QString changedOnDiskMessage(const QString &path);

struct SaveResult {
    bool ok = false;
    QString error; // the system's description when !ok
};

// Writes exactly the parts, in order and nothing after them, into the file
// that a symbolic link names (not a link that another user planted in a
// shared directory such as /tmp). An existing file keeps its owner, group,
// mode bits, extended attributes and hard links. After a failure its content
// is as it was, unless the error says the file may have changed: a file that
// cannot be replaced by a new one is rewritten in place. A failure is never
// reported as success.
SaveResult save(const QString &path, const std::vector<QByteArrayView> &parts);
SaveResult save(const QString &path, QByteArrayView bytes);
// The runs of the table, written without joining them. A table whose
// original is read on demand from the file at path is read whole into the
// new file before that takes the name. Fails, leaving the file as it was,
// when the table's file can no longer give bytes the table holds.
SaveResult save(const QString &path, const PieceTable &bytes);

} // namespace document
