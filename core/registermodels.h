#pragma once

#include "bytetext.h"

#include <QList>
#include <optional>

namespace cliche {

// The two groups of registers: the code page their cliche listing is for.
enum class Group { Cp1251, Cp866 };

struct RegisterModel {
    ByteText name; // code page 1251, as the Help writes it
    Group group = Group::Cp1251;
    int width = 0;     // characters of a printed line; 0 when not known
    int lineLimit = 0; // lines the register takes; 0 for no limit
    bool capitalsOnly = false;

    bool hasWidth() const { return width > 0; }
};

// The models the Help names, in its order: the 1251 group, then the 866
// group.
const QList<RegisterModel> &registerModels();

// The model of that name (code page 1251 bytes), if the Help names one.
std::optional<RegisterModel> findRegisterModel(QByteArrayView name);

// "Другая модель": any register, described by the user.
inline constexpr int minOtherWidth = 8;
inline constexpr int maxOtherWidth = 80;
inline constexpr int maxOtherLineLimit = 99;
ByteText otherModelName();
// Width clamped to minOtherWidth..maxOtherWidth, the line limit to
// 0..maxOtherLineLimit (0: no limit).
RegisterModel otherModel(Group group, int width, int lineLimit);

} // namespace cliche
