#include "io/recoveryfiles.h"

#include "io/filesave.h"
#include "io/windowspaths.h"

#include <QDir>

#include <windows.h>

namespace recoveryfiles {
namespace {

HANDLE native(Handle file) {
    return reinterpret_cast<HANDLE>(file);
}

Handle wrapped(HANDLE file) {
    return file == INVALID_HANDLE_VALUE ? noHandle : reinterpret_cast<Handle>(file);
}

std::wstring pathOf(const QString &directory, const QByteArray &name = {}) {
    return windowspaths::longPath(name.isEmpty() ? directory
                                                 : directory + u'/' + QString::fromUtf8(name));
}

// Every open of a copy lets the others read, write, rename and delete it: a
// held copy must stay replaceable and removable by the program that holds it.
constexpr DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// The lock is on one byte far past any copy's end, so it keeps no one from
// reading the bytes (Windows' locks are mandatory) and means only "held".
bool lockWithoutWaiting(HANDLE file, Lock lock) {
    OVERLAPPED at{};
    at.Offset = 0xFFFFFFF0u;
    at.OffsetHigh = 0x7FFFFFFFu;
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY;
    if (lock == Lock::Exclusive)
        flags |= LOCKFILE_EXCLUSIVE_LOCK;
    return LockFileEx(file, flags, 0, 1, 0, &at);
}

struct Identity {
    DWORD volume = 0;
    DWORD high = 0;
    DWORD low = 0;
    bool operator==(const Identity &other) const {
        return volume == other.volume && high == other.high && low == other.low;
    }
};

bool isPlainFile(HANDLE file, Identity *identity = nullptr) {
    BY_HANDLE_FILE_INFORMATION info{};
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info))
        return false;
    if (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    if (identity)
        *identity = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

HANDLE openEntry(const std::wstring &path, DWORD access) {
    return CreateFileW(path.c_str(), access, shareAll, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
}

} // namespace

void close(Handle file) {
    if (file != noHandle)
        CloseHandle(native(file));
}

qint64 processId() {
    return qint64(GetCurrentProcessId());
}

QString makePrivateDirectory(const QString &directory) {
    // %LOCALAPPDATA% is the user's alone, and what is made in it inherits
    // that; a portable program's folder is what the user chose.
    if (!QDir().mkpath(directory))
        return windowspaths::errorText(GetLastError() ? GetLastError() : ERROR_PATH_NOT_FOUND);
    const DWORD attributes = GetFileAttributesW(pathOf(directory).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return windowspaths::errorText(GetLastError());
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return windowspaths::errorText(ERROR_DIRECTORY);
    return {};
}

QList<QByteArray> entries(const QString &directory) {
    QList<QByteArray> names;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = pathOf(directory) + L"\\*";
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        names << QString::fromWCharArray(found.cFileName).toUtf8();
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

Opened openLocked(const QString &directory, const QByteArray &name, Lock lock) {
    const std::wstring path = pathOf(directory, name);
    HANDLE file = openEntry(path, GENERIC_READ);
    Identity opened;
    if (file == INVALID_HANDLE_VALUE)
        return {};
    if (!isPlainFile(file, &opened)) {
        CloseHandle(file);
        return {};
    }
    if (!lockWithoutWaiting(file, lock))
        return {Outcome::Held, wrapped(file)};
    HANDLE again = openEntry(path, 0);
    Identity named;
    const bool same =
        again != INVALID_HANDLE_VALUE && isPlainFile(again, &named) && named == opened;
    if (again != INVALID_HANDLE_VALUE)
        CloseHandle(again);
    // Replaced meanwhile by the program that holds it.
    return {same ? Outcome::Locked : Outcome::Held, wrapped(file)};
}

bool removeEntry(const QString &directory, const QByteArray &name) {
    return DeleteFileW(pathOf(directory, name).c_str());
}

qint64 sizeOf(Handle file) {
    LARGE_INTEGER size{};
    if (!isPlainFile(native(file)) || !GetFileSizeEx(native(file), &size))
        return -1;
    return size.QuadPart;
}

qint64 readAt(Handle file, qint64 offset, char *data, qint64 length) {
    OVERLAPPED at{};
    at.Offset = DWORD(quint64(offset) & 0xFFFFFFFFu);
    at.OffsetHigh = DWORD(quint64(offset) >> 32);
    DWORD got = 0;
    const DWORD chunk = DWORD(std::min<qint64>(length, 1 << 30));
    if (!ReadFile(native(file), data, chunk, &got, &at))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
    return got;
}

Handle createLocked(const QString &directory, const QByteArray &name, QString *error,
                    bool *exists) {
    *exists = false;
    HANDLE file = CreateFileW(pathOf(directory, name).c_str(), GENERIC_READ | GENERIC_WRITE,
                              shareAll, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        *exists = code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS;
        *error = windowspaths::errorText(code);
        return noHandle;
    }
    if (!lockWithoutWaiting(file, Lock::Exclusive)) {
        // Someone opened and locked it between its making and ours.
        CloseHandle(file);
        *exists = true;
        return noHandle;
    }
    return wrapped(file);
}

QString writeAndFlush(Handle file, const filesave::Parts &parts) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(native(file), start, nullptr, FILE_BEGIN))
        return windowspaths::errorText(GetLastError());
    if (const DWORD error = filesave::writeParts(native(file), parts))
        return windowspaths::errorText(error);
    if (!SetEndOfFile(native(file)) || !FlushFileBuffers(native(file)))
        return windowspaths::errorText(GetLastError());
    return {};
}

QString renameOver(const QString &directory, const QByteArray &newName, const QByteArray &name,
                   Handle &previous) {
    close(previous);
    previous = noHandle;
    if (!MoveFileExW(pathOf(directory, newName).c_str(), pathOf(directory, name).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return windowspaths::errorText(GetLastError());
    return {};
}

} // namespace recoveryfiles
