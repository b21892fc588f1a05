#pragma once

#include "base/bytetext.h"
#include "document/filesource.h"

#include <QByteArrayView>
#include <limits>
#include <memory>
#include <vector>

// The bytes of a document as a table of pieces. A piece points into storage
// that never changes once written: the original (a buffer of bytes, or a
// file read a page at a time as its bytes are asked for: FileSource) and the
// add blocks, to which every edit appends the bytes it inserts. An edit rearranges pieces only, so
// it costs no copy of the document; the pieces an edit takes out stay valid, so undo keeps pieces
// rather than bytes; and a copy of the table is a snapshot that later edits of the original leave
// as it was.
//
// A piece table and not a gap buffer: a gap buffer would hold a second copy
// of a loaded file (the original buffer cannot have a gap), moving its gap
// across a large document copies megabytes, and undo and snapshots would
// have to copy the bytes they keep.
class PieceTable {
public:
    // Bytes in memory at data, or, where data is null, the bytes of the
    // original file from fileOffset.
    struct Piece {
        const char *data = nullptr;
        qint64 length = 0;
        qint64 fileOffset = 0;
    };
    using Pieces = std::vector<Piece>;

    static constexpr qint64 toEnd = std::numeric_limits<qint64>::max();

    PieceTable();
    // The table of one piece over original; the bytes are not copied.
    explicit PieceTable(ByteText original);
    // The table of one piece over a file's bytes, read when asked for.
    explicit PieceTable(std::shared_ptr<FileSource> original);

    qint64 size() const { return total; }
    bool isEmpty() const { return total == 0; }

    // The byte at offset, 0 <= offset < size().
    unsigned char at(qint64 offset) const;
    // A copy of the bytes in [offset, offset + length), clamped to the table.
    ByteText read(qint64 offset, qint64 length) const;
    // The contiguous bytes from offset to the end of its piece (or of a page
    // of a file read on demand), at most maxLength of them; empty at or past
    // the end. A view of a file's page stays valid while the thread asks for
    // fewer than FileSource::pinnedViews more; use it and let it go.
    QByteArrayView chunkAt(qint64 offset, qint64 maxLength = toEnd) const;
    // Calls f(QByteArrayView) for the contiguous runs of [offset, offset +
    // length) in order, clamped to the table. f may return false to stop.
    template <class F> void forEachChunk(qint64 offset, qint64 length, F &&f) const;

    // The file the original is read from on demand, or null.
    const FileSource *file() const;

    // Replaces the bytes in [offset, offset + length) (clamped) by bytes,
    // which are appended to the add blocks; returns the pieces taken out.
    Pieces replace(qint64 offset, qint64 length, QByteArrayView bytes);
    // The same with pieces of this table's storage, as undo and redo keep them.
    Pieces replace(qint64 offset, qint64 length, const Pieces &pieces);
    // The pieces of [offset, offset + length), clamped.
    Pieces slice(qint64 offset, qint64 length) const;

    qsizetype pieceCount() const { return qsizetype(pieces.size()); }

    static qint64 lengthOf(const Pieces &pieces);

private:
    // b continues a where a ends in the same storage.
    static bool continues(const Piece &a, const Piece &b);

    struct Storage;

    // The index of the piece that holds offset (0 <= offset < size()).
    std::size_t pieceAt(qint64 offset) const;
    // Splits the piece at offset so that a piece starts there; returns its index.
    std::size_t splitAt(qint64 offset);
    void recountFrom(std::size_t index);

    std::shared_ptr<Storage> storage;
    Pieces pieces;
    // ends[i]: the offset just past piece i.
    std::vector<qint64> ends;
    qint64 total = 0;
};

template <class F> void PieceTable::forEachChunk(qint64 offset, qint64 length, F &&f) const {
    if (offset < 0) {
        length += offset;
        offset = 0;
    }
    qint64 end = offset + std::min(length, total - offset);
    while (offset < end) {
        const QByteArrayView chunk = chunkAt(offset, end - offset);
        if constexpr (std::is_same_v<decltype(f(chunk)), bool>) {
            if (!f(chunk))
                return;
        } else {
            f(chunk);
        }
        offset += chunk.size();
    }
}
