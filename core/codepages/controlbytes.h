#pragma once

#include <array>
#include <string_view>

// Everything the program says about the control bytes 0..31, in one table:
// the control-name view, the pane codec's stand-ins and the code table window
// all read it. Texts are UTF-8.
namespace controlbytes {

struct ControlByte {
    std::string_view abbreviation; // lower case, as the code table lists it
    std::string_view viewName;     // the control-name view's short name
    std::string_view fullName;     // the code table's Russian name
    char16_t screenGlyph;          // what a PC text screen shows; 0 for none
    char16_t standIn;              // the character an edit pane shows for it
    std::string_view key;          // the Ctrl combination, "^" for Ctrl
};

// The stand-in is the screen glyph, except where none exists (0) or the glyph
// is itself a code page 1251 character (7 bullet, 20 pilcrow, 21 section
// sign): a look-alike that code page 1251 lacks keeps every character's byte
// unambiguous. In the view's names only "нуль" starts with a small letter,
// and the two tab names keep the space after their first stop.
inline constexpr std::array<ControlByte, 32> table = {{
    {"nul", "нуль", "Нуль", 0, u'\u25CC', "^@"},
    {"soh", "Начало заголовка", "Начало заголовка", u'\u263A', u'\u263A', "^A"},
    {"stx", "Начало текста", "Начало текста", u'\u263B', u'\u263B', "^B"},
    {"etx", "Конец текста", "Конец текста", u'\u2665', u'\u2665', "^C"},
    {"eot", "Конец передачи", "Конец передачи", u'\u2666', u'\u2666', "^D"},
    {"enq", "Запрос", "Запрос", u'\u2663', u'\u2663', "^E"},
    {"ack", "Подтверждение", "Подтверждение", u'\u2660', u'\u2660', "^F"},
    {"bel", "Сигнал", "Сигнал (звонок)", u'\u2022', u'\u2219', "^G"},
    {"bs", "Забой", "Забой (шаг назад)", u'\u25D8', u'\u25D8', "^H"},
    {"ht", "Г. таб.", "Горизонтальная табуляция", u'\u25CB', u'\u25CB', "^I"},
    {"lf", "Перевод строки", "Перевод строки", u'\u25D9', u'\u25D9', "^J"},
    {"vt", "В. таб.", "Вертикальная табуляция", u'\u2642', u'\u2642', "^K"},
    {"ff", "Новая страница", "Новая страница", u'\u2640', u'\u2640', "^L"},
    {"cr", "Возврат каретки", "Возврат каретки", u'\u266A', u'\u266A', "^M"},
    {"so", "Выкл. сдвиг", "Выключить сдвиг", u'\u266B', u'\u266B', "^N"},
    {"si", "Вкл. сдвиг", "Включить сдвиг", u'\u263C', u'\u263C', "^O"},
    {"dle", "Ключ связи данных", "Ключ связи данных", u'\u25BA', u'\u25BA', "^P"},
    {"dc1", "Управление устройством 1", "Управление устройством 1", u'\u25C4', u'\u25C4', "^Q"},
    {"dc2", "Управление устройством 2", "Управление устройством 2", u'\u2195', u'\u2195', "^R"},
    {"dc3", "Управление устройством 3", "Управление устройством 3", u'\u203C', u'\u203C', "^S"},
    {"dc4", "Управление устройством 4", "Управление устройством 4", u'\u00B6', u'\u204B', "^T"},
    {"nak", "Отрицательное подтверждение", "Отрицательное подтверждение", u'\u00A7', u'\u2761',
     "^U"},
    {"syn", "Синхронизация", "Синхронизация", u'\u25AC', u'\u25AC', "^V"},
    {"etb", "Конец передаваемого блока", "Конец передаваемого блока", u'\u21A8', u'\u21A8', "^W"},
    {"can", "Отказ", "Отказ", u'\u2191', u'\u2191', "^X"},
    {"em", "Конец среды", "Конец среды", u'\u2193', u'\u2193', "^Y"},
    {"sub", "Замена", "Замена", u'\u2192', u'\u2192', "^Z"},
    {"esc", "Ключ", "Ключ", u'\u2190', u'\u2190', "^["},
    {"fs", "Разделитель файлов", "Разделитель файлов", u'\u221F', u'\u221F', "^\\"},
    {"gs", "Разделитель группы", "Разделитель группы", u'\u2194', u'\u2194', "^]"},
    {"rs", "Разделитель записей", "Разделитель записей", u'\u25B2', u'\u25B2', "^^"},
    {"us", "Разделитель модулей", "Разделитель модулей", u'\u25BC', u'\u25BC', "^_"},
}};

// The two other bytes that an edit pane cannot show as themselves: delete
// (127) takes its PC screen glyph, and 152, which code page 1251 leaves
// undefined, the glyph a PC screen shows for it.
inline constexpr char16_t deleteStandIn = u'\u2302';
inline constexpr char16_t undefinedStandIn = u'\u00FF';

} // namespace controlbytes
