#pragma once

#include "recovery/recoverystore.h"

#include <QDateTime>
#include <QString>

#include <vector>

// Recovery copies as the window names them.
namespace recoverytext {

// When a copy was written, by the user's clock: "14:05" today,
// "12.03.2025 14:05" on another day.
QString when(const QDateTime &written, const QDateTime &now);

// "Несохранённый документ от 14:05, 65 537 байт"; a document from a file
// adds its name: "Несохранённый документ «kkm.bin» от 14:05, 12 байт".
QString copy(const recovery::CopyInfo &copy, const QDateTime &now);

// The notice at the foot of the input pane at start: the newest copy, how
// many more there are, and where to restore them. Damaged copies are not
// offered, nor copies of edits to a file changed since. Empty without
// copies to restore.
QString notice(const std::vector<recovery::CopyInfo> &copies, const QDateTime &now);

// The notice after a copy was restored: "Восстановлен несохранённый
// документ от 14:05, 65 537 байт. Сохраните его: «Файл» → «Сохранить»."
QString restored(const recovery::CopyInfo &copy, const QDateTime &now);

// The file a copy came from, in full, for the list of copies.
QString origin(const recovery::CopyInfo &copy);

} // namespace recoverytext
