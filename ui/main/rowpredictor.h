#pragma once

#include <QFont>
#include <QStringView>
#include <array>

// Where Qt's text layout breaks a paragraph of the input pane into rows when
// it wraps anywhere, predicted from the font's advances without laying the
// text out. The pane cuts long paragraphs into blocks at predicted row
// starts, so the cuts do not show; a misprediction costs only a short row.
//
// Qt's rule for wrapping anywhere: a row takes characters while they fit the
// width, counting the negative right bearing of the last one; spaces may hang
// past the edge; a soft hyphen is invisible but needs its width where a line
// may break after it, the end of the text included; a line separator ends
// the row.
class RowPredictor {
public:
    // width: the width rows are laid out in (the pane's text width).
    RowPredictor(const QFont &font, qreal width);

    // The start of the row after the one that starts at from (after a line
    // separator that ends it), or text.size() when the text ends first.
    qsizetype rowEnd(QStringView text, qsizetype from) const;

    // How many rows Qt lays the block text out in.
    int rowCount(QStringView text) const;

    const QFont &font() const { return usedFont; }
    qreal width() const { return usedWidth; }

private:
    unsigned char byteOf(QChar ch) const { return byteOfChar[ch.unicode()]; }

    QFont usedFont;
    qreal usedWidth;
    // Every character of a pane has a byte; the tables go by it.
    std::array<unsigned char, 65536> byteOfChar{};
    // Widths in 1/64 pixel, the fixed point Qt's layout compares in.
    int lineWidth = 0;
    std::array<int, 256> advance{};
    // What a character needs at a row's end beyond its advance.
    std::array<int, 256> overhang{};
    int softHyphenWidth = 0;
    // Whether a line may break after a soft hyphen that this byte follows.
    std::array<bool, 256> breakAfterSoftHyphen{};
};
