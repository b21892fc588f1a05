#pragma once

#include "bytetext.h"

#include <QString>

// Reading a file into the document and writing the document into a file.
// Both are byte-exact: nothing is added, dropped or converted.
namespace document {

struct LoadResult {
    enum class Status { Loaded, Empty, TooLarge, Failed };
    Status status = Status::Failed;
    ByteText bytes;  // the file's bytes when Loaded, else empty
    qint64 size = 0; // the file's length in bytes when Loaded or TooLarge
    QString error;   // the reason when Failed
};

// Reads the whole file in one pass. A file of length 0 is Empty; a file
// longer than maxBytes is TooLarge and is not read. Anything but a regular
// file (a directory, a device, a pipe, a socket) Fails before it is opened:
// a terminal or a serial port would keep the read waiting for ever.
LoadResult load(const QString &path, qint64 maxBytes);

struct SaveResult {
    bool ok = false;
    QString error; // the system's description when !ok
};

// Writes exactly the bytes, nothing after them, into the file that a
// symbolic link names. An existing file keeps its owner, group, mode bits,
// extended attributes and hard links; after a failure its content is as it
// was. A failure is never reported as success.
SaveResult save(const QString &path, QByteArrayView bytes);

} // namespace document
