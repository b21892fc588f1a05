#pragma once

#include <QtGlobal>

// The largest file the open command takes. The input pane keeps long runs in
// short blocks, so a keystroke costs the same whatever the file's paragraphs;
// a file of this size opens in about half a second and takes about 5 times
// its size in memory (256 MiB would open in about 2 s and take 1.3 GB).
inline constexpr qint64 maxDocumentBytes = 64 * 1024 * 1024;

// The largest document the cliche listings take. The output pane keeps the
// bytes, not the listing's four to five characters a byte; one of 16 MiB
// shows in about 0.1 s.
inline constexpr qint64 maxListingBytes = 16 * 1024 * 1024;
