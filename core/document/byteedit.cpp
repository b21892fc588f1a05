#include "document/byteedit.h"

#include "document/crlf.h"

#include <algorithm>

namespace byteedit {

SharedEnds sharedEnds(QByteArrayView before, QByteArrayView after) {
    const qsizetype shorter = std::min(before.size(), after.size());
    const qsizetype head =
        std::mismatch(before.begin(), before.begin() + shorter, after.begin()).first -
        before.begin();
    const qsizetype tail =
        std::mismatch(before.rbegin(), before.rbegin() + (shorter - head), after.rbegin()).first -
        before.rbegin();
    return {head, tail};
}

std::optional<Edit> difference(QByteArrayView before, QByteArrayView after) {
    if (before == after)
        return std::nullopt;
    auto [prefix, suffix] = sharedEnds(before, after);
    if (crlf::splits(before, prefix))
        --prefix;
    if (crlf::splits(before, before.size() - suffix))
        --suffix;
    return Edit{prefix, before.size() - suffix - prefix,
                after.sliced(prefix, after.size() - suffix - prefix).toByteArray()};
}

} // namespace byteedit
