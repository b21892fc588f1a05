#pragma once

#include <QColor>
#include <QPalette>
#include <functional>

// Bytes a pane marks, the differences from a compared file: asked for each
// byte the pane paints, by its document offset, so only the rows on screen
// cost anything. An empty function marks none.
using ByteMarks = std::function<bool(qint64 offset)>;

// The background of a marked byte: a light red over a light background, a
// dark red over a dark one, so the text stays readable on it.
inline QColor byteMarkColor(const QPalette &palette) {
    return palette.color(QPalette::Base).lightness() >= 128 ? QColor(255, 190, 190)
                                                            : QColor(120, 30, 30);
}
