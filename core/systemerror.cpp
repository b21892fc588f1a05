#include "io/systemerror.h"

#include <cerrno>

// Not every C library has every value (Windows' lacks EDQUOT and ESTALE).

QString systemErrorText(int errnoValue) {
    switch (errnoValue) {
    case ENOENT:
        return QStringLiteral("Нет такого файла или каталога");
    case EACCES:
        return QStringLiteral("Отказано в доступе");
    case EPERM:
        return QStringLiteral("Операция не позволена");
    case ENOSPC:
        return QStringLiteral("Нет места на устройстве");
#ifdef EDQUOT
    case EDQUOT:
        return QStringLiteral("Превышена дисковая квота");
#endif
    case EROFS:
        return QStringLiteral("Файловая система доступна только для чтения");
    case EISDIR:
        return QStringLiteral("Это каталог");
    case ENOTDIR:
        return QStringLiteral("Часть пути — не каталог");
    case ELOOP:
        return QStringLiteral("Слишком много уровней символических ссылок");
    case ENAMETOOLONG:
        return QStringLiteral("Слишком длинное имя файла");
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода");
    case EBUSY:
        return QStringLiteral("Устройство или ресурс заняты");
    case ETXTBSY:
        return QStringLiteral("Файл занят: это запущенная программа");
    case EEXIST:
        return QStringLiteral("Файл уже существует");
    case EFBIG:
        return QStringLiteral("Файл слишком большой");
    case EMFILE:
        return QStringLiteral("Слишком много открытых файлов");
    case ENFILE:
        return QStringLiteral("Слишком много открытых файлов в системе");
    case ENOMEM:
        return QStringLiteral("Недостаточно памяти");
    case ENXIO:
        return QStringLiteral("Нет такого устройства или адреса");
    case ENODEV:
        return QStringLiteral("Нет такого устройства");
    case EOVERFLOW:
        return QStringLiteral("Файл слишком велик для этой системы");
    case EAGAIN:
        return QStringLiteral("Ресурс временно недоступен");
    case EINVAL:
        return QStringLiteral("Недопустимый аргумент");
    case EXDEV:
        return QStringLiteral("Файлы на разных файловых системах");
#ifdef ESTALE
    case ESTALE:
        return QStringLiteral("Файл на сетевом диске больше не доступен");
#endif
    default:
        return qt_error_string(errnoValue);
    }
}
