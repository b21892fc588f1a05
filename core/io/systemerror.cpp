#include "io/systemerror.h"

#include <cerrno>

namespace {

// Not every C library has every value (Windows' lacks EDQUOT and ESTALE).
constexpr CodeText<int> texts[] = {
    {ENOENT, "Нет такого файла или каталога"},
    {EACCES, "Отказано в доступе"},
    {EPERM, "Операция не позволена"},
    {ENOSPC, "Нет места на устройстве"},
#ifdef EDQUOT
    {EDQUOT, "Превышена дисковая квота"},
#endif
    {EROFS, "Файловая система доступна только для чтения"},
    {EISDIR, "Это каталог"},
    {ENOTDIR, "Часть пути — не каталог"},
    {ELOOP, "Слишком много уровней символических ссылок"},
    {ENAMETOOLONG, "Слишком длинное имя файла"},
    {EIO, "Ошибка ввода-вывода"},
    {EBUSY, "Устройство или ресурс заняты"},
    {ETXTBSY, "Файл занят: это запущенная программа"},
    {EEXIST, "Файл уже существует"},
    {EFBIG, "Файл слишком большой"},
    {EMFILE, "Слишком много открытых файлов"},
    {ENFILE, "Слишком много открытых файлов в системе"},
    {ENOMEM, "Недостаточно памяти"},
    {ENXIO, "Нет такого устройства или адреса"},
    {ENODEV, "Нет такого устройства"},
    {EOVERFLOW, "Файл слишком велик для этой системы"},
    {EAGAIN, "Ресурс временно недоступен"},
    {EINVAL, "Недопустимый аргумент"},
    {EXDEV, "Файлы на разных файловых системах"},
#ifdef ESTALE
    {ESTALE, "Файл на сетевом диске больше не доступен"},
#endif
};

} // namespace

QString systemErrorText(int errnoValue) {
    const QString text = textOfCode(texts, errnoValue);
    return text.isEmpty() ? qt_error_string(errnoValue) : text;
}
