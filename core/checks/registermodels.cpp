#include "checks/registermodels.h"

#include "checks/helptext.h"

#include <string_view>

namespace cliche {
namespace {

constexpr std::string_view signWord = "знак"; // "18 знаков", "24 знака"
constexpr std::string_view capitalsNote = "большие русские буквы";

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int numberAt(std::string_view text, std::size_t from) {
    int value = 0;
    while (from < text.size() && isDigit(text[from]))
        value = value * 10 + (text[from++] - '0');
    return value;
}

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

// A model line of the Help reads "NAME [(N строк)] WIDTH знак...[(большие
// русские буквы)]"; a line without a width is the name alone.
RegisterModel fromHelpLine(std::string_view line, Group group) {
    RegisterModel model;
    model.group = group;
    std::size_t nameEnd = line.size();
    if (const std::size_t sign = line.find(signWord); sign != std::string_view::npos) {
        std::size_t end = sign;
        while (end > 0 && line[end - 1] == ' ')
            --end;
        std::size_t start = end;
        while (start > 0 && isDigit(line[start - 1]))
            --start;
        model.width = numberAt(line, start);
        nameEnd = start;
    }
    if (const std::size_t paren = line.find(" ("); paren < nameEnd) {
        model.lineLimit = numberAt(line, paren + 2);
        nameEnd = paren;
    }
    const std::string_view name = trimmed(line.substr(0, nameEnd));
    model.name = QString::fromUtf8(name.data(), qsizetype(name.size()));
    model.capitalsOnly = line.find(capitalsNote) != std::string_view::npos;
    return model;
}

} // namespace

const QList<RegisterModel> &registerModels() {
    static const QList<RegisterModel> models = [] {
        QList<RegisterModel> list;
        for (int i = helptext::first1251Model; i <= helptext::last1251Model; ++i)
            list << fromHelpLine(helptext::lines[i], Group::Cp1251);
        for (int i = helptext::first866Model; i <= helptext::last866Model; ++i)
            list << fromHelpLine(helptext::lines[i], Group::Cp866);
        return list;
    }();
    return models;
}

std::optional<RegisterModel> findRegisterModel(QStringView name) {
    for (const RegisterModel &model : registerModels()) {
        if (model.name == name)
            return model;
    }
    return std::nullopt;
}

QString otherModelName() {
    return QStringLiteral("Другая модель");
}

RegisterModel otherModel(Group group, int width, int lineLimit) {
    RegisterModel model;
    model.name = otherModelName();
    model.group = group;
    model.width = qBound(minOtherWidth, width, maxOtherWidth);
    model.lineLimit = qBound(0, lineLimit, maxOtherLineLimit);
    return model;
}

} // namespace cliche
