#pragma once

#include <QtGlobal>

// Lengths in this window are given in twips (1/1440 inch); Qt works in
// logical pixels, so the screen's logical DPI converts between them.
namespace codetable {

inline qreal twipsToPixels(qreal twips, qreal dpi) {
    return twips * dpi / 1440.0;
}

inline int twipsToWholePixels(int twips, qreal dpi) {
    return qRound(twipsToPixels(twips, dpi));
}

} // namespace codetable
