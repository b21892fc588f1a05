#include "io/windowspaths.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

namespace windowspaths {
namespace {

bool isReservedDeviceName(QString component) {
    // "CON.txt" and "NUL " are the device too.
    component = component.section(u'.', 0, 0).trimmed().toUpper();
    static const QStringList plain = {QStringLiteral("CON"),    QStringLiteral("PRN"),
                                      QStringLiteral("AUX"),    QStringLiteral("NUL"),
                                      QStringLiteral("CONIN$"), QStringLiteral("CONOUT$")};
    if (plain.contains(component))
        return true;
    if (component.size() == 4 && (component.startsWith(u"COM") || component.startsWith(u"LPT"))) {
        const QChar digit = component.at(3);
        // COM¹, COM², COM³ are reserved as well.
        return (digit >= u'1' && digit <= u'9') || digit == QChar(0xB9) || digit == QChar(0xB2) ||
               digit == QChar(0xB3);
    }
    return false;
}

} // namespace

std::wstring longPath(const QString &path) {
    QString native = QDir::toNativeSeparators(path);
    if (native.startsWith(u"\\\\?\\") || native.startsWith(u"\\\\.\\"))
        return native.toStdWString();
    native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(u"\\\\"))
        native = QStringLiteral("\\\\?\\UNC\\") + native.mid(2);
    else
        native = QStringLiteral("\\\\?\\") + native;
    return native.toStdWString();
}

QString deviceNameReason(const QString &path) {
    const QString native = QDir::toNativeSeparators(path);
    const bool inDeviceNamespace =
        native.startsWith(u"\\\\.\\") ||
        (native.startsWith(u"\\\\?\\") &&
         !native.startsWith(u"\\\\?\\UNC\\", Qt::CaseInsensitive) &&
         !(native.size() >= 6 && native.at(4).isLetter() && native.at(5) == u':'));
    if (inDeviceNamespace)
        return QStringLiteral("Это устройство или канал, а не обычный файл.");
    for (const QString &component : native.split(u'\\', Qt::SkipEmptyParts)) {
        if (isReservedDeviceName(component.section(u':', -1)))
            return QStringLiteral("Это имя устройства Windows, а не обычный файл.");
    }
    return {};
}

QString errorText(unsigned long code) {
    switch (code) {
    case ERROR_FILE_NOT_FOUND:
        return QStringLiteral("Файл не найден.");
    case ERROR_PATH_NOT_FOUND:
        return QStringLiteral("Папка не найдена.");
    case ERROR_ACCESS_DENIED:
        return QStringLiteral("Доступ запрещён.");
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return QStringLiteral("Файл открыт в другой программе.");
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return QStringLiteral("На диске нет места.");
    case ERROR_WRITE_PROTECT:
        return QStringLiteral("Диск защищён от записи.");
    case ERROR_NOT_READY:
        return QStringLiteral("Устройство не готово.");
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
        return QStringLiteral("Недопустимое имя файла.");
    case ERROR_FILENAME_EXCED_RANGE:
        return QStringLiteral("Слишком длинное имя файла.");
    case ERROR_DIRECTORY:
        return QStringLiteral("Это папка, а не файл.");
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return QStringLiteral("Файл уже существует.");
    case ERROR_DEV_NOT_EXIST:
    case ERROR_BAD_NETPATH:
    case ERROR_NETNAME_DELETED:
        return QStringLiteral("Устройство или сетевой ресурс недоступен.");
    default:
        break;
    }
    wchar_t *text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, DWORD(code), 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, int(length)).trimmed()
                            : QStringLiteral("Ошибка Windows %1.").arg(code);
    LocalFree(text);
    return reason;
}

} // namespace windowspaths
