#include "checks/streamcompare.h"

#include <QIODevice>
#include <QtAlgorithms>
#include <QtEndian>

#include <cstring>

namespace streamcompare {
namespace {

// Reads until the buffer is full or the stream ends; -1 when a read fails.
qint64 fill(QIODevice &device, char *buffer, qsizetype size) {
    qint64 filled = 0;
    while (filled < size) {
        const qint64 got = device.read(buffer + filled, size - filled);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += got;
    }
    return filled;
}

quint64 wordDifference(const char *a, const char *b) {
    return qFromLittleEndian<quint64>(a) ^ qFromLittleEndian<quint64>(b);
}

// The index of the first differing byte, or n. Equal stretches, by far the
// common case, go by the C library's vectorised memcmp; the next few words
// first, as differences close together would make each call a waste.
qsizetype firstDifference(const char *a, const char *b, qsizetype n) {
    constexpr qsizetype stretch = 256;
    qsizetype i = 0;
    for (; i < 32 && n - i >= 8; i += 8) {
        const quint64 x = wordDifference(a + i, b + i);
        if (x)
            return i + qCountTrailingZeroBits(x) / 8;
    }
    while (n - i >= stretch && std::memcmp(a + i, b + i, stretch) == 0)
        i += stretch;
    for (; n - i >= 8; i += 8) {
        const quint64 x = wordDifference(a + i, b + i);
        if (x)
            return i + qCountTrailingZeroBits(x) / 8;
    }
    for (; i < n; ++i) {
        if (a[i] != b[i])
            return i;
    }
    return n;
}

qsizetype firstEqual(const char *a, const char *b, qsizetype n) {
    qsizetype i = 0;
    while (i < n && a[i] != b[i])
        ++i;
    return i;
}

} // namespace

Outcome compare(QIODevice &first, QIODevice &second, const RunHandler &onRun, qsizetype pieceSize) {
    QByteArray firstPiece(pieceSize, Qt::Uninitialized);
    QByteArray secondPiece(pieceSize, Qt::Uninitialized);
    Outcome outcome;
    for (;;) {
        const qint64 firstLength = fill(first, firstPiece.data(), pieceSize);
        if (firstLength < 0)
            return {Outcome::Status::FirstFailed, first.errorString(), outcome.compared, {}};
        const qint64 secondLength = fill(second, secondPiece.data(), pieceSize);
        if (secondLength < 0)
            return {Outcome::Status::SecondFailed, second.errorString(), outcome.compared, {}};

        const char *a = firstPiece.constData();
        const char *b = secondPiece.constData();
        const qsizetype length = qsizetype(std::min(firstLength, secondLength));
        for (qsizetype at = 0; at < length;) {
            at += firstDifference(a + at, b + at, length - at);
            if (at == length)
                break;
            const qsizetype run = firstEqual(a + at, b + at, length - at);
            if (!onRun(outcome.compared + at, QByteArrayView(a + at, run),
                       QByteArrayView(b + at, run))) {
                outcome.status = Outcome::Status::Stopped;
                outcome.compared += at + run;
                return outcome;
            }
            at += run;
        }
        outcome.compared += length;
        if (firstLength != secondLength) {
            outcome.ended =
                firstLength < secondLength ? Outcome::Ended::First : Outcome::Ended::Second;
            return outcome;
        }
        if (firstLength < pieceSize)
            return outcome;
    }
}

} // namespace streamcompare
