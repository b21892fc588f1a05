#include "crc.h"

#include <QtEndian>

#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <nmmintrin.h>
#define KKTVIEW_CRC32C_INSTRUCTION 1
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

} // namespace

Engine::Engine(const Model &model) : model(model) {
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
