#include "regularfile.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

std::optional<QString> openRegularFile(const QString &path, QFile &file) {
#ifdef Q_OS_UNIX
    const QByteArray native = QFile::encodeName(path);
    const QString notAFile = QStringLiteral("это не обычный файл");
    struct stat st {};
    if (::stat(native.constData(), &st) != 0)
        return qt_error_string(errno);
    if (!S_ISREG(st.st_mode))
        return notAFile;
    // Should the name become a pipe meanwhile, O_NONBLOCK keeps the open
    // from waiting and the second look refuses it.
    const int fd = ::open(native.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return qt_error_string(errno);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return notAFile;
    }
    if (!file.open(fd, QIODevice::ReadOnly | QIODevice::Unbuffered, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return file.errorString();
    }
    return std::nullopt;
#else
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return file.errorString();
    return std::nullopt;
#endif
}
