#pragma once

#include "../testfiles.h"
#include "document/filesource.h"
#include "io/document.h"

#include <QFile>

#include <memory>

// Files on disk for the suites that read a document on demand.
namespace ondisk {

// The file opened as the document opens it; null when it cannot be.
inline std::shared_ptr<FileSource> openSource(const QString &path, qint64 pageSize,
                                              std::size_t cachedPages) {
    auto file = std::make_unique<QFile>();
    if (document::openForReading(path, *file))
        return nullptr;
    return std::make_shared<FileSource>(std::move(file), path, pageSize, cachedPages);
}

// The bytes written to a new file and read back on demand; null when either fails.
inline std::shared_ptr<FileSource> writtenSource(const QString &path, const QByteArray &bytes,
                                                 qint64 pageSize, std::size_t cachedPages) {
    return writeFile(path, bytes) ? openSource(path, pageSize, cachedPages) : nullptr;
}

} // namespace ondisk
