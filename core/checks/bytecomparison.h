#pragma once

#include "base/bytetext.h"
#include "document/piecetable.h"

#include <optional>
#include <vector>

// The document compared with another file's bytes, byte by byte at the same
// offsets, over the length of the shorter of the two. Which bytes differ is
// kept as one bit per byte: a pane asks for each byte it paints at the cost
// of a bit test, and the memory stays an eighth of the compared length
// however the differences fall (a list of runs could hold one run for every
// other byte). Both are read where they lie, never copied: the other file
// is kept open and read on demand where it is large (so opening a
// comparison costs no copy of it), and an edit is compared again at once.
class ByteComparison {
public:
    ByteComparison() = default;
    ByteComparison(const PieceTable &document, ByteText other);
    ByteComparison(const PieceTable &document, PieceTable other);

    // Follows an edit of the document, as ByteDocument::changed() tells it:
    // [offset, offset + removed) became [offset, offset + added) of document.
    // An edit that keeps the length compares its own bytes again; one that
    // moves the bytes after it compares them all again.
    void documentChanged(const PieceTable &document, qint64 offset, qint64 removed, qint64 added);

    qint64 documentSize() const { return documentLength; }
    qint64 otherSize() const { return other.size(); }
    qint64 comparedLength() const { return std::min(documentLength, qint64(other.size())); }
    const PieceTable &otherBytes() const { return other; }

    // Differing bytes within the compared length; the longer one's rest is not counted.
    qint64 differingCount() const { return count; }
    // The same length and the same bytes.
    bool isEqual() const { return count == 0 && documentLength == other.size(); }

    // Whether the byte at offset differs; false past the compared length.
    bool differs(qint64 offset) const {
        return offset >= 0 && offset < comparedLength() &&
               ((bits[std::size_t(offset / 64)] >> (offset % 64)) & 1) != 0;
    }
    // The first differing byte at or after from, or the last one before before.
    std::optional<qint64> nextDifference(qint64 from) const;
    std::optional<qint64> previousDifference(qint64 before) const;
    // The bounds of a run of differing bytes, for stepping from one run to
    // the next: the first byte at or after from that does not differ (at
    // most the compared length), and the start of the run that ends at to
    // (to itself when the byte before it does not differ).
    qint64 runEnd(qint64 from) const;
    qint64 runStart(qint64 to) const;

private:
    // Clears the bits of [from, to), taking them off the count.
    void clear(qint64 from, qint64 to);
    // Sets the bits of the differing bytes in [from, to), whose bits are clear.
    void mark(const PieceTable &document, qint64 from, qint64 to);
    void markRun(qint64 offset, const char *mine, const char *theirs, qint64 length);

    PieceTable other;
    qint64 documentLength = 0;
    // Bit offset % 64 of word offset / 64: the byte at offset differs. No bit
    // at or past the compared length is set.
    std::vector<quint64> bits;
    qint64 count = 0;
};
