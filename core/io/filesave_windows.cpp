#include "io/filesave.h"

#include "io/windowspaths.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>

#include <windows.h>

#include <string>

namespace filesave {
namespace {

class Handle {
public:
    explicit Handle(HANDLE h) : h(h) {}
    ~Handle() { close(); }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool isOpen() const { return h != INVALID_HANDLE_VALUE; }
    void reset(HANDLE other) {
        close();
        h = other;
    }
    HANDLE get() const { return h; }
    void close() {
        if (isOpen())
            CloseHandle(h);
        h = INVALID_HANDLE_VALUE;
    }

private:
    HANDLE h;
};

// A name for the new file beside the target, hidden, that no file has.
std::wstring besideName(const std::wstring &target) {
    const std::size_t slash = target.rfind(L'\\');
    const std::wstring directory = target.substr(0, slash + 1);
    const std::wstring name = target.substr(slash + 1);
    return directory + L"." + name + L".kktview-" +
           QString::number(QRandomGenerator::global()->generate(), 36).toStdWString();
}

bool isHeldElsewhere(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_USER_MAPPED_FILE || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

// Replacing takes the right to delete the old name; a program that holds
// the file without sharing that right is found before anything is written.
bool canBeReplaced(const std::wstring &target) {
    Handle probe(CreateFileW(target.c_str(), DELETE,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return probe.isOpen() || !isHeldElsewhere(GetLastError());
}

QString heldElsewhere() {
    return QStringLiteral("Файл открыт в другой программе, и заменить его нельзя. "
                          "Закройте его там и сохраните ещё раз; файл остался прежним.");
}

} // namespace

QString save(const QString &path, const Parts &parts) {
    if (const QString device = windowspaths::deviceNameReason(path); !device.isEmpty())
        return device;
    const std::wstring target = windowspaths::longPath(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return windowspaths::errorText(ERROR_DIRECTORY);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY))
        return windowspaths::errorText(ERROR_ACCESS_DENIED);
    if (exists && !canBeReplaced(target))
        return heldElsewhere();

    // The new file is written whole and flushed before it takes the name, so
    // the name holds either the old bytes or all of the new ones.
    std::wstring newFile;
    Handle file(INVALID_HANDLE_VALUE);
    for (int attempt = 0; attempt < 8 && !file.isOpen(); ++attempt) {
        newFile = besideName(target);
        file.reset(CreateFileW(newFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_HIDDEN, nullptr));
        if (!file.isOpen() && GetLastError() != ERROR_FILE_EXISTS)
            return windowspaths::errorText(GetLastError());
    }
    if (!file.isOpen())
        return windowspaths::errorText(ERROR_FILE_EXISTS);
    DWORD error = writeParts(file.get(), parts);
    if (!error && !FlushFileBuffers(file.get()))
        error = GetLastError();
    file.close();
    if (error) {
        DeleteFileW(newFile.c_str());
        return windowspaths::errorText(error);
    }

    bool replaced = false;
    if (exists) {
        // Keeps the old file's attributes, security and streams.
        replaced = ReplaceFileW(target.c_str(), newFile.c_str(), nullptr,
                                REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr);
        if (!replaced) {
            error = GetLastError();
            if (isHeldElsewhere(error)) {
                DeleteFileW(newFile.c_str());
                return heldElsewhere();
            }
        }
    }
    if (!replaced) {
        if (!MoveFileExW(newFile.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            error = GetLastError();
            DeleteFileW(newFile.c_str());
            return isHeldElsewhere(error) || (exists && error == ERROR_ACCESS_DENIED)
                       ? heldElsewhere()
                       : windowspaths::errorText(error);
        }
    }
    // ReplaceFileW keeps the old file's attributes, the hidden one among
    // them only if the old file had it; the new name must not inherit ours.
    const DWORD now = GetFileAttributesW(target.c_str());
    if (now != INVALID_FILE_ATTRIBUTES && (now & FILE_ATTRIBUTE_HIDDEN) &&
        !(exists && (attributes & FILE_ATTRIBUTE_HIDDEN)))
        SetFileAttributesW(target.c_str(), now & ~DWORD(FILE_ATTRIBUTE_HIDDEN));
    return {};
}

unsigned long writeParts(void *handle, const Parts &parts) {
    DWORD error = ERROR_SUCCESS;
    const bool whole = parts.forEach([&](QByteArrayView part) {
        const char *data = part.data();
        qint64 left = part.size();
        while (left > 0) {
            DWORD written = 0;
            const DWORD chunk = DWORD(std::min<qint64>(left, 1 << 30));
            if (!WriteFile(handle, data, chunk, &written, nullptr)) {
                error = GetLastError();
                return false;
            }
            if (written == 0) {
                error = ERROR_WRITE_FAULT;
                return false;
            }
            data += written;
            left -= written;
        }
        return true;
    });
    return error != ERROR_SUCCESS ? error : whole ? ERROR_SUCCESS : ERROR_READ_FAULT;
}

QString save(const QString &path, QByteArrayView bytes) {
    return save(path, Parts{bytes});
}

} // namespace filesave
