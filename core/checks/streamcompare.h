#pragma once

#include <QByteArrayView>
#include <QString>

#include <functional>

class QIODevice;

// Two streams compared byte by byte at the same offsets, read a piece at a
// time: the memory is two pieces whatever their lengths, so files of any
// size compare.
namespace streamcompare {

struct Outcome {
    enum class Status { Compared, FirstFailed, SecondFailed, Stopped };
    // Which stream ended first; Both when they have the same length.
    enum class Ended { Both, First, Second };

    Status status = Status::Compared;
    QString error;       // the device's reason when a read failed
    qint64 compared = 0; // the bytes compared: the shorter length when Compared
    Ended ended = Ended::Both;
};

// Called with a run of differing bytes: its offset and the bytes of each
// side. A run that crosses the end of a piece arrives in parts, each next
// one at the offset where the last ended. Returns false to stop.
using RunHandler = std::function<bool(qint64 offset, QByteArrayView first, QByteArrayView second)>;

inline constexpr qsizetype defaultPieceSize = 256 * 1024;

// Reads both streams to the end of the shorter one and hands every
// differing run to onRun; the longer one's rest is not read.
Outcome compare(QIODevice &first, QIODevice &second, const RunHandler &onRun,
                qsizetype pieceSize = defaultPieceSize);

} // namespace streamcompare
