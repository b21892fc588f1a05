#include "document.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace document {
namespace {

LoadResult failed(const QString &reason) {
    LoadResult result;
    result.status = LoadResult::Status::Failed;
    result.error = reason;
    return result;
}

LoadResult withStatus(LoadResult::Status status) {
    LoadResult result;
    result.status = status;
    return result;
}

SaveResult saveFailed(const QString &reason) {
    return SaveResult{false, reason};
}

// Opening a named pipe for reading waits for a writer that may never come.
bool isNamedPipe(const QString &path) {
#ifdef Q_OS_UNIX
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISFIFO(st.st_mode);
#else
    Q_UNUSED(path);
    return false;
#endif
}

} // namespace

LoadResult load(const QString &path, qint64 maxBytes) {
    if (isNamedPipe(path))
        return failed(QStringLiteral("Not a regular file"));
    QFile file(path);
    // Opening a directory fails here with its own reason, so it never reads as empty.
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failed(file.errorString());

    const qint64 size = file.size();
    if (size > maxBytes)
        return withStatus(LoadResult::Status::TooLarge);

    ByteText bytes(size, Qt::Uninitialized);
    const qint64 got = size > 0 ? file.read(bytes.data(), size) : 0;
    if (got < 0)
        return failed(file.errorString());
    bytes.resize(got);

    // The size is what the file system reported a moment ago; some files (those
    // under /proc, one that grows meanwhile) hold more than that. Read on to the end.
    char more[65536];
    for (;;) {
        const qint64 n = file.read(more, sizeof more);
        if (n < 0)
            return failed(file.errorString());
        if (n == 0)
            break;
        if (bytes.size() + n > maxBytes)
            return withStatus(LoadResult::Status::TooLarge);
        bytes.append(more, n);
    }

    if (bytes.isEmpty())
        return withStatus(LoadResult::Status::Empty);
    LoadResult result;
    result.status = LoadResult::Status::Loaded;
    result.bytes = std::move(bytes);
    return result;
}

SaveResult save(const QString &path, QByteArrayView bytes) {
    // QSaveFile replaces the target by renaming a new file over it. On a device
    // or a pipe that would swap the node for a plain file and report success,
    // so only regular files (and new ones) are written.
    const QFileInfo target(path);
    if (target.exists() && !target.isFile())
        return saveFailed(target.isDir() ? QStringLiteral("Is a directory")
                                         : QStringLiteral("Not a regular file"));

    QSaveFile file(path);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return saveFailed(file.errorString());
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return saveFailed(reason);
    }
    if (!file.commit())
        return saveFailed(file.errorString());
    return SaveResult{true, {}};
}

} // namespace document
