#pragma once

#include "document/piecetable.h"

#include <QByteArrayView>
#include <QString>

#include <initializer_list>
#include <vector>

// Writing a file so that a failure is never taken for success, a failed save
// leaves an existing file's content as it was where the file can be replaced
// (and says so where it had to be rewritten in place), and a saved file stays
// the same file: on a POSIX system owner, group, mode bits, extended
// attributes and hard links are kept (filesave_unix.cpp); on Windows its
// attributes and security (filesave_windows.cpp).
namespace filesave {

// The bytes to write: contiguous parts, then the runs of a piece table if
// one is given, written in order without being joined. A table whose file
// is read on demand is read as it is written; should the file fail to give
// some of its bytes meanwhile, the writing fails (with EIO or its Windows
// counterpart) rather than write bytes the file did not hold.
class Parts {
public:
    Parts(std::vector<QByteArrayView> views) : views(std::move(views)) {}
    Parts(std::initializer_list<QByteArrayView> views) : views(views) {}
    explicit Parts(const PieceTable &table, std::vector<QByteArrayView> before = {})
        : views(std::move(before)), table(&table) {}

    qint64 size() const;
    // Calls f(QByteArrayView) for each run; f returns false to stop. Returns
    // false when f stopped or the table's file failed to give its bytes.
    template <class F> bool forEach(F &&f) const;
    // Before the file of that identity is written over in place: a table
    // reading from it on demand reads it whole first, so that neither this
    // write nor any later read sees bytes already overwritten. False when
    // the file failed to give them.
    bool detachFrom(const FileSource::Identity &file) const;

private:
    std::vector<QByteArrayView> views;
    const PieceTable *table = nullptr;
};

template <class F> bool Parts::forEach(F &&f) const {
    for (const QByteArrayView view : views)
        if (!f(view))
            return false;
    if (!table)
        return true;
    const FileSource *file = table->file();
    const quint64 before = file ? file->substitutedPages() : 0;
    bool going = true;
    table->forEachChunk(0, table->size(), [&](QByteArrayView chunk) {
        going = f(chunk);
        return going;
    });
    return going && (!file || file->substitutedPages() == before);
}

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
