#pragma once

#include <QString>
#include <QtGlobal>

// Russian words after a number take one of three forms: "1 знак", "3 знака",
// "11 знаков", "21 знак". The rule in one place, for every count the program
// says.
namespace russiancount {

enum class Form { One, Few, Many };

constexpr Form formOf(qint64 n) {
    const qint64 lastTwo = n % 100;
    const qint64 last = n % 10;
    if (lastTwo >= 11 && lastTwo <= 14)
        return Form::Many;
    if (last == 1)
        return Form::One;
    return last >= 2 && last <= 4 ? Form::Few : Form::Many;
}

// The number and the form of the word that goes with it; the forms are
// UTF-8 literals: countOf(3, "знак", "знака", "знаков") is "3 знака".
inline QString countOf(qint64 n, const char *one, const char *few, const char *many) {
    const Form form = formOf(n);
    return QString::number(n) + u' ' +
           QString::fromUtf8(form == Form::One   ? one
                             : form == Form::Few ? few
                                                 : many);
}

} // namespace russiancount
