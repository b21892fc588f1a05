#include "views.h"

#include "tokenwriter.h"

#include <string_view>

namespace views {
namespace {

using cp1251text::TokenTable;

// Indexed by the control byte. The texts are exact: only "нуль" starts with a
// small letter, and the two tab names keep the space after the first stop.
constexpr std::string_view controlNameTexts[32] = {
    "нуль",
    "Начало заголовка",
    "Начало текста",
    "Конец текста",
    "Конец передачи",
    "Запрос",
    "Подтверждение",
    "Сигнал",
    "Забой",
    "Г. таб.",
    "Перевод строки",
    "В. таб.",
    "Новая страница",
    "Возврат каретки",
    "Выкл. сдвиг",
    "Вкл. сдвиг",
    "Ключ связи данных",
    "Управление устройством 1",
    "Управление устройством 2",
    "Управление устройством 3",
    "Управление устройством 4",
    "Отрицательное подтверждение",
    "Синхронизация",
    "Конец передаваемого блока",
    "Отказ",
    "Конец среды",
    "Замена",
    "Ключ",
    "Разделитель файлов",
    "Разделитель группы",
    "Разделитель записей",
    "Разделитель модулей",
};

// The longest name, "Отрицательное подтверждение", is 27 bytes.
constexpr std::size_t slot = 32;

constexpr TokenTable<slot> makeNameTable() {
    TokenTable<slot> table;
    for (int b = 0; b < 256; ++b)
        table[b] = cp1251text::token<slot>(b < 32 ? controlNameTexts[b] : ".");
    return table;
}

constexpr TokenTable<slot> nameTable = makeNameTable();

} // namespace

ByteText controlNames(QByteArrayView bytes) {
    return writeTokens(nameTable, bytes);
}

} // namespace views
