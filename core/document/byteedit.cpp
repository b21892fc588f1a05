#include "document/byteedit.h"

#include <algorithm>

namespace byteedit {
namespace {

bool splitsPair(QByteArrayView text, qsizetype at) {
    return at > 0 && at < text.size() && text[at - 1] == '\r' && text[at] == '\n';
}

} // namespace

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
    if (splitsPair(before, prefix))
        --prefix;
    if (splitsPair(before, before.size() - suffix))
        --suffix;
    return Edit{prefix, before.size() - suffix - prefix,
                after.sliced(prefix, after.size() - suffix - prefix).toByteArray()};
}

} // namespace byteedit
