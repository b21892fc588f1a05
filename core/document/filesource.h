#pragma once

#include "base/bytetext.h"

#include <QByteArrayView>
#include <QString>
#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <unordered_map>

class QFile;

// A file's bytes read when they are needed, not copied whole at open: pages
// of it kept in a small cache shared by every snapshot of a document, on
// whatever thread they are read. The file stays open (read with plain reads,
// never mapped, so a file that another program shortens can never fault the
// program) and is watched: its identity (device, inode, size, modification
// time) is compared with that at open before a page is read, after it is
// read, and at most once a second on the way to a cached page.
//
// Once the open file differs, or a read fails (removable media taken out),
// the source is changed for good: the pages already read stay in the cache
// for the rest of its life and are what is shown, every other byte reads as
// 0, and every page served so is counted, so that a save never writes them
// silently. A file that another program replaced or removed (its name now
// names another file, or none) is told of the same way, but is still read:
// the open file is the one opened, unchanged.
class FileSource {
public:
    static constexpr qint64 defaultPageSize = 64 * 1024;
    // 4 MiB: a screenful of any view and a search's window many times over.
    static constexpr std::size_t defaultCachedPages = 64;

    // Takes over an open file; its identity now is the one kept.
    FileSource(std::unique_ptr<QFile> file, const QString &path, qint64 pageSize = defaultPageSize,
               std::size_t cachedPages = defaultCachedPages);
    ~FileSource();
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    // The length the file had at open: the length of the bytes served.
    qint64 size() const { return length; }
    const QString &path() const { return name; }

    // The bytes from offset to the end of its page, at most maxLength. The
    // view stays valid while the calling thread asks for fewer than
    // pinnedViews further views (of any source).
    static constexpr int pinnedViews = 8;
    QByteArrayView view(qint64 offset, qint64 maxLength) const;
    unsigned char at(qint64 offset) const;

    // The file no longer is what was opened, or could not be read.
    bool changed() const { return isChanged.load(); }
    // Its name no longer names it (replaced, removed, renamed).
    bool replaced() const { return isReplaced.load(); }
    // The program itself saved a new file under the name: no replacement to tell.
    void savedOver() const { ownSave.store(true); }
    // Reads every page not yet read and keeps them all: the file is not read
    // again, nor looked at (the program is about to write over it). False
    // when the file failed to give them.
    bool holdWhole() const;
    // How many times bytes that the file could not give were served as 0.
    quint64 substitutedPages() const { return substituted.load(); }
    // Compares the identity now, whenever it was compared last; false once
    // the source is changed or replaced.
    bool verify() const;
    // Called once, on the thread that finds a change or replacement, outside the cache's
    // lock. Once setOnChange returns, the callback it replaced is not running
    // and never runs again.
    void setOnChange(std::function<void()> callback) const;

    struct Identity {
        quint64 device = 0;
        quint64 inode = 0;
        qint64 size = 0;
        qint64 modified = 0; // in nanoseconds
        bool operator==(const Identity &other) const {
            return device == other.device && inode == other.inode && size == other.size &&
                   modified == other.modified;
        }
    };
    // The file's identity at open; whether the file at a path is this file.
    const Identity &identity() const { return opened; }
    bool isFileAt(const QString &path) const;
    // The identity of the file at a path now; false where there is none.
    static bool identityOfPath(const QString &path, Identity &identity);

private:
    QByteArray page(qint64 index) const;
    // Under the lock: reads one page, or marks the source changed.
    QByteArray readPage(qint64 index) const;
    // The open file is as opened; withName, whether the name still names it
    // is looked at too (replaced() when not).
    bool identityHolds(bool withName = true) const;
    void markChanged() const;
    void notifyIfChanged() const;

    QString name;
    qint64 length = 0;
    qint64 pageSize;
    std::size_t cachedPages;
    // What a page the file can no longer give reads as.
    QByteArray zeros;
    Identity opened;
    mutable std::mutex lock;
    mutable std::unique_ptr<QFile> file;
    mutable std::list<qint64> recent; // most recently used first
    struct Cached {
        QByteArray bytes;
        std::list<qint64>::iterator use;
    };
    mutable std::unordered_map<qint64, Cached> cache;
    mutable qint64 lastCheck = 0; // steady clock, ms
    mutable std::atomic<bool> isChanged{false};
    mutable std::atomic<bool> isReplaced{false};
    mutable std::atomic<bool> ownSave{false};
    mutable bool whole = false; // under the lock
    mutable std::atomic<bool> told{false};
    mutable std::atomic<quint64> substituted{0};
    mutable std::mutex callbackLock;
    mutable std::function<void()> onChange;
};
