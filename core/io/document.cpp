#include "io/document.h"

#include "base/sizebounds.h"
#include "document/filesource.h"
#include "document/piecetable.h"
#include "io/filesave.h"
#include "io/largebytes.h"
#include "io/nativename.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include "io/systemerror.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include "io/windowspaths.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#endif

namespace document {
namespace {

LoadResult failed(const QString &reason) {
    LoadResult result;
    result.status = LoadResult::Status::Failed;
    result.error = reason;
    return result;
}

LoadResult tooLarge(qint64 size) {
    LoadResult result;
    result.status = LoadResult::Status::TooLarge;
    result.size = size;
    return result;
}

#ifdef Q_OS_UNIX
QString notAFile(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("Это папка, а не файл.");
    if (S_ISCHR(mode))
        return QStringLiteral("Это устройство (терминал, порт), а не обычный файл.");
    if (S_ISBLK(mode))
        return QStringLiteral("Это блочное устройство (диск), а не обычный файл.");
    if (S_ISFIFO(mode))
        return QStringLiteral("Это именованный канал, а не обычный файл.");
    if (S_ISSOCK(mode))
        return QStringLiteral("Это сокет, а не обычный файл.");
    return QStringLiteral("Это не обычный файл.");
}

// Opens only a regular file. Reading a terminal, a serial port or a pipe
// waits for input that may never come, and merely opening a serial port may
// signal the device, so anything else is refused before it is opened.
std::optional<QString> openRegularFile(const QString &path, QFile &file) {
    const QByteArray native = nativename::encode(path);
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return systemErrorText(errno);
    if (!S_ISREG(st.st_mode))
        return notAFile(st.st_mode);
    // Should the name become a pipe meanwhile, O_NONBLOCK keeps the open from
    // waiting and the second look refuses it.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return systemErrorText(errno);
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return systemErrorText(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return notAFile(st.st_mode);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return std::nullopt;
}

#elif defined(Q_OS_WIN)
// Devices (CON, COM1, a physical drive) and pipes are refused by their name
// before they are opened, as opening one may wait or signal the device; what
// a name still leads to is looked at once it is open.
std::optional<QString> openRegularFile(const QString &path, QFile &file) {
    if (const QString device = windowspaths::deviceNameReason(path); !device.isEmpty())
        return device;
    const std::wstring name = windowspaths::longPath(path);
    HANDLE handle = CreateFileW(name.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return windowspaths::errorText(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info)) {
        CloseHandle(handle);
        return QStringLiteral("Это устройство или канал, а не обычный файл.");
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        CloseHandle(handle);
        return QStringLiteral("Это папка, а не файл.");
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return windowspaths::errorText(ERROR_TOO_MANY_OPEN_FILES);
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        _close(fd);
        return file.errorString();
    }
    return std::nullopt;
}
#endif

} // namespace

std::optional<QString> openForReading(const QString &path, QFile &file) {
    file.close();
    return openRegularFile(path, file);
}

LoadResult load(const QString &path, qint64 maxBytes) {
    return load(path, maxBytes, sizebounds::readWholeBelow);
}

QString changedOnDiskMessage(const QString &path) {
    return QStringLiteral("Файл «%1» изменён другой программой; показаны байты, прочитанные до "
                          "изменения.")
        .arg(nativename::displayed(path));
}

LoadResult load(const QString &path, qint64 maxBytes, qint64 readWholeAt) {
    auto kept = std::make_unique<QFile>();
    QFile &file = *kept;
    if (const auto refused = openForReading(path, file))
        return failed(*refused);

    const qint64 size = file.size();
    if (size > maxBytes)
        return tooLarge(size);
    if (size >= readWholeAt && size > 0) {
        LoadResult result;
        result.status = LoadResult::Status::Loaded;
        result.file = std::make_shared<FileSource>(std::move(kept), path);
        result.size = result.file->size();
        return result;
    }

    ByteText bytes = uninitializedLargeBytes(size);
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
            return tooLarge(bytes.size() + n);
        bytes.append(more, n);
    }

    LoadResult result;
    result.status = bytes.isEmpty() ? LoadResult::Status::Empty : LoadResult::Status::Loaded;
    result.size = bytes.size();
    if (!bytes.isEmpty())
        result.bytes = std::move(bytes);
    return result;
}

SaveResult save(const QString &path, const std::vector<QByteArrayView> &parts) {
    const QString error = filesave::save(path, parts);
    return SaveResult{error.isEmpty(), error};
}

SaveResult save(const QString &path, QByteArrayView bytes) {
    return save(path, std::vector<QByteArrayView>{bytes});
}

SaveResult save(const QString &path, const PieceTable &bytes) {
    const FileSource *file = bytes.file();
    // A change since the last look shows before anything is written.
    if (file)
        file->verify();
    const quint64 substitutedBefore = file ? file->substitutedPages() : 0;
    const bool overItself = file && file->isFileAt(path);
    const QString error = filesave::save(path, filesave::Parts(bytes));
    if (error.isEmpty() && overItself)
        file->savedOver();
    if (!error.isEmpty() && file &&
        (file->changed() || file->substitutedPages() != substitutedBefore))
        return SaveResult{false, QStringLiteral("Файл «%1» изменён другой программой, и байтов, не "
                                                "прочитанных до изменения, в нём уже нет; файл "
                                                "не сохранён.")
                                     .arg(nativename::displayed(file->path()))};
    return SaveResult{error.isEmpty(), error};
}

} // namespace document
