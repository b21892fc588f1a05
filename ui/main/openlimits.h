#pragma once

#include <QtGlobal>

// The largest file the open command takes. Bigger files are refused: the
// input pane would need minutes and gigabytes to show them.
inline constexpr qint64 maxDocumentBytes = 32 * 1024 * 1024;
