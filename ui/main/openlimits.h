#pragma once

#include <QtGlobal>

// The largest file the open command takes. The input pane draws from the
// document, which holds the file's buffer as read, and lays out its rows in
// one pass: a file of this size opens in a few seconds and takes about its
// own size in memory.
inline constexpr qint64 maxDocumentBytes = qint64(1024) * 1024 * 1024;

// The largest document the cliche listings take. The output pane keeps the
// bytes, not the listing's four to five characters a byte; one of 16 MiB
// shows in about 0.1 s.
inline constexpr qint64 maxListingBytes = 16 * 1024 * 1024;
