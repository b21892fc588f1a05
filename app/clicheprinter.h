#pragma once

#include "bytetext.h"
#include "registermodels.h"

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

// One line "file:line:column: message" per finding, in UTF-8. Returns the
// number of findings, or -1 when the output could not be written.
qsizetype printFindings(const QString &file, QByteArrayView bytes,
                        const cliche::RegisterModel &model, QIODevice &out);

} // namespace clicheprinter
