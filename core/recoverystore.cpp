#include "recoverystore.h"

#include "filesave.h"
#include "largebytes.h"
#include "nativename.h"
#include "piecetable.h"
#include "systemerror.h"
#include "recoveryheader.h"
#include "sizebounds.h"

#include <QDir>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <new>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace recovery {
namespace {

const QByteArray suffix = QByteArrayLiteral(".kktrecovery");
// The program's directory in the user's state directory; the copies are in
// its subdirectory "recovery".
const QByteArray programDirectory = QByteArrayLiteral("kktview");

QString errorText(int error) {
    return systemErrorText(error);
}

bool isCopyName(const QByteArray &name) {
    return name.endsWith(suffix) && name.size() > suffix.size() && !name.startsWith('.');
}

// The hidden new file a write makes beside a copy: ".NAME.kktrecovery-RANDOM".
bool isNewFileName(const QByteArray &name) {
    return name.startsWith('.') && name.contains(suffix + '-');
}

QByteArray newCopyName() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1() +
           '-' + QByteArray::number(::getpid()) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36) + suffix;
}

// The copy's header as its file has it now, with its size; nothing for a
// file that is no copy. Only the header's bytes are read.
std::optional<Header> parse(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    QByteArray head(std::min<qint64>(longestHeader, st.st_size), Qt::Uninitialized);
    const ssize_t got = ::pread(fd, head.data(), size_t(head.size()), 0);
    if (got < 0)
        return std::nullopt;
    head.truncate(got);
    return parseHeader(head, st.st_size);
}

CopyInfo infoOf(const QByteArray &name, const Header &header) {
    return {QString::fromLatin1(name.chopped(suffix.size())), header.written, header.size,
            header.origin, header.damage};
}

// A directory of the program's own, made where it is missing: it must be a
// directory (not a link to one) and the user's, and is made private (mode
// 0700) should anyone else have access to it.
int makeOwnDirectory(const QByteArray &path) {
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return errno;
    struct stat st {};
    if (::lstat(path.constData(), &st) != 0)
        return errno;
    if (!S_ISDIR(st.st_mode))
        return ENOTDIR;
    if (st.st_uid != ::geteuid())
        return EPERM;
    if ((st.st_mode & 077) != 0 && ::chmod(path.constData(), 0700) != 0)
        return errno;
    return 0;
}

// The directory and those above it that are missing, made private, as the
// desktop's base directories are. The directory is the program's own, and
// so is the one above it in the usual place (programDirectory/recovery).
int makeDirectory(const QByteArray &path) {
    for (qsizetype slash = path.indexOf('/', 1); slash >= 0; slash = path.indexOf('/', slash + 1)) {
        if (::mkdir(path.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    const QByteArray above = path.left(path.lastIndexOf('/'));
    if (above.endsWith('/' + programDirectory)) {
        if (const int error = makeOwnDirectory(above))
            return error;
    }
    return makeOwnDirectory(path);
}

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// A file of the directory, opened without following a link and locked as
// lockMode (LOCK_SH or LOCK_EX) while the name still leads to it. A write
// renames a new file over the name before it lets the old one go, so a lock
// on a file the name still leads to means that no program holds the copy.
class LockedEntry {
public:
    enum class Outcome { Locked, Held, Gone };

    LockedEntry(int dirFd, const QByteArray &name, int lockMode) {
        fd = ::openat(dirFd, name.constData(),
                      O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        struct stat st {};
        if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid())
            return;
        if (::flock(fd, lockMode | LOCK_NB) != 0) {
            outcome = Outcome::Held;
            return;
        }
        struct stat named {};
        if (::fstatat(dirFd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            sameFile(st, named))
            outcome = Outcome::Locked;
        else
            outcome = Outcome::Held; // replaced meanwhile by the program that holds it
    }
    ~LockedEntry() {
        if (fd >= 0)
            ::close(fd);
    }
    LockedEntry(const LockedEntry &) = delete;
    LockedEntry &operator=(const LockedEntry &) = delete;

    // The descriptor, which the caller now closes.
    int release() { return std::exchange(fd, -1); }

    Outcome outcome = Outcome::Gone;
    int fd = -1;
};

// Another instance listing the directory holds a shared lock for a moment,
// which patient callers wait out.
std::unique_ptr<LockedEntry> lockExclusively(int dirFd, const QByteArray &name,
                                             bool patient = true) {
    for (int attempt = 0;; ++attempt) {
        auto entry = std::make_unique<LockedEntry>(dirFd, name, LOCK_EX);
        if (entry->outcome != LockedEntry::Outcome::Held || !patient || attempt == 10)
            return entry;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool removeUnheld(int dirFd, const QByteArray &name, bool patient = true) {
    const auto entry = lockExclusively(dirFd, name, patient);
    return entry->outcome == LockedEntry::Outcome::Locked &&
           ::unlinkat(dirFd, name.constData(), 0) == 0;
}

class Directory {
public:
    explicit Directory(const QString &path)
        : dir(::opendir(nativename::encode(path).constData())) {}
    ~Directory() {
        if (dir)
            ::closedir(dir);
    }
    Directory(const Directory &) = delete;
    Directory &operator=(const Directory &) = delete;

    int fd() const { return dir ? ::dirfd(dir) : -1; }
    QList<QByteArray> names() {
        QList<QByteArray> list;
        if (!dir)
            return list;
        while (const dirent *entry = ::readdir(dir))
            list << QByteArray(entry->d_name);
        return list;
    }

private:
    DIR *dir;
};

struct Entry {
    CopyInfo info;
    bool held = false;
};

// Every copy in the directory, newest first; new files that no write holds
// any more are removed.
std::vector<Entry> scan(const QString &path, bool withHeld) {
    std::vector<Entry> entries;
    Directory dir(path);
    for (const QByteArray &name : dir.names()) {
        if (isNewFileName(name)) {
            removeUnheld(dir.fd(), name, false);
            continue;
        }
        if (!isCopyName(name))
            continue;
        LockedEntry entry(dir.fd(), name, LOCK_SH);
        if (entry.outcome == LockedEntry::Outcome::Gone)
            continue;
        const bool held = entry.outcome == LockedEntry::Outcome::Held;
        if (held && !withHeld)
            continue;
        if (const auto header = parse(entry.fd))
            entries.push_back({infoOf(name, *header), held});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.info.written != b.info.written ? a.info.written > b.info.written
                                                : a.info.id > b.info.id;
    });
    return entries;
}

bool isPlainId(const QString &id) {
    return !id.isEmpty() && !id.startsWith(u'.') && !id.contains(u'/');
}

} // namespace

QString defaultDirectory() {
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (!state.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            home = nativename::encode(QDir::homePath());
        state = home + "/.local/state";
    }
    while (state.size() > 1 && state.endsWith('/'))
        state.chop(1);
    return nativename::decode(state + '/' + programDirectory + "/recovery");
}

HeldCopy::HeldCopy(QByteArray directory, QByteArray name, int lock)
    : directory(std::move(directory)), name(std::move(name)), lock(lock) {}

HeldCopy::~HeldCopy() {
    release();
}

HeldCopy::HeldCopy(HeldCopy &&other) noexcept
    : directory(std::move(other.directory)), name(std::move(other.name)),
      lock(std::exchange(other.lock, -1)) {}

HeldCopy &HeldCopy::operator=(HeldCopy &&other) noexcept {
    if (this != &other) {
        release();
        directory = std::move(other.directory);
        name = std::move(other.name);
        lock = std::exchange(other.lock, -1);
    }
    return *this;
}

QString HeldCopy::id() const {
    return isHeld() ? QString::fromLatin1(name.chopped(suffix.size())) : QString();
}

QString HeldCopy::write(const QString &directoryPath, const PieceTable &bytes,
                        const QString &origin, const QDateTime &written) {
    if (!isHeld()) {
        directory = nativename::encode(directoryPath);
        name = newCopyName();
    }
    // Made again should someone have removed it meanwhile.
    if (const int error = makeDirectory(directory))
        return errorText(error);
    // A longer copy would be refused when it is restored.
    if (bytes.size() > sizebounds::openedFileAtMost)
        return QStringLiteral("документ больше %1 МиБ, а больше программа не восстанавливает")
            .arg(sizebounds::inMebibytes(sizebounds::openedFileAtMost));
    filesave::Parts parts = bytes.chunks();
    quint32 checksum = checksumStart;
    for (const QByteArrayView part : parts)
        checksum = checksumUpdate(checksum, part);
    const QByteArray header = headerOf(bytes.size(), checksumOf(checksum), origin, written);
    parts.insert(parts.begin(), header);

    // A listing removes a new file that it finds unlocked: the one place it
    // can find ours so is between its creation and its lock, and then ours
    // is made again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QByteArray newFile = directory + "/." + name + '-' +
                                   QByteArray::number(QRandomGenerator::global()->generate(), 36);
        const int fd = ::open(newFile.constData(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return errorText(errno);
        }
        struct stat opened {};
        struct stat named {};
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 ||
            ::lstat(newFile.constData(), &named) != 0 || !sameFile(opened, named)) {
            ::close(fd);
            continue;
        }
        int error = filesave::writeParts(fd, parts);
        if (!error && ::fsync(fd) != 0)
            error = errno;
        if (!error && ::rename(newFile.constData(), (directory + '/' + name).constData()) != 0)
            error = errno;
        if (error) {
            ::unlink(newFile.constData());
            ::close(fd);
            return errorText(error);
        }
        filesave::syncDirectory(directory);
        // The new file holds the lock now; the old one is gone from the directory.
        if (lock >= 0)
            ::close(lock);
        lock = fd;
        return {};
    }
    return errorText(EAGAIN);
}

void HeldCopy::remove() {
    if (!isHeld())
        return;
    ::unlink((directory + '/' + name).constData());
    release();
}

void HeldCopy::release() {
    if (lock >= 0)
        ::close(lock);
    lock = -1;
    name.clear();
}

Store::Store(QString directory) : dir(std::move(directory)) {}

std::vector<CopyInfo> Store::list() const {
    std::vector<CopyInfo> copies;
    for (Entry &entry : scan(dir, false))
        copies.push_back(std::move(entry.info));
    return copies;
}

void Store::prune(int keep) const {
    Directory directory(dir);
    int left = 0;
    for (const Entry &entry : scan(dir, true)) {
        if (entry.held || left++ < keep)
            continue;
        removeUnheld(directory.fd(), entry.info.id.toLatin1() + suffix);
    }
}

bool Store::remove(const QString &id) const {
    if (!isPlainId(id))
        return false;
    Directory directory(dir);
    return removeUnheld(directory.fd(), id.toLatin1() + suffix);
}

std::optional<TakenCopy> Store::take(const QString &id, QString *error) const {
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!isPlainId(id))
        return fail(errorText(ENOENT));
    Directory directory(dir);
    const QByteArray name = id.toLatin1() + suffix;
    const auto entry = lockExclusively(directory.fd(), name);
    if (entry->outcome == LockedEntry::Outcome::Gone)
        return fail(QStringLiteral("Копии больше нет."));
    if (entry->outcome == LockedEntry::Outcome::Held)
        return fail(QStringLiteral("Этот документ открыт в другом окне программы."));
    const auto header = parse(entry->fd);
    if (!header)
        return fail(QStringLiteral("Копия повреждена."));
    if (!header->damage.isEmpty())
        return fail(header->damage);

    // The header's size is the file's own, and at most an opened file's.
    ByteText bytes;
    try {
        bytes = uninitializedLargeBytes(header->size);
    } catch (const std::bad_alloc &) {
        return fail(errorText(ENOMEM));
    }
    for (qint64 done = 0; done < header->size;) {
        const ssize_t got = ::pread(entry->fd, bytes.data() + done,
                                    size_t(std::min<qint64>(header->size - done, 1 << 30)),
                                    off_t(header->bytesStart + done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return fail(errorText(errno));
        if (got == 0)
            return fail(QStringLiteral("Копия повреждена."));
        done += got;
    }
    if (const QString damage = damageOfBytes(*header, bytes); !damage.isEmpty())
        return fail(damage);
    return TakenCopy{infoOf(name, *header), std::move(bytes),
                     HeldCopy(nativename::encode(dir), name, entry->release())};
}

} // namespace recovery
