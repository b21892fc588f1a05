#pragma once

#include "checks/registermodels.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>

class QIODevice;

// The cliche check for scripts: the register models by name, and the
// findings of a file in the form compilers use, so editors can jump to them.
namespace clicheprinter {

// The models' names as the Help writes them, in its order.
QStringList modelNames();

// A model by its name (letter case aside), or another register given as
// GROUP:WIDTH or GROUP:WIDTH:LINES ("866:32", "1251:24:6").
std::optional<cliche::RegisterModel> modelNamed(QStringView name);

struct Result {
    enum class Status { Checked, ReadFailed, WriteFailed };
    Status status = Status::Checked;
    qint64 findings = 0;
    QString error; // the system's reason unless Checked
};

// Checks everything `in` holds, read a piece at a time in constant memory,
// and writes one line "file:line:column: message" per finding in UTF-8, as
// soon as the finding is whole (cliche::CheckStream gives the order). `file`
// is the name as the lines show it.
Result printFindings(const QString &file, QIODevice &in, const cliche::RegisterModel &model,
                     QIODevice &out);

} // namespace clicheprinter
