#include "codetablecontent.h"

#include "codepages.h"

namespace codetable {

const std::array<ControlCode, 32> &controlCodes() {
    static const std::array<ControlCode, 32> rows = {{
        {0, "nul", "Нуль", 0, "^@"},
        {1, "soh", "Начало заголовка", u'\u263A', "^A"},
        {2, "stx", "Начало текста", u'\u263B', "^B"},
        {3, "etx", "Конец текста", u'\u2665', "^C"},
        {4, "eot", "Конец передачи", u'\u2666', "^D"},
        {5, "enq", "Запрос", u'\u2663', "^E"},
        {6, "ack", "Подтверждение", u'\u2660', "^F"},
        {7, "bel", "Сигнал (звонок)", u'\u2022', "^G"},
        {8, "bs", "Забой (шаг назад)", u'\u25D8', "^H"},
        {9, "ht", "Горизонтальная табуляция", u'\u25CB', "^I"},
        {10, "lf", "Перевод строки", u'\u25D9', "^J"},
        {11, "vt", "Вертикальная табуляция", u'\u2642', "^K"},
        {12, "ff", "Новая страница", u'\u2640', "^L"},
        {13, "cr", "Возврат каретки", u'\u266A', "^M"},
        {14, "so", "Выключить сдвиг", u'\u266B', "^N"},
        {15, "si", "Включить сдвиг", u'\u263C', "^O"},
        {16, "dle", "Ключ связи данных", u'\u25BA', "^P"},
        {17, "dc1", "Управление устройством 1", u'\u25C4', "^Q"},
        {18, "dc2", "Управление устройством 2", u'\u2195', "^R"},
        {19, "dc3", "Управление устройством 3", u'\u203C', "^S"},
        {20, "dc4", "Управление устройством 4", u'\u00B6', "^T"},
        {21, "nak", "Отрицательное подтверждение", u'\u00A7', "^U"},
        {22, "syn", "Синхронизация", u'\u25AC', "^V"},
        {23, "etb", "Конец передаваемого блока", u'\u21A8', "^W"},
        {24, "can", "Отказ", u'\u2191', "^X"},
        {25, "em", "Конец среды", u'\u2193', "^Y"},
        {26, "sub", "Замена", u'\u2192', "^Z"},
        {27, "esc", "Ключ", u'\u2190', "^["},
        {28, "fs", "Разделитель файлов", u'\u221F', "^\\"},
        {29, "gs", "Разделитель группы", u'\u2194', "^]"},
        {30, "rs", "Разделитель записей", u'\u25B2', "^^"},
        {31, "us", "Разделитель модулей", u'\u25BC', "^_"},
    }};
    return rows;
}

SectionRange codeRange(Section section) {
    switch (section) {
    case Section::Control:
        return {0, 31};
    case Section::Ascii:
        return {32, 127};
    case Section::Cp866:
    case Section::Cp1251:
        break;
    }
    return {128, 255};
}

QList<TitleRun> sectionTitle(Section section) {
    switch (section) {
    case Section::Control:
        return {{QStringLiteral("1 - 31 (команды,значения, вид, клавиши)"), false}};
    case Section::Ascii:
        return {{QStringLiteral("32 - 127 (числа и английский)"), false}};
    case Section::Cp866:
        return {{QStringLiteral("(128 - 255) (Кодовая таблица 866 - MS-DOS)"), false}};
    case Section::Cp1251:
        break;
    }
    return {{QStringLiteral("("), false},
            {QStringLiteral("128 - 255"), true},
            {QStringLiteral(") (Кодовая таблица 1251 - MS Windows)"), false}};
}

static char16_t codePoint(Section section, int code) {
    switch (section) {
    case Section::Cp866:
        return codepages::cp866[code];
    case Section::Cp1251:
        return codepages::cp1251[code];
    case Section::Control:
    case Section::Ascii:
        break;
    }
    // Below 128 every code page of the table agrees with ASCII.
    return char16_t(code);
}

QString shownCharacter(Section section, int code) {
    const QChar ch(codePoint(section, code));
    if (ch == QChar::SoftHyphen)
        return QStringLiteral("-");
    // Code point 0 marks a byte that the code page leaves undefined.
    if (ch.isNull() || ch.isSpace() || ch.category() == QChar::Other_Control)
        return {};
    return QString(ch);
}

bool isBoxDrawing(QChar ch) {
    return ch.unicode() >= 0x2500 && ch.unicode() <= 0x259F;
}

QString sourceLine() {
    return QStringLiteral("kktview: справочник кодов 0 - 255");
}

QString heading() {
    return QStringLiteral("Таблицы кодов ASCII");
}

QStringList codeNoteLines() {
    return {
        QStringLiteral("Код ASCII ставит в соответствие каждому символу"),
        QStringLiteral("число от 0 до 127: управляющим командам,"),
        QStringLiteral("цифрам, знакам препинания и латинским буквам."),
        QStringLiteral("Для записи такого числа хватает 7 бит."),
        QStringLiteral("В байте 8 бит; восьмой бит удваивает"),
        QStringLiteral("таблицу, и коды от 128 до 255 отданы"),
        QStringLiteral("национальным алфавитам (у нас - русским"),
        QStringLiteral("буквам) и символам псевдографики, которыми"),
        QStringLiteral("рисуют рамки и таблицы на экране."),
        QStringLiteral("Эта верхняя половина своя у каждой кодовой"),
        QStringLiteral("таблицы: в MS-DOS это 866, в MS Windows - 1251."),
        QStringLiteral("Кассовый аппарат печатает чек в одной"),
        QStringLiteral("из этих двух таблиц, смотря по модели."),
    };
}

QString keyNoteLeadWord() {
    return QStringLiteral("Примечание.");
}

QStringList keyNoteLines() {
    return {
        QStringLiteral("Примечание. В таблице 1 - 31 (команды,значения, вид, клавиши) обозначение"),
        QStringLiteral(" ^ соответствует нажатию клавиши <Ctrl>, вместе с которой нажимается "),
        QStringLiteral("соответствующая «буквенная» клавиша, формируя код символа."),
    };
}

} // namespace codetable
