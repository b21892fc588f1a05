#include "checks/bytecomparison.h"

#include "document/piecetable.h"

#include <QtAlgorithms>
#include <QtEndian>

#include <algorithm>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

std::size_t wordsFor(qint64 length) {
    return std::size_t((length + 63) / 64);
}

// Bit i set where mine[i] != theirs[i], for 64 bytes.
quint64 differingBytes64(const char *mine, const char *theirs) {
    quint64 mask = 0;
#ifdef __SSE2__
    for (int k = 0; k < 4; ++k) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(mine + 16 * k));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(theirs + 16 * k));
        const auto same = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(a, b)));
        mask |= quint64(~same & 0xFFFF) << (16 * k);
    }
#else
    // A byte of x is non-zero where its high bit ends up set; the multiply
    // gathers those eight bits into the top byte.
    constexpr quint64 low7 = 0x7F7F7F7F7F7F7F7F;
    for (int k = 0; k < 8; ++k) {
        const quint64 x =
            qFromLittleEndian<quint64>(mine + 8 * k) ^ qFromLittleEndian<quint64>(theirs + 8 * k);
        const quint64 high = (((x & low7) + low7) | x) & ~low7;
        mask |= ((high >> 7) * 0x0102040810204080 >> 56) << (8 * k);
    }
#endif
    return mask;
}

} // namespace

ByteComparison::ByteComparison(const PieceTable &document, ByteText otherBytes)
    : ByteComparison(document, PieceTable(std::move(otherBytes))) {}

ByteComparison::ByteComparison(const PieceTable &document, PieceTable otherBytes)
    : other(std::move(otherBytes)), documentLength(document.size()) {
    bits.assign(wordsFor(comparedLength()), 0);
    mark(document, 0, comparedLength());
}

void ByteComparison::documentChanged(const PieceTable &document, qint64 offset, qint64 removed,
                                     qint64 added) {
    const qint64 oldLength = comparedLength();
    documentLength = document.size();
    const qint64 newLength = comparedLength();
    if (removed == added) {
        const qint64 from = std::clamp<qint64>(offset, 0, newLength);
        const qint64 to = std::clamp<qint64>(offset + added, from, newLength);
        clear(from, to);
        mark(document, from, to);
        return;
    }
    const qint64 from = std::clamp<qint64>(offset, 0, std::min(oldLength, newLength));
    clear(from, oldLength);
    bits.resize(wordsFor(newLength), 0);
    mark(document, from, newLength);
}

std::optional<qint64> ByteComparison::nextDifference(qint64 from) const {
    from = std::max<qint64>(from, 0);
    if (from >= comparedLength())
        return std::nullopt;
    std::size_t word = std::size_t(from / 64);
    quint64 bitsLeft = bits[word] & (~quint64(0) << (from % 64));
    for (;;) {
        if (bitsLeft)
            return qint64(word) * 64 + qCountTrailingZeroBits(bitsLeft);
        if (++word == bits.size())
            return std::nullopt;
        bitsLeft = bits[word];
    }
}

std::optional<qint64> ByteComparison::previousDifference(qint64 before) const {
    before = std::min(before, comparedLength());
    if (before <= 0)
        return std::nullopt;
    const qint64 last = before - 1;
    std::size_t word = std::size_t(last / 64);
    quint64 bitsLeft = bits[word] & (~quint64(0) >> (63 - last % 64));
    for (;;) {
        if (bitsLeft)
            return qint64(word) * 64 + 63 - qCountLeadingZeroBits(bitsLeft);
        if (word-- == 0)
            return std::nullopt;
        bitsLeft = bits[word];
    }
}

qint64 ByteComparison::runEnd(qint64 from) const {
    const qint64 length = comparedLength();
    from = std::clamp<qint64>(from, 0, length);
    for (std::size_t word = std::size_t(from / 64); word < bits.size(); ++word) {
        quint64 same = ~bits[word];
        if (word == std::size_t(from / 64))
            same &= ~quint64(0) << (from % 64);
        if (same)
            return std::min(length, qint64(word) * 64 + qCountTrailingZeroBits(same));
    }
    return length;
}

qint64 ByteComparison::runStart(qint64 to) const {
    to = std::clamp<qint64>(to, 0, comparedLength());
    if (to == 0)
        return 0;
    const qint64 last = to - 1;
    std::size_t word = std::size_t(last / 64);
    quint64 same = ~bits[word] & (~quint64(0) >> (63 - last % 64));
    for (;;) {
        if (same)
            return qint64(word) * 64 + 64 - qCountLeadingZeroBits(same);
        if (word-- == 0)
            return 0;
        same = ~bits[word];
    }
}

void ByteComparison::clear(qint64 from, qint64 to) {
    for (qint64 at = from; at < to;) {
        const qint64 wordEnd = std::min((at / 64 + 1) * 64, to);
        const int low = int(at % 64);
        const int high = int(wordEnd - at) + low; // one past the last bit
        const quint64 mask =
            (high == 64 ? ~quint64(0) : (quint64(1) << high) - 1) & (~quint64(0) << low);
        quint64 &word = bits[std::size_t(at / 64)];
        count -= qPopulationCount(word & mask);
        word &= ~mask;
        at = wordEnd;
    }
}

void ByteComparison::mark(const PieceTable &document, qint64 from, qint64 to) {
    qint64 at = from;
    document.forEachChunk(from, to - from, [&](QByteArrayView chunk) {
        const qint64 start = at;
        other.forEachChunk(start, chunk.size(), [&](QByteArrayView theirs) {
            markRun(at, chunk.data() + (at - start), theirs.data(), theirs.size());
            at += theirs.size();
        });
    });
}

void ByteComparison::markRun(qint64 offset, const char *mine, const char *theirs, qint64 length) {
    const auto markByte = [&] {
        if (*mine != *theirs) {
            bits[std::size_t(offset / 64)] |= quint64(1) << (offset % 64);
            ++count;
        }
        ++mine, ++theirs, ++offset, --length;
    };
    while (length > 0 && offset % 64 != 0)
        markByte();
    for (; length >= 64; mine += 64, theirs += 64, offset += 64, length -= 64) {
        const quint64 word = differingBytes64(mine, theirs);
        bits[std::size_t(offset / 64)] = word;
        count += qPopulationCount(word);
    }
    while (length > 0)
        markByte();
}
