#pragma once

#include <QtGlobal>

// The largest file the open command takes. A file of this size without a
// single line break is one paragraph of the input pane: it takes about 4 s to
// show, 4 s a keystroke and 0.7 GB; twice the size takes twice of each.
// Files with line breaks of this size open in well under a second.
inline constexpr qint64 maxDocumentBytes = 16 * 1024 * 1024;
