#pragma once

#include <QByteArrayView>

#include <array>

// Cyclic redundancy checks of 16 and 32 bits, as the catalogue of
// parametrised CRC algorithms describes them (width, polynomial, initial
// value, reflection, final XOR).
namespace crc {

struct Model {
    int width;    // 16 or 32
    quint32 poly; // normal (unreflected) form
    quint32 init;
    bool reflected; // input and output alike
    quint32 xorOut;
};

inline constexpr Model ccittFalse{16, 0x1021, 0xFFFF, false, 0};
inline constexpr Model modbus{16, 0x8005, 0xFFFF, true, 0};
inline constexpr Model xmodem{16, 0x1021, 0, false, 0};
inline constexpr Model crc32{32, 0x04C11DB7, 0xFFFFFFFF, true, 0xFFFFFFFF};
inline constexpr Model crc32c{32, 0x1EDC6F41, 0xFFFFFFFF, true, 0xFFFFFFFF};

struct FoldConstants {
    std::array<quint64, 2> one{};
    std::array<quint64, 2> two{};
};

// A model's CRC by tables, eight bytes a step (slicing-by-8): several times
// the speed of the one-table loop, for 8 KiB of tables.
class Engine {
public:
    explicit Engine(const Model &model);

    // The register before the first byte, after bytes, and the CRC it gives.
    quint32 start() const { return model.init; }
    quint32 update(quint32 reg, QByteArrayView bytes) const;
    quint32 finish(quint32 reg) const { return reg ^ model.xorOut; }

    quint32 checksum(QByteArrayView bytes) const { return finish(update(start(), bytes)); }

    // update() by carry-less multiplication (PCLMULQDQ) where the processor
    // has it: several times faster than the tables.
    quint32 updateFast(quint32 reg, QByteArrayView bytes) const;

    // update(reg, count zero bytes) in about 64 steps whatever the count, for
    // a model that is not reflected: as a CRC is linear, the register of
    // another initial value is the one from zero plus this from that value.
    quint32 afterZeros(quint32 reg, qint64 count) const;

private:
    Model model;
    // tables[k][b]: the register after byte b and k zero bytes, from zero.
    std::array<std::array<quint32, 256>, 8> tables;
    // What multiplies the high and the low 64 bits of 128 by x^128 (one)
    // and x^256 (two) modulo the polynomial, in the order the
    // multiplication takes them.
    FoldConstants foldBy;
};

// Engine(crc32c).update(), by the processor's own instruction (SSE 4.2)
// where it has one: several times faster than the tables.
quint32 updateCrc32c(quint32 reg, QByteArrayView bytes);
bool hasCrc32cInstruction();
// Whether Engine::updateFast() multiplies rather than going by the tables.
bool hasCarrylessMultiply();

} // namespace crc
