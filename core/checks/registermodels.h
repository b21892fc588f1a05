#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <optional>

namespace cliche {

// The two groups of registers: the code page their cliche listing is for.
enum class Group { Cp1251, Cp866 };

struct RegisterModel {
    QString name; // as the Help writes it
    Group group = Group::Cp1251;
    int width = 0;     // characters of a printed line; 0 when not known
    int lineLimit = 0; // lines the register takes; 0 for no limit
    bool capitalsOnly = false;

    bool hasWidth() const { return width > 0; }
};

// The models the Help names, in its order: the 1251 group, then the 866
// group.
const QList<RegisterModel> &registerModels();

// The model of that name, exactly as the Help writes it, if it names one.
std::optional<RegisterModel> findRegisterModel(QStringView name);

// "Другая модель": any register, described by the user.
inline constexpr int minOtherWidth = 8;
inline constexpr int maxOtherWidth = 80;
inline constexpr int maxOtherLineLimit = 99;
QString otherModelName();
// Width clamped to minOtherWidth..maxOtherWidth, the line limit to
// 0..maxOtherLineLimit (0: no limit).
RegisterModel otherModel(Group group, int width, int lineLimit);

} // namespace cliche
