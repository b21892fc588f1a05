#pragma once

#include "base/bytetext.h"

#include <optional>

// The smallest replacement that turns one text into another, so a command
// that rewrites the document replaces only what changes.
namespace byteedit {

struct Edit {
    qsizetype offset = 0; // in before
    qsizetype length = 0; // bytes of before replaced
    ByteText bytes;       // what replaces them
};

// How many bytes two texts share at their start and, after that, at their
// end: what lies between is all that differs.
struct SharedEnds {
    qsizetype head = 0;
    qsizetype tail = 0;
};
SharedEnds sharedEnds(QByteArrayView before, QByteArrayView after);

// Nothing when the texts are equal. The edit never starts or ends between
// the CR and the LF of a pair, which an edit pane holds as one line break.
std::optional<Edit> difference(QByteArrayView before, QByteArrayView after);

} // namespace byteedit
