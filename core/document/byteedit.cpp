#include "document/byteedit.h"

#include "document/crlf.h"

#include <algorithm>

namespace byteedit {

std::optional<Edit> difference(QByteArrayView before, QByteArrayView after) {
    if (before == after)
        return std::nullopt;
    const qsizetype shorter = std::min(before.size(), after.size());
    qsizetype prefix = 0;
    while (prefix < shorter && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    if (crlf::splits(before, prefix))
        --prefix;
    if (crlf::splits(before, before.size() - suffix))
        --suffix;
    return Edit{prefix, before.size() - suffix - prefix,
                after.sliced(prefix, after.size() - suffix - prefix).toByteArray()};
}

} // namespace byteedit
