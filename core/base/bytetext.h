#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The document and every selection of it: one unit per byte, any value 0..255.
// Views and listings also return their text as a ByteText, in code page 1251.
using ByteText = QByteArray;
