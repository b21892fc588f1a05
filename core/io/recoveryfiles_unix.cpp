#include "io/recoveryfiles.h"

#include "io/filesave.h"
#include "io/nativename.h"
#include "io/systemerror.h"

#include <QtGlobal>

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace recoveryfiles {
namespace {

// The directory the store keeps its copies in is the program's own, and so
// is the one above it in the usual place (kktview/recovery).
const QByteArray stateDirectory = QByteArrayLiteral("kktview");

QString errorText(int error) {
    return systemErrorText(error);
}

int fdOf(Handle file) {
    return int(file);
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

bool sameFile(const struct stat &a, const struct stat &b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// The directory, open for the calls relative to it.
class DirectoryFd {
public:
    explicit DirectoryFd(const QString &path)
        : fd(::open(nativename::encode(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {}
    ~DirectoryFd() {
        if (fd >= 0)
            ::close(fd);
    }
    DirectoryFd(const DirectoryFd &) = delete;
    DirectoryFd &operator=(const DirectoryFd &) = delete;

    const int fd;
};

} // namespace

void close(Handle file) {
    if (file != noHandle)
        ::close(fdOf(file));
}

qint64 processId() {
    return qint64(::getpid());
}

QString makePrivateDirectory(const QString &directory) {
    const QByteArray path = nativename::encode(directory);
    for (qsizetype slash = path.indexOf('/', 1); slash >= 0; slash = path.indexOf('/', slash + 1)) {
        if (::mkdir(path.left(slash).constData(), 0700) != 0 && errno != EEXIST)
            return errorText(errno);
    }
    const QByteArray above = path.left(path.lastIndexOf('/'));
    if (above.endsWith('/' + stateDirectory)) {
        if (const int error = makeOwnDirectory(above))
            return errorText(error);
    }
    if (const int error = makeOwnDirectory(path))
        return errorText(error);
    return {};
}

QList<QByteArray> entries(const QString &directory) {
    QList<QByteArray> names;
    DIR *dir = ::opendir(nativename::encode(directory).constData());
    if (!dir)
        return names;
    while (const dirent *entry = ::readdir(dir))
        names << QByteArray(entry->d_name);
    ::closedir(dir);
    return names;
}

Opened openLocked(const QString &directory, const QByteArray &name, Lock lock) {
    const DirectoryFd dir(directory);
    const int fd = ::openat(dir.fd, name.constData(),
                            O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    struct stat st {};
    if (fd < 0)
        return {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::geteuid()) {
        ::close(fd);
        return {};
    }
    if (::flock(fd, (lock == Lock::Exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0)
        return {Outcome::Held, fd};
    struct stat named {};
    const bool same = ::fstatat(dir.fd, name.constData(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
                      sameFile(st, named);
    // Replaced meanwhile by the program that holds it.
    return {same ? Outcome::Locked : Outcome::Held, fd};
}

bool removeEntry(const QString &directory, const QByteArray &name) {
    const DirectoryFd dir(directory);
    return ::unlinkat(dir.fd, name.constData(), 0) == 0;
}

qint64 sizeOf(Handle file) {
    struct stat st {};
    if (::fstat(fdOf(file), &st) != 0 || !S_ISREG(st.st_mode))
        return -1;
    return st.st_size;
}

qint64 readAt(Handle file, qint64 offset, char *data, qint64 length) {
    for (;;) {
        const ssize_t got =
            ::pread(fdOf(file), data, size_t(std::min<qint64>(length, 1 << 30)), off_t(offset));
        if (got < 0 && errno == EINTR)
            continue;
        return got;
    }
}

Handle createLocked(const QString &directory, const QByteArray &name, QString *error,
                    bool *exists) {
    *exists = false;
    const QByteArray path = nativename::encode(directory) + '/' + name;
    const int fd = ::open(path.constData(),
                          O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY, 0600);
    if (fd < 0) {
        *exists = errno == EEXIST;
        *error = errorText(errno);
        return noHandle;
    }
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(fd, &opened) != 0 ||
        ::lstat(path.constData(), &named) != 0 || !sameFile(opened, named)) {
        // Someone took the name between its making and our lock.
        ::close(fd);
        *exists = true;
        return noHandle;
    }
    return fd;
}

QString writeAndFlush(Handle file, const filesave::Parts &parts) {
    int error = filesave::writeParts(fdOf(file), parts);
    if (!error && ::fsync(fdOf(file)) != 0)
        error = errno;
    return error ? errorText(error) : QString();
}

QString renameOver(const QString &directory, const QByteArray &newName, const QByteArray &name,
                   Handle &previous) {
    const QByteArray dir = nativename::encode(directory);
    if (::rename((dir + '/' + newName).constData(), (dir + '/' + name).constData()) != 0)
        return errorText(errno);
    filesave::syncDirectory(dir);
    // The new file holds the lock now; the old one is gone from the directory.
    close(previous);
    previous = noHandle;
    return {};
}

} // namespace recoveryfiles
