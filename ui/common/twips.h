#pragma once

#include <QPaintDevice>
#include <QtGlobal>

// The windows are designed in twips (1/1440 inch; 15 to a pixel at 96 dots
// per inch); Qt works in logical pixels, which the logical DPI converts to.
namespace twips {

inline constexpr qreal perInch = 1440;

// Fractional pixels, for lengths that a text layout keeps as fractions.
constexpr qreal toPixels(qreal twips, qreal dpi) {
    return twips * dpi / perInch;
}

// Whole pixels across and down a widget, window or screen.
inline int toPixelsX(const QPaintDevice &device, qreal twips) {
    return qRound(toPixels(twips, device.logicalDpiX()));
}

inline int toPixelsY(const QPaintDevice &device, qreal twips) {
    return qRound(toPixels(twips, device.logicalDpiY()));
}

} // namespace twips
