#include "document/piecetable.h"

#include <algorithm>
#include <cstring>

namespace {

// Typed bytes fill a block of this size before the next one is made; a
// larger insertion gets a block of its own size.
constexpr qint64 blockSize = 64 * 1024;

} // namespace

// Shared by a table and its copies. Nothing written here is ever changed or
// freed while a table holds a piece of it.
struct PieceTable::Storage {
    ByteText original;
    std::shared_ptr<FileSource> file;
    std::vector<std::unique_ptr<char[]>> blocks;
    // The free end of the newest block.
    char *fill = nullptr;
    qint64 room = 0;

    const char *append(QByteArrayView bytes) {
        if (bytes.size() > room) {
            const qint64 capacity = std::max(blockSize, qint64(bytes.size()));
            blocks.push_back(std::make_unique<char[]>(std::size_t(capacity)));
            fill = blocks.back().get();
            room = capacity;
        }
        char *at = fill;
        std::memcpy(at, bytes.data(), std::size_t(bytes.size()));
        fill += bytes.size();
        room -= bytes.size();
        return at;
    }
};

PieceTable::PieceTable() : storage(std::make_shared<Storage>()) {}

PieceTable::PieceTable(ByteText original) : PieceTable() {
    storage->original = std::move(original);
    if (!storage->original.isEmpty()) {
        pieces.push_back({storage->original.constData(), storage->original.size()});
        recountFrom(0);
    }
}

PieceTable::PieceTable(std::shared_ptr<FileSource> original) : PieceTable() {
    storage->file = std::move(original);
    if (storage->file && storage->file->size() > 0) {
        pieces.push_back({nullptr, storage->file->size(), 0});
        recountFrom(0);
    }
}

const FileSource *PieceTable::file() const {
    return storage->file.get();
}

bool PieceTable::continues(const Piece &a, const Piece &b) {
    if (!a.data || !b.data)
        return !a.data && !b.data && a.fileOffset + a.length == b.fileOffset;
    return a.data + a.length == b.data;
}

qint64 PieceTable::lengthOf(const Pieces &list) {
    qint64 length = 0;
    for (const Piece &piece : list)
        length += piece.length;
    return length;
}

std::size_t PieceTable::pieceAt(qint64 offset) const {
    return std::size_t(std::upper_bound(ends.begin(), ends.end(), offset) - ends.begin());
}

unsigned char PieceTable::at(qint64 offset) const {
    const std::size_t i = pieceAt(offset);
    const Piece &piece = pieces[i];
    const qint64 inPiece = offset - (ends[i] - piece.length);
    if (!piece.data)
        return storage->file->at(piece.fileOffset + inPiece);
    return static_cast<unsigned char>(piece.data[inPiece]);
}

QByteArrayView PieceTable::chunkAt(qint64 offset, qint64 maxLength) const {
    if (offset < 0 || offset >= total || maxLength <= 0)
        return {};
    const std::size_t i = pieceAt(offset);
    const Piece &piece = pieces[i];
    const qint64 inPiece = offset - (ends[i] - piece.length);
    const qint64 length = std::min(piece.length - inPiece, maxLength);
    if (!piece.data)
        return storage->file->view(piece.fileOffset + inPiece, length);
    return QByteArrayView(piece.data + inPiece, length);
}

ByteText PieceTable::read(qint64 offset, qint64 length) const {
    offset = std::clamp<qint64>(offset, 0, total);
    length = std::clamp<qint64>(length, 0, total - offset);
    ByteText out(length, Qt::Uninitialized);
    char *to = out.data();
    forEachChunk(offset, length, [&](QByteArrayView chunk) {
        std::memcpy(to, chunk.data(), std::size_t(chunk.size()));
        to += chunk.size();
    });
    return out;
}

PieceTable::Pieces PieceTable::slice(qint64 offset, qint64 length) const {
    Pieces list;
    if (offset < 0) {
        length += offset;
        offset = 0;
    }
    const qint64 end = offset + std::min(length, total - offset);
    while (offset < end) {
        const std::size_t i = pieceAt(offset);
        const Piece &piece = pieces[i];
        const qint64 inPiece = offset - (ends[i] - piece.length);
        const qint64 n = std::min(piece.length - inPiece, end - offset);
        list.push_back(
            {piece.data ? piece.data + inPiece : nullptr, n, piece.fileOffset + inPiece});
        offset += n;
    }
    return list;
}

std::size_t PieceTable::splitAt(qint64 offset) {
    if (offset >= total)
        return pieces.size();
    const std::size_t i = pieceAt(offset);
    const Piece piece = pieces[i];
    const qint64 start = ends[i] - piece.length;
    if (start == offset)
        return i;
    const qint64 head = offset - start;
    pieces[i].length = head;
    pieces.insert(
        pieces.begin() + std::ptrdiff_t(i) + 1,
        {piece.data ? piece.data + head : nullptr, piece.length - head, piece.fileOffset + head});
    ends.insert(ends.begin() + std::ptrdiff_t(i), offset);
    return i + 1;
}

void PieceTable::recountFrom(std::size_t index) {
    ends.resize(pieces.size());
    qint64 end = index > 0 ? ends[index - 1] : 0;
    for (std::size_t i = index; i < pieces.size(); ++i) {
        end += pieces[i].length;
        ends[i] = end;
    }
    total = pieces.empty() ? 0 : ends.back();
}

PieceTable::Pieces PieceTable::replace(qint64 offset, qint64 length, QByteArrayView bytes) {
    offset = std::clamp<qint64>(offset, 0, total);
    length = std::clamp<qint64>(length, 0, total - offset);
    // Typing: bytes inserted right after the bytes inserted last continue
    // their piece, so a long session of typing keeps the table short.
    if (length == 0 && offset > 0 && !bytes.isEmpty() && bytes.size() <= storage->room) {
        const std::size_t i = pieceAt(offset - 1);
        Piece &piece = pieces[i];
        if (ends[i] == offset && piece.data && piece.data + piece.length == storage->fill) {
            storage->append(bytes);
            piece.length += bytes.size();
            recountFrom(i);
            return {};
        }
    }
    Pieces added;
    if (!bytes.isEmpty())
        added.push_back({storage->append(bytes), bytes.size()});
    return replace(offset, length, added);
}

PieceTable::Pieces PieceTable::replace(qint64 offset, qint64 length, const Pieces &added) {
    offset = std::clamp<qint64>(offset, 0, total);
    length = std::clamp<qint64>(length, 0, total - offset);
    const std::size_t first = splitAt(offset);
    const std::size_t last = splitAt(offset + length);
    Pieces removed(pieces.begin() + std::ptrdiff_t(first), pieces.begin() + std::ptrdiff_t(last));
    pieces.erase(pieces.begin() + std::ptrdiff_t(first), pieces.begin() + std::ptrdiff_t(last));
    Pieces inserted;
    inserted.reserve(added.size());
    for (const Piece &piece : added) {
        if (piece.length == 0)
            continue;
        // Runs that continue each other in storage become one piece again.
        if (!inserted.empty() && continues(inserted.back(), piece))
            inserted.back().length += piece.length;
        else
            inserted.push_back(piece);
    }
    pieces.insert(pieces.begin() + std::ptrdiff_t(first), inserted.begin(), inserted.end());
    std::size_t from = first;
    // Joins at both seams, where undo puts back what a split cut apart.
    const std::size_t seamAfter = first + inserted.size();
    if (seamAfter > 0 && seamAfter < pieces.size() &&
        continues(pieces[seamAfter - 1], pieces[seamAfter])) {
        pieces[seamAfter - 1].length += pieces[seamAfter].length;
        pieces.erase(pieces.begin() + std::ptrdiff_t(seamAfter));
        from = std::min(from, seamAfter - 1);
    }
    if (first > 0 && first < pieces.size() && continues(pieces[first - 1], pieces[first])) {
        pieces[first - 1].length += pieces[first].length;
        pieces.erase(pieces.begin() + std::ptrdiff_t(first));
        from = first - 1;
    }
    recountFrom(from);
    return removed;
}
