#include "codetablecontent.h"

#include "codepages/codepages.h"

namespace codetable {

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
