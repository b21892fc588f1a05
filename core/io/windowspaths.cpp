#include "io/windowspaths.h"
#include "io/systemerror.h"

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

namespace {

// The codes a user meets most, in the program's words; the rest in the
// system's own.
constexpr CodeText<unsigned long> codeTexts[] = {
    {ERROR_FILE_NOT_FOUND, "Файл не найден."},
    {ERROR_PATH_NOT_FOUND, "Папка не найдена."},
    {ERROR_ACCESS_DENIED, "Доступ запрещён."},
    {ERROR_SHARING_VIOLATION, "Файл открыт в другой программе."},
    {ERROR_LOCK_VIOLATION, "Файл открыт в другой программе."},
    {ERROR_USER_MAPPED_FILE, "Файл открыт в другой программе."},
    {ERROR_DISK_FULL, "На диске нет места."},
    {ERROR_HANDLE_DISK_FULL, "На диске нет места."},
    {ERROR_WRITE_PROTECT, "Диск защищён от записи."},
    {ERROR_NOT_READY, "Устройство не готово."},
    {ERROR_INVALID_NAME, "Недопустимое имя файла."},
    {ERROR_BAD_PATHNAME, "Недопустимое имя файла."},
    {ERROR_FILENAME_EXCED_RANGE, "Слишком длинное имя файла."},
    {ERROR_DIRECTORY, "Это папка, а не файл."},
    {ERROR_FILE_EXISTS, "Файл уже существует."},
    {ERROR_ALREADY_EXISTS, "Файл уже существует."},
    {ERROR_DEV_NOT_EXIST, "Устройство или сетевой ресурс недоступен."},
    {ERROR_BAD_NETPATH, "Устройство или сетевой ресурс недоступен."},
    {ERROR_NETNAME_DELETED, "Устройство или сетевой ресурс недоступен."},
};

} // namespace

QString errorText(unsigned long code) {
    if (QString known = textOfCode(codeTexts, code); !known.isEmpty())
        return known;
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
