#pragma once

#include "base/bytetext.h"
#include "document/piecetable.h"

#include <QByteArrayView>
#include <utility>

// The bytes of a document as they were when it was taken, for a thread to
// read while the document goes on being edited on its own. Only reads: the
// pieces point to storage that is never written again nor freed while a
// snapshot holds it (a file read on demand is read through its own locked
// cache), so any number of threads may read one snapshot at once, and
// nothing can change it under them.
//
// Taking one copies the table's pieces, not its bytes; a table converts to
// one implicitly, as handing a table to a thread has always meant exactly that.
class ByteSnapshot {
public:
    ByteSnapshot() = default;
    ByteSnapshot(PieceTable table) : table(std::move(table)) {}

    qint64 size() const { return table.size(); }
    bool isEmpty() const { return table.isEmpty(); }
    // A copy of the bytes in [offset, offset + length), clamped.
    ByteText read(qint64 offset, qint64 length) const { return table.read(offset, length); }
    // Calls f(QByteArrayView) for the contiguous runs of [offset, offset +
    // length) in order, clamped; f may return false to stop.
    template <class F> void forEachChunk(qint64 offset, qint64 length, F &&f) const {
        table.forEachChunk(offset, length, std::forward<F>(f));
    }

    // The pieces themselves, read-only, for a save to stream them.
    const PieceTable &pieces() const { return table; }

private:
    PieceTable table;
};
