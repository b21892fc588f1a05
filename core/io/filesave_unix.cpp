#include "io/filesave.h"

#include "io/nativename.h"
#include "io/systemerror.h"

#include <QList>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

// How a save goes.
//
// A file with one link, in a directory the user may write, is replaced: the
// bytes go into a new file beside it, which gets the old file's owner, group,
// extended attributes (ACLs and security labels among them) and mode, is
// synced, and is renamed over the old one. Whatever fails, a crash included,
// the name holds either the whole old or the whole new content.
//
// Where a new file cannot become the same file (a hard link would break, the
// owner or an attribute cannot be given to it, the directory may not be
// written, the name is a mount point), the file is rewritten in place
// instead. Its new size is reserved first, so a full disk fails before the
// first old byte is overwritten; then the bytes are written, the file is cut
// to their length and synced. A failure from there on may have changed the
// file, and its reason says so. A rename that fails for another reason (an
// I/O error, a full disk or quota) ends the save: the old file is kept.
//
// A write, sync or close that fails ends the save with its own reason; a
// short write is continued, never taken for the whole.
//
// The new file beside the target holds a lock while the save runs. One that
// a killed save left behind holds none, and the next save of the same file
// removes it.
//
// A symbolic link is followed as the kernel follows one when it protects
// links (fs.protected_symlinks): in a sticky directory that everyone may
// write (as /tmp), only a link of the user or of the directory's owner.

namespace filesave {
namespace {

// Our own failure codes next to the system's errno values.
constexpr int notRegularFile = -1;
constexpr int foreignLinkInSharedDirectory = -2;

// Whether the file is replaced, failed, or had to be left for the rewrite in
// place (then nothing of it was touched).
struct Replacement {
    bool possible = false;
    int error = 0;
};

// A failure, and whether the target may have been changed by then.
struct Failure {
    int error = 0;
    bool targetTouched = false;
};

QString reason(Failure failure) {
    QString text;
    if (failure.error == 0)
        return text;
    if (failure.error == notRegularFile)
        text = QStringLiteral("Это не обычный файл (устройство, канал или сокет): сохранить в "
                              "него нельзя.");
    else if (failure.error == foreignLinkInSharedDirectory)
        text = QStringLiteral("Это символическая ссылка другого пользователя в общей папке "
                              "(как /tmp): по такой ссылке программа не сохраняет, ведь её "
                              "мог подложить кто угодно. Сохраните под другим именем.");
    else
        text = systemErrorText(failure.error);
    if (failure.targetTouched)
        text += QStringLiteral("\nФайл мог измениться частично.");
    return text;
}

// A descriptor that is closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd(fd) {}
    ~Descriptor() {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return fd; }
    bool isOpen() const { return fd >= 0; }
    // Some file systems (NFS) report a failed write only when the file closes.
    int close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0 ? 0 : errno;
    }

private:
    int fd;
};

QByteArray directoryOf(const QByteArray &path) {
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

bool isSharedDirectory(const struct stat &dir) {
    return (dir.st_mode & S_ISVTX) && (dir.st_mode & S_IWOTH);
}

// Whether the kernel would follow the link, had it followed it itself.
bool mayFollow(const QByteArray &path, const struct stat &link) {
    struct stat dir {};
    if (::stat(directoryOf(path).constData(), &dir) != 0 || !isSharedDirectory(dir))
        return true;
    return link.st_uid == ::geteuid() || link.st_uid == dir.st_uid;
}

// Follows symbolic links to the file they name, which need not exist yet. A
// loop fails (ELOOP) instead of having the link replaced by a file.
int followLinks(QByteArray &path) {
    for (int hop = 0; hop < 40; ++hop) { // the kernel's own bound
        struct stat st {};
        if (::lstat(path.constData(), &st) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(st.st_mode))
            return 0;
        if (!mayFollow(path, st))
            return foreignLinkInSharedDirectory;
        QByteArray target(PATH_MAX, Qt::Uninitialized);
        const ssize_t length = ::readlink(path.constData(), target.data(), target.size());
        if (length < 0)
            return errno;
        if (length == target.size())
            return ENAMETOOLONG;
        target.truncate(length);
        path = target.startsWith('/') ? target : directoryOf(path) + '/' + target;
    }
    return ELOOP;
}

qint64 sizeOf(const Parts &parts) {
    return parts.size();
}

// Writes the parts one after the other from the file's start.
int writeAll(int fd, const Parts &parts) {
    off_t at = 0;
    int error = 0;
    const bool whole = parts.forEach([&](QByteArrayView part) {
        qsizetype done = 0;
        while (done < part.size()) {
            const auto chunk = size_t(std::min<qsizetype>(part.size() - done, 1 << 30));
            const ssize_t written = ::pwrite(fd, part.data() + done, chunk, at);
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0) {
                error = errno;
                return false;
            }
            if (written == 0) {
                error = EIO;
                return false;
            }
            done += written;
            at += written;
        }
        return true;
    });
    return error ? error : whole ? 0 : EIO;
}

} // namespace

// Makes a new name or a rename durable. A directory that cannot be opened for
// reading, or a file system that does not sync directories, leaves nothing to do.
int syncDirectory(const QByteArray &directory) {
    Descriptor dir(::open(directory.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!dir.isOpen())
        return errno == EACCES ? 0 : errno;
    if (::fsync(dir.get()) != 0 && errno != EINVAL)
        return errno;
    return 0;
}

namespace {

// Calls list(buffer, size) as listxattr and getxattr want to be called: first
// for the size, then again if the content grew meanwhile. A file system
// without extended attributes has none.
template <class List> std::optional<QByteArray> attributeBuffer(List list) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = list(nullptr, 0);
        if (size < 0)
            return errno == ENOTSUP ? std::optional<QByteArray>(QByteArray()) : std::nullopt;
        QByteArray buffer(size, Qt::Uninitialized);
        const ssize_t got = list(buffer.data(), size_t(buffer.size()));
        if (got >= 0) {
            buffer.truncate(got);
            return buffer;
        }
        if (errno != ERANGE)
            return std::nullopt;
    }
    return std::nullopt;
}

std::optional<QList<QByteArray>> attributeNames(std::optional<QByteArray> list) {
    if (!list)
        return std::nullopt;
    QList<QByteArray> names = list->split('\0');
    names.removeAll(QByteArray());
    return names;
}

// Gives the new file exactly the extended attributes of the old one.
bool copyAttributes(const QByteArray &from, int to) {
    const auto names = attributeNames(attributeBuffer(
        [&](char *buffer, size_t size) { return ::listxattr(from.constData(), buffer, size); }));
    const auto present = attributeNames(
        attributeBuffer([&](char *buffer, size_t size) { return ::flistxattr(to, buffer, size); }));
    if (!names || !present)
        return false;
    // A default ACL of the directory may have given the new file one of its own.
    for (const QByteArray &name : *present) {
        if (!names->contains(name) && ::fremovexattr(to, name.constData()) != 0)
            return false;
    }
    for (const QByteArray &name : *names) {
        const auto value = attributeBuffer([&](char *buffer, size_t size) {
            return ::getxattr(from.constData(), name.constData(), buffer, size);
        });
        if (!value || ::fsetxattr(to, name.constData(), value->constData(), value->size(), 0) != 0)
            return false;
    }
    return true;
}

// The new file beside a target is named ".NAME.kktview-RANDOM"; the
// target's own name may already be as long as a name can be.
QByteArray besidePrefix(const QByteArray &target) {
    return '.' + target.mid(target.lastIndexOf('/') + 1).left(200) + ".kktview-";
}

bool isBesideName(const QByteArray &name, const QByteArray &prefix) {
    if (!name.startsWith(prefix) || name.size() == prefix.size())
        return false;
    for (const char c : QByteArrayView(name).sliced(prefix.size())) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

// Removes the user's files beside the target that no save holds locked: a
// save killed before its rename left them.
void removeLeftovers(const QByteArray &target) {
    const QByteArray prefix = besidePrefix(target);
    DIR *dir = ::opendir(directoryOf(target).constData());
    if (!dir)
        return;
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (isBesideName(name, prefix))
            names << name;
    }
    for (const QByteArray &name : names) {
        Descriptor file(::openat(::dirfd(dir), name.constData(),
                                 O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        struct stat st {};
        if (!file.isOpen() || ::fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
            st.st_uid != ::geteuid() || ::flock(file.get(), LOCK_EX | LOCK_NB) != 0)
            continue;
        ::unlinkat(::dirfd(dir), name.constData(), 0);
    }
    ::closedir(dir);
}

// Where renaming cannot work and rewriting in place can: another file system
// or a mount point, or a sticky directory that keeps the target.
bool renameCannotWork(int error, const QByteArray &directory) {
    if (error == EXDEV || error == EBUSY)
        return true;
    struct stat dir {};
    return error == EPERM && ::stat(directory.constData(), &dir) == 0 && (dir.st_mode & S_ISVTX);
}

// A new file beside the target under a name nobody uses, locked while it
// lives; removed again unless it took the target's place.
class FileBeside {
public:
    explicit FileBeside(const QByteArray &target) {
        const QByteArray prefix = directoryOf(target) + '/' + besidePrefix(target);
        for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
            path = prefix + QByteArray::number(QRandomGenerator::global()->generate(), 36);
            fd = ::open(path.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd < 0 && errno != EEXIST)
                break;
        }
        made = fd >= 0;
        // The lock belongs to the open file, which a second descriptor keeps
        // open after the first is closed.
        if (made && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
            lock = ::dup(fd);
    }
    ~FileBeside() {
        if (fd >= 0)
            ::close(fd);
        if (made && !renamed)
            ::unlink(path.constData());
        if (lock >= 0)
            ::close(lock);
    }
    FileBeside(const FileBeside &) = delete;
    FileBeside &operator=(const FileBeside &) = delete;

    bool isOpen() const { return fd >= 0; }
    int descriptor() const { return fd; }
    int close() {
        const int result = ::close(fd);
        fd = -1;
        return result == 0 ? 0 : errno;
    }
    int renameTo(const QByteArray &target) {
        renamed = ::rename(path.constData(), target.constData()) == 0;
        return renamed ? 0 : errno;
    }

private:
    QByteArray path;
    int fd = -1;
    int lock = -1;
    bool made = false;
    bool renamed = false;
};

bool hasIdentityOf(int fd, const struct stat &old) {
    struct stat now {};
    return ::fstat(fd, &now) == 0 && now.st_uid == old.st_uid && now.st_gid == old.st_gid &&
           (now.st_mode & 07777) == (old.st_mode & 07777);
}

Replacement replace(const QByteArray &target, const struct stat &old, const Parts &parts) {
    const Replacement notHere;
    FileBeside file(target);
    if (!file.isOpen())
        return notHere;
    if (const int error = writeAll(file.descriptor(), parts))
        return {true, error};
    // Giving a file away needs privilege. Writing clears the set-ID bits and
    // file capabilities of an unprivileged writer, a change of owner clears
    // them too, and an ACL changes the mode: so the bytes come first and the
    // mode last. A set-group-ID bit the kernel silently refuses shows in the
    // check after it.
    if (::fchown(file.descriptor(), old.st_uid, old.st_gid) != 0 ||
        !copyAttributes(target, file.descriptor()) ||
        ::fchmod(file.descriptor(), old.st_mode & 07777) != 0 ||
        !hasIdentityOf(file.descriptor(), old))
        return notHere;
    if (::fsync(file.descriptor()) != 0)
        return {true, errno};
    if (const int error = file.close())
        return {true, error};
    if (const int error = file.renameTo(target))
        return renameCannotWork(error, directoryOf(target)) ? notHere : Replacement{true, error};
    return {true, syncDirectory(directoryOf(target))};
}

Failure rewriteInPlace(const QByteArray &target, const Parts &parts) {
    // Where the file system cannot reserve space, the C library reserves it by
    // reading and writing single bytes, so the file is opened for reading too
    // where the user may read it. O_NONBLOCK: a pipe put in the file's place
    // meanwhile must not hang the save.
    const int flags = O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
    int fd = ::open(target.constData(), O_RDWR | flags);
    if (fd < 0 && errno == EACCES)
        fd = ::open(target.constData(), O_WRONLY | flags);
    Descriptor file(fd);
    if (!file.isOpen())
        return {errno};
    struct stat old {};
    if (::fstat(fd, &old) != 0)
        return {errno};
    if (!S_ISREG(old.st_mode))
        return {notRegularFile};
    // Writing over the file the bytes are read from would read bytes already
    // overwritten.
    FileSource::Identity identity;
    identity.device = quint64(old.st_dev);
    identity.inode = quint64(old.st_ino);
    if (!parts.detachFrom(identity))
        return {EIO};

    const auto size = off_t(sizeOf(parts));
    if (size > 0) {
        if (const int error = ::posix_fallocate(fd, 0, size)) {
            // A reservation that failed halfway may have lengthened the file;
            // the old bytes themselves are untouched. The reservation's reason
            // is the one to tell.
            const bool restored = ::ftruncate(fd, old.st_size) == 0;
            return {error, !restored};
        }
    }
    // From here on the old content is being overwritten.
    if (const int error = writeAll(fd, parts))
        return {error, true};
    if (::ftruncate(fd, size) != 0)
        return {errno, true};
    // Writing clears the set-ID bits unless the writer is privileged; the
    // owner may set them again, anyone else leaves them cleared.
    if (!hasIdentityOf(fd, old) && old.st_uid == ::geteuid())
        ::fchmod(fd, old.st_mode & 07777);
    if (::fsync(fd) != 0)
        return {errno, true};
    return {file.close(), true};
}

// The mode comes from the user's umask and the directory's default ACL, as
// for every new file. A file that cannot be written whole is removed again:
// there was nothing before it to keep.
int createNew(const QByteArray &target, const Parts &parts) {
    Descriptor file(
        ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666));
    if (!file.isOpen())
        return errno;
    int error = writeAll(file.get(), parts);
    if (!error && ::fsync(file.get()) != 0)
        error = errno;
    if (!error)
        error = file.close();
    if (error) {
        ::unlink(target.constData());
        return error;
    }
    return syncDirectory(directoryOf(target));
}

Failure saveFile(QByteArray target, const Parts &parts) {
    if (const int error = followLinks(target))
        return {error};
    removeLeftovers(target);
    struct stat old {};
    if (::stat(target.constData(), &old) != 0)
        return {errno == ENOENT ? createNew(target, parts) : errno};
    if (S_ISDIR(old.st_mode))
        return {EISDIR};
    // Replacing a device or a pipe by a plain file would report success and
    // leave the device alone.
    if (!S_ISREG(old.st_mode))
        return {notRegularFile};
    // A new file in a writable directory could take the place even of a file
    // the user may not write; such a file stays as it is.
    if (::faccessat(AT_FDCWD, target.constData(), W_OK, AT_EACCESS) != 0)
        return {errno};
    if (old.st_nlink == 1) {
        const Replacement replaced = replace(target, old, parts);
        if (replaced.possible)
            return {replaced.error};
    }
    return rewriteInPlace(target, parts);
}

} // namespace

QString save(const QString &path, const Parts &parts) {
    return reason(saveFile(nativename::encode(path), parts));
}

QString save(const QString &path, QByteArrayView bytes) {
    return save(path, Parts{bytes});
}

int writeParts(int fd, const Parts &parts) {
    return writeAll(fd, parts);
}

} // namespace filesave
