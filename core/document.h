#pragma once

#include "bytetext.h"

#include <QString>

// Reading a file into the document and writing the document into a file.
// Both are byte-exact: nothing is added, dropped or converted.
namespace document {

struct LoadResult {
    enum class Status { Loaded, Empty, TooLarge, Failed };
    Status status = Status::Failed;
    ByteText bytes; // the file's bytes when Loaded, else empty
    QString error;  // the system's reason when Failed
};

// Reads the whole file in one pass. A file of length 0 is Empty; a file
// longer than maxBytes is TooLarge and is not read.
LoadResult load(const QString &path, qint64 maxBytes);

struct SaveResult {
    bool ok = false;
    QString error; // the system's description when !ok
};

// Writes exactly the bytes, nothing after them. The target is replaced
// atomically: after a failure an existing file is left as it was.
SaveResult save(const QString &path, QByteArrayView bytes);

} // namespace document
