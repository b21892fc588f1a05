#include "checks/crc.h"

#include <QtEndian>

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#include <nmmintrin.h>
#define KKTVIEW_CRC32C_INSTRUCTION 1
#define KKTVIEW_CARRYLESS_MULTIPLY 1
#endif

namespace crc {
namespace {

quint32 reflect(quint32 value, int width) {
    quint32 out = 0;
    for (int i = 0; i < width; ++i) {
        if (value & (quint32(1) << i))
            out |= quint32(1) << (width - 1 - i);
    }
    return out;
}

using Tables = std::array<std::array<quint32, 256>, 8>;

// The register stands in the low bits, its lowest bit the first one in; a
// byte's first bit is its lowest. Eight bytes a step: the register joins the
// first bytes, and each byte's table gives its share of the result.
quint32 updateReflected(const Tables &t, quint32 reg, const uchar *p, qsizetype n) {
    for (; n >= 8; p += 8, n -= 8) {
        const quint32 lo = qFromLittleEndian<quint32>(p) ^ reg;
        const quint32 hi = qFromLittleEndian<quint32>(p + 4);
        reg = t[7][lo & 0xFF] ^ t[6][(lo >> 8) & 0xFF] ^ t[5][(lo >> 16) & 0xFF] ^ t[4][lo >> 24] ^
              t[3][hi & 0xFF] ^ t[2][(hi >> 8) & 0xFF] ^ t[1][(hi >> 16) & 0xFF] ^ t[0][hi >> 24];
    }
    for (; n > 0; ++p, --n)
        reg = (reg >> 8) ^ t[0][(reg ^ *p) & 0xFF];
    return reg;
}

// The register's first bit in is its highest, bit width - 1, and a byte's
// first bit is its highest too: the same steps in big-endian order.
quint32 updateNormal(const Tables &t, int width, quint32 reg, const uchar *p, qsizetype n) {
    const quint32 mask = width == 32 ? 0xFFFFFFFF : (quint32(1) << width) - 1;
    for (; n >= 8; p += 8, n -= 8) {
        const quint32 hi = qFromBigEndian<quint32>(p) ^ (reg << (32 - width));
        const quint32 lo = qFromBigEndian<quint32>(p + 4);
        reg = t[7][hi >> 24] ^ t[6][(hi >> 16) & 0xFF] ^ t[5][(hi >> 8) & 0xFF] ^ t[4][hi & 0xFF] ^
              t[3][lo >> 24] ^ t[2][(lo >> 16) & 0xFF] ^ t[1][(lo >> 8) & 0xFF] ^ t[0][lo & 0xFF];
    }
    for (; n > 0; ++p, --n)
        reg = ((reg << 8) & mask) ^ t[0][((reg >> (width - 8)) ^ *p) & 0xFF];
    return reg;
}

// x^power modulo the polynomial, a bit at a time.
quint32 powerOfX(const Model &model, int power) {
    const quint64 full = quint64(1) << model.width;
    quint64 r = 1;
    for (int i = 0; i < power; ++i) {
        r <<= 1;
        if (r & full)
            r ^= full | model.poly;
    }
    return quint32(r);
}

// Coefficient d at bit 63 - d: how a reflected CRC's bits stand.
quint64 mirrored(quint32 polynomial) {
    quint64 out = 0;
    for (int d = 0; d < 32; ++d) {
        if (polynomial >> d & 1)
            out |= quint64(1) << (63 - d);
    }
    return out;
}

#ifdef KKTVIEW_CARRYLESS_MULTIPLY

__attribute__((target("pclmul,ssse3"))) inline __m128i loadBlock(const uchar *at, bool reflected,
                                                                 __m128i reverse) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(at));
    return reflected ? bytes : _mm_shuffle_epi8(bytes, reverse);
}

// The bytes' polynomial is folded 16 bytes a step into 128 bits that are
// congruent to it modulo the CRC's polynomial: the high and the low half are
// multiplied by x^192 and x^128 modulo it, and the next 16 bytes added. Two
// such sums go side by side, one over the even and one over the odd blocks,
// each stepping over the other's by x^320 and x^256, so that neither waits
// for the last multiplication; they join at the end. The 128 bits then go
// through the tables as 16 bytes of their own: their CRC from zero is the
// bytes' CRC. The register joins the first bytes, as in the tables. A
// reflected CRC's bits stand mirrored, first bit lowest; a product of
// mirrored factors is then one bit short, so its constants are one power
// less.
__attribute__((target("pclmul,ssse3"))) inline __m128i foldStep(__m128i a, __m128i by,
                                                                __m128i next) {
    const __m128i low = _mm_clmulepi64_si128(a, by, 0x00);
    const __m128i high = _mm_clmulepi64_si128(a, by, 0x11);
    return _mm_xor_si128(_mm_xor_si128(low, high), next);
}

__attribute__((target("pclmul,ssse3"))) QByteArray fold(const FoldConstants &by, bool reflected,
                                                        int width, quint32 reg, const uchar *p,
                                                        qsizetype blocks) {
    const __m128i reverse = _mm_set_epi8(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m128i byOne = _mm_set_epi64x(qint64(by.one[1]), qint64(by.one[0]));
    const __m128i byTwo = _mm_set_epi64x(qint64(by.two[1]), qint64(by.two[0]));
    __m128i even = loadBlock(p, reflected, reverse);
    even = _mm_xor_si128(even, reflected ? _mm_set_epi64x(0, reg)
                                         : _mm_set_epi64x(qint64(quint64(reg) << (64 - width)), 0));
    __m128i odd = loadBlock(p + 16, reflected, reverse);
    qsizetype i = 2;
    for (; i + 1 < blocks; i += 2) {
        even = foldStep(even, byTwo, loadBlock(p + 16 * i, reflected, reverse));
        odd = foldStep(odd, byTwo, loadBlock(p + 16 * (i + 1), reflected, reverse));
    }
    __m128i a = foldStep(even, byOne, odd);
    if (i < blocks)
        a = foldStep(a, byOne, loadBlock(p + 16 * i, reflected, reverse));
    if (!reflected)
        a = _mm_shuffle_epi8(a, reverse);
    QByteArray folded(16, Qt::Uninitialized);
    _mm_storeu_si128(reinterpret_cast<__m128i *>(folded.data()), a);
    return folded;
}
#endif

} // namespace

Engine::Engine(const Model &model) : model(model) {
    // The low qword multiplies the first, the high the second constant.
    if (model.reflected) {
        foldBy.one = {mirrored(powerOfX(model, 191)), mirrored(powerOfX(model, 127))};
        foldBy.two = {mirrored(powerOfX(model, 319)), mirrored(powerOfX(model, 255))};
    } else {
        foldBy.one = {powerOfX(model, 128), powerOfX(model, 192)};
        foldBy.two = {powerOfX(model, 256), powerOfX(model, 320)};
    }
    const int width = model.width;
    const quint32 mask = width == 32 ? 0xFFFFFFFF : (quint32(1) << width) - 1;
    const quint32 top = quint32(1) << (width - 1);
    const quint32 reflectedPoly = reflect(model.poly, width);
    for (quint32 b = 0; b < 256; ++b) {
        quint32 reg = model.reflected ? b : b << (width - 8);
        for (int bit = 0; bit < 8; ++bit) {
            if (model.reflected)
                reg = reg & 1 ? (reg >> 1) ^ reflectedPoly : reg >> 1;
            else
                reg = (reg & top ? (reg << 1) ^ model.poly : reg << 1) & mask;
        }
        tables[0][b] = reg;
    }
    for (int k = 1; k < 8; ++k) {
        for (int b = 0; b < 256; ++b) {
            const quint32 previous = tables[k - 1][b];
            tables[k][b] = model.reflected ? (previous >> 8) ^ tables[0][previous & 0xFF]
                                           : ((previous << 8) & mask) ^
                                                 tables[0][(previous >> (width - 8)) & 0xFF];
        }
    }
}

quint32 Engine::update(quint32 reg, QByteArrayView bytes) const {
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    return model.reflected ? updateReflected(tables, reg, p, bytes.size())
                           : updateNormal(tables, model.width, reg, p, bytes.size());
}

quint32 Engine::afterZeros(quint32 reg, qint64 count) const {
    Q_ASSERT(!model.reflected);
    const int width = model.width;
    const quint32 mask = width == 32 ? 0xFFFFFFFF : (quint32(1) << width) - 1;
    const quint32 top = quint32(1) << (width - 1);
    // a·b modulo the polynomial, b's bits from the highest.
    const auto multiply = [&](quint32 a, quint32 b) {
        quint32 product = 0;
        for (int bit = width - 1; bit >= 0; --bit) {
            product = (product & top ? (product << 1) ^ model.poly : product << 1) & mask;
            if (b >> bit & 1)
                product ^= a;
        }
        return product;
    };
    // A zero byte multiplies the register by x^8 (below the width, so its
    // own remainder): by x^(8 count) in all.
    quint32 power = quint32(1) << 8;
    for (; count > 0; count >>= 1) {
        if (count & 1)
            reg = multiply(reg, power);
        power = multiply(power, power);
    }
    return reg;
}

#ifdef KKTVIEW_CARRYLESS_MULTIPLY
bool hasCarrylessMultiply() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("ssse3");
    return has;
}
#else
bool hasCarrylessMultiply() {
    return false;
}
#endif

quint32 Engine::updateFast(quint32 reg, QByteArrayView bytes) const {
#ifdef KKTVIEW_CARRYLESS_MULTIPLY
    const qsizetype blocks = bytes.size() / 16;
    if (blocks >= 2 && hasCarrylessMultiply()) {
        const auto *p = reinterpret_cast<const uchar *>(bytes.data());
        const QByteArray folded = fold(foldBy, model.reflected, model.width, reg, p, blocks);
        return update(update(0, folded), bytes.sliced(16 * blocks));
    }
#endif
    return update(reg, bytes);
}

#ifdef KKTVIEW_CRC32C_INSTRUCTION
bool hasCrc32cInstruction() {
    static const bool has = __builtin_cpu_supports("sse4.2");
    return has;
}

namespace {

__attribute__((target("sse4.2"))) quint32 crc32cByInstruction(quint32 reg, QByteArrayView bytes) {
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    qsizetype n = bytes.size();
    quint64 wide = reg;
    for (; n >= 8; p += 8, n -= 8) {
        quint64 word;
        std::memcpy(&word, p, sizeof word);
        wide = _mm_crc32_u64(wide, word);
    }
    auto narrow = quint32(wide);
    for (; n > 0; ++p, --n)
        narrow = _mm_crc32_u8(narrow, *p);
    return narrow;
}

} // namespace
#else
bool hasCrc32cInstruction() {
    return false;
}
#endif

quint32 updateCrc32c(quint32 reg, QByteArrayView bytes) {
#ifdef KKTVIEW_CRC32C_INSTRUCTION
    if (hasCrc32cInstruction())
        return crc32cByInstruction(reg, bytes);
#endif
    static const Engine tables(crc32c);
    return tables.update(reg, bytes);
}

} // namespace crc
