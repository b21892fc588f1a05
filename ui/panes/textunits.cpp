#include "textunits.h"

#include "codepages/cp1251codec.h"

#include <QChar>
#include <array>
#include <cstring>

namespace textunits {
namespace {

enum class Kind : unsigned char { Word, Space, Sign, Break };

const std::array<Kind, 256> &kinds() {
    static const std::array<Kind, 256> table = [] {
        std::array<Kind, 256> t{};
        for (int b = 0; b < 256; ++b) {
            const QChar ch = cp1251::toChar(static_cast<unsigned char>(b));
            t[b] = ch.isLetterOrNumber() || ch == u'_' ? Kind::Word
                   : b == ' ' || b == 0xA0             ? Kind::Space
                                                       : Kind::Sign;
        }
        return t;
    }();
    return table;
}

// The kind of the character that starts at offset.
Kind kindAt(const PieceTable &bytes, qint64 offset) {
    return pairAt(bytes, offset) ? Kind::Break : kinds()[bytes.at(offset)];
}

// The kind of the character that ends at offset.
Kind kindBefore(const PieceTable &bytes, qint64 offset) {
    return kindAt(bytes, previousCharacter(bytes, offset));
}

} // namespace

bool pairAt(const PieceTable &bytes, qint64 offset) {
    return offset >= 0 && offset + 1 < bytes.size() && bytes.at(offset) == '\r' &&
           bytes.at(offset + 1) == '\n';
}

qint64 snapDown(const PieceTable &bytes, qint64 offset) {
    return pairAt(bytes, offset - 1) ? offset - 1 : offset;
}

qint64 snapUp(const PieceTable &bytes, qint64 offset) {
    return pairAt(bytes, offset - 1) ? offset + 1 : offset;
}

qint64 nextCharacter(const PieceTable &bytes, qint64 offset) {
    if (offset >= bytes.size())
        return bytes.size();
    return offset + (pairAt(bytes, offset) ? 2 : 1);
}

qint64 previousCharacter(const PieceTable &bytes, qint64 offset) {
    if (offset <= 0)
        return 0;
    return offset - (pairAt(bytes, offset - 2) ? 2 : 1);
}

qint64 nextWord(const PieceTable &bytes, qint64 offset) {
    const qint64 n = bytes.size();
    const qint64 limit = std::min(n, offset + wordScanLimit);
    if (offset >= n)
        return n;
    const Kind kind = kindAt(bytes, offset);
    if (kind == Kind::Break)
        return offset + 2;
    qint64 at = offset;
    if (kind != Kind::Space) {
        while (at < limit && kindAt(bytes, at) == kind)
            ++at;
    }
    while (at < limit && kindAt(bytes, at) == Kind::Space)
        ++at;
    return at;
}

qint64 previousWord(const PieceTable &bytes, qint64 offset) {
    const qint64 limit = std::max<qint64>(0, offset - wordScanLimit);
    qint64 at = offset;
    while (at > limit && kindBefore(bytes, at) == Kind::Space)
        at = previousCharacter(bytes, at);
    if (at <= 0)
        return 0;
    const Kind kind = kindBefore(bytes, at);
    if (kind == Kind::Break)
        return at - 2;
    while (at > limit && kindBefore(bytes, at) == kind)
        --at;
    return at;
}

Range wordAt(const PieceTable &bytes, qint64 offset) {
    const qint64 n = bytes.size();
    if (n == 0)
        return {0, 0};
    offset = snapDown(bytes, std::clamp<qint64>(offset, 0, n - 1));
    const Kind kind = kindAt(bytes, offset);
    if (kind == Kind::Break)
        return {offset, offset + 2};
    qint64 start = offset;
    while (start > std::max<qint64>(0, offset - wordScanLimit) && !pairAt(bytes, start - 2) &&
           kinds()[bytes.at(start - 1)] == kind && !pairAt(bytes, start - 1))
        --start;
    qint64 end = offset;
    while (end < std::min(n, offset + wordScanLimit) && !pairAt(bytes, end) &&
           kinds()[bytes.at(end)] == kind)
        ++end;
    return {start, end};
}

namespace {

// The offset just past the last CR LF that ends at or before offset, or 0.
qint64 lineStart(const PieceTable &bytes, qint64 offset) {
    qint64 at = offset;
    while (at > 0) {
        // Back a chunk at a time, looking for LF after CR.
        const qint64 from = std::max<qint64>(0, at - 65536);
        const ByteText piece = bytes.read(from, at - from);
        for (qint64 i = piece.size() - 1; i >= 0; --i) {
            if (piece[i] == '\n' && from + i >= 1 && bytes.at(from + i - 1) == '\r')
                return from + i + 1;
        }
        at = from;
    }
    return 0;
}

} // namespace

qint64 lineEnd(const PieceTable &bytes, qint64 offset) {
    const qint64 n = bytes.size();
    qint64 found = n;
    qint64 at = offset;
    bytes.forEachChunk(offset, n - offset, [&](QByteArrayView chunk) {
        const char *data = chunk.data();
        const char *end = data + chunk.size();
        for (const char *p = data; p < end;) {
            const auto *cr = static_cast<const char *>(std::memchr(p, '\r', std::size_t(end - p)));
            if (!cr)
                break;
            const qint64 crAt = at + (cr - data);
            if (pairAt(bytes, crAt)) {
                found = crAt;
                return false;
            }
            p = cr + 1;
        }
        at += chunk.size();
        return true;
    });
    return found;
}

Range lineAt(const PieceTable &bytes, qint64 offset) {
    offset = snapDown(bytes, std::clamp<qint64>(offset, 0, bytes.size()));
    const qint64 end = lineEnd(bytes, offset);
    return {lineStart(bytes, offset), end < bytes.size() ? end + 2 : end};
}

} // namespace textunits
