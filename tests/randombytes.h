#pragma once

#include <QByteArray>
#include <QRandomGenerator>

// Bytes of every value, the same for the same seed so a failure can be
// replayed; four at a time, as a test may want tens of MiB.
inline QByteArray randomBytes(qsizetype size, quint32 seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    const qsizetype words = size / 4;
    random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), words);
    for (qsizetype i = words * 4; i < size; ++i)
        bytes[i] = char(random.bounded(256));
    return bytes;
}

// Bytes drawn one at a time from a generator the test goes on drawing from.
inline QByteArray randomBytes(QRandomGenerator &random, qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &byte : bytes)
        byte = char(random.bounded(256));
    return bytes;
}
