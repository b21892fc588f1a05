#pragma once

#include <QString>

#include <array>
#include <string_view>

// The Help message: which register models take cliche text in code page
// 1251 and which in code page 866, and the size rule. The register model
// table is read from these lines, so the two never disagree.
namespace helptext {

// Word for word, spaces inside and at the end included.
inline constexpr std::array<std::string_view, 15> lines = {
    "Кодировка Win1251 годится для ККМ:",
    "АМС100Мк  18 знаков",
    "АМС-миниК 18 знаков",
    "АМС-100К  18 знаков",
    "АМС 100Фв17 18 знаков",
    "АМС 200Ф ",
    "Астра200Ф 24 знака",
    "ШТРИХ-МИНИ-К 24 знака",
    "МЕРКУРИЙ К 24 знака",
    "WAB 04RK (6 строк) 24  знака",
    " ",
    "Кодировка DOS866 годится для ККМ:",
    "МЕРКУРИЙ Ф 24 знака(большие русские буквы)",
    "ЛАДОГА Ф/К 17 знаков",
    "Текст клише не должен превышать 10К!",
};

// The lines of each group's section that name one model each.
inline constexpr int first1251Model = 1;
inline constexpr int last1251Model = 9;
inline constexpr int first866Model = 12;
inline constexpr int last866Model = 13;

// The message, its lines joined by "\n", nothing after the last one.
QString message();

} // namespace helptext
