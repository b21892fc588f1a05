#include "checks/helptext.h"

namespace helptext {

QString message() {
    QString out;
    for (const std::string_view line : lines) {
        if (!out.isEmpty())
            out += u'\n';
        out += QString::fromUtf8(line.data(), qsizetype(line.size()));
    }
    return out;
}

} // namespace helptext
