#pragma once

#include <QByteArray>

// The 256 byte values in order: a file or view no byte may get lost in.
inline QByteArray allBytes() {
    QByteArray bytes(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        bytes[b] = char(b);
    return bytes;
}
