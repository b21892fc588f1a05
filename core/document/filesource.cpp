#include "document/filesource.h"

#include "io/nativename.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <cstring>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#elif defined(Q_OS_WIN)
#include "io/windowspaths.h"

#include <io.h>
#include <windows.h>
#endif

namespace {

using Identity = FileSource::Identity;

#ifdef Q_OS_UNIX
Identity identityOf(const struct stat &st) {
    Identity id;
    id.device = quint64(st.st_dev);
    id.inode = quint64(st.st_ino);
    id.size = qint64(st.st_size);
#ifdef Q_OS_LINUX
    id.modified = qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
#else
    id.modified = qint64(st.st_mtime) * 1000000000;
#endif
    return id;
}

bool identityOf(QFile &file, Identity &id) {
    struct stat st {};
    if (::fstat(file.handle(), &st) != 0)
        return false;
    id = identityOf(st);
    return true;
}

bool identityAt(const QString &path, Identity &id) {
    struct stat st {};
    if (::stat(nativename::encode(path).constData(), &st) != 0)
        return false;
    id = identityOf(st);
    return true;
}

#elif defined(Q_OS_WIN)
bool identityOf(HANDLE handle, Identity &id) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info))
        return false;
    id.device = info.dwVolumeSerialNumber;
    id.inode = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    id.size = qint64((quint64(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    id.modified = qint64((quint64(info.ftLastWriteTime.dwHighDateTime) << 32) |
                         info.ftLastWriteTime.dwLowDateTime) *
                  100;
    return true;
}

bool identityOf(QFile &file, Identity &id) {
    return identityOf(reinterpret_cast<HANDLE>(_get_osfhandle(file.handle())), id);
}

bool identityAt(const QString &path, Identity &id) {
    const std::wstring name = windowspaths::longPath(path);
    HANDLE handle =
        CreateFileW(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return false;
    const bool ok = identityOf(handle, id);
    CloseHandle(handle);
    return ok;
}
#endif

qint64 nowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// The pages behind the views a thread holds: a page leaves the cache when
// it likes, and the view into it stays valid.
thread_local QByteArray pinned[FileSource::pinnedViews];
thread_local int nextPin = 0;

} // namespace

FileSource::FileSource(std::unique_ptr<QFile> opened, const QString &path, qint64 pageSize,
                       std::size_t cachedPages)
    : name(path), pageSize(std::max<qint64>(pageSize, 1)),
      cachedPages(std::max<std::size_t>(cachedPages, 1)), zeros(this->pageSize, '\0'),
      file(std::move(opened)) {
    if (!identityOf(*file, this->opened))
        this->opened.size = file->size();
    length = this->opened.size;
    lastCheck = nowMs();
}

FileSource::~FileSource() = default;

void FileSource::setOnChange(std::function<void()> callback) const {
    std::lock_guard<std::mutex> guard(callbackLock);
    onChange = std::move(callback);
}

bool FileSource::identityOfPath(const QString &path, Identity &identity) {
    return identityAt(path, identity);
}

bool FileSource::isFileAt(const QString &path) const {
    Identity there;
    return identityAt(path, there) && there.device == opened.device && there.inode == opened.inode;
}

bool FileSource::identityHolds(bool withName) const {
    Identity now;
    lastCheck = nowMs();
    if (!identityOf(*file, now) || !(now == opened))
        return false;
    if (withName && !isReplaced.load() && !ownSave.load()) {
        Identity named;
        if (!identityAt(name, named) || named.device != opened.device ||
            named.inode != opened.inode)
            isReplaced.store(true);
    }
    return true;
}

void FileSource::markChanged() const {
    isChanged.store(true);
}

void FileSource::notifyIfChanged() const {
    if ((!isChanged.load() && !isReplaced.load()) || told.exchange(true))
        return;
    std::lock_guard<std::mutex> guard(callbackLock);
    if (onChange)
        onChange();
}

bool FileSource::verify() const {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (!whole && !isChanged.load() && !identityHolds())
            markChanged();
    }
    notifyIfChanged();
    return !changed() && !replaced();
}

QByteArray FileSource::readPage(qint64 index) const {
    const qint64 start = index * pageSize;
    const qint64 want = std::min(pageSize, length - start);
    if (isChanged.load() || !identityHolds()) {
        markChanged();
        return {};
    }
    QByteArray bytes(want, Qt::Uninitialized);
    qint64 got = 0;
    if (file->seek(start)) {
        while (got < want) {
            const qint64 n = file->read(bytes.data() + got, want - got);
            if (n <= 0)
                break;
            got += n;
        }
    }
    // A change while the page was read may have given some of its bytes.
    if (got < want || !identityHolds(false)) {
        markChanged();
        return {};
    }
    return bytes;
}

QByteArray FileSource::page(qint64 index) const {
    QByteArray bytes;
    {
        std::lock_guard<std::mutex> guard(lock);
        const auto found = cache.find(index);
        if (found != cache.end()) {
            recent.splice(recent.begin(), recent, found->second.use);
            bytes = found->second.bytes;
            if (!whole && !isChanged.load() && nowMs() - lastCheck >= 1000 && !identityHolds())
                markChanged();
        } else {
            bytes = readPage(index);
            if (!bytes.isNull()) {
                // A changed file's pages are all that is left of it: none leaves.
                if (cache.size() >= cachedPages && !isChanged.load() && !whole) {
                    cache.erase(recent.back());
                    recent.pop_back();
                }
                recent.push_front(index);
                cache.emplace(index, Cached{bytes, recent.begin()});
            }
        }
    }
    if (bytes.isNull()) {
        substituted.fetch_add(1);
        bytes = zeros;
    }
    notifyIfChanged();
    return bytes;
}

QByteArrayView FileSource::view(qint64 offset, qint64 maxLength) const {
    if (offset < 0 || offset >= length || maxLength <= 0)
        return {};
    const qint64 index = offset / pageSize;
    const qint64 inPage = offset - index * pageSize;
    const qint64 pageLength = std::min(pageSize, length - index * pageSize);
    QByteArray &slot = pinned[nextPin];
    nextPin = (nextPin + 1) % pinnedViews;
    slot = page(index);
    return QByteArrayView(slot.constData() + inPage, std::min(pageLength - inPage, maxLength));
}

bool FileSource::holdWhole() const {
    std::lock_guard<std::mutex> guard(lock);
    if (whole)
        return true;
    const qint64 pages = (length + pageSize - 1) / pageSize;
    for (qint64 index = 0; index < pages; ++index) {
        if (cache.count(index))
            continue;
        const QByteArray bytes = readPage(index);
        if (bytes.isNull())
            return false;
        recent.push_back(index);
        cache.emplace(index, Cached{bytes, std::prev(recent.end())});
    }
    whole = true;
    return true;
}

unsigned char FileSource::at(qint64 offset) const {
    const qint64 index = offset / pageSize;
    const QByteArray bytes = page(index);
    return static_cast<unsigned char>(bytes.at(offset - index * pageSize));
}
