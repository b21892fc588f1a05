#pragma once

#include "rowlayout.h"
#include "styletable.h"

#include <QColor>
#include <QFont>
#include <QRawFont>
#include <array>
#include <vector>

// One font and colour of the input pane, measured once per byte value: its
// advance and the glyph that draws it, found with the font's fallbacks, so
// the pane places every glyph itself and draws a row without shaping it.
class GlyphStyle {
public:
    GlyphStyle(const QFont &font, const QColor &color);

    const QFont &font() const { return usedFont; }
    // Invalid: the palette's text colour.
    const QColor &color() const { return usedColor; }
    const ByteAdvances &advances() const { return advance; }
    qreal ascent() const { return fontAscent; }
    qreal descent() const { return fontDescent; }
    // Underline, strike-out and overline below the baseline (negative: above).
    struct Decoration {
        qreal underline = 0;
        qreal strikeOut = 0;
        qreal overline = 0;
        qreal width = 1;
    };
    const Decoration &decoration() const { return lines; }

    struct Glyph {
        quint32 index = 0;
        quint8 font = 0; // in rawFonts()
        bool drawn = false;
    };
    const Glyph &glyph(unsigned char byte) const { return glyphs[byte]; }
    const std::vector<QRawFont> &rawFonts() const { return fonts; }

    // The character the pane draws for a byte: its cp1251 stand-in, but a
    // hyphen for the soft hyphen, which would draw nothing.
    static QChar shownChar(unsigned char byte);

private:
    QFont usedFont;
    QColor usedColor;
    ByteAdvances advance{};
    std::array<Glyph, 256> glyphs{};
    std::vector<QRawFont> fonts;
    qreal fontAscent = 0;
    qreal fontDescent = 0;
    Decoration lines;
};

// The input pane's styles in use, each made once; style 0 is the pane's own
// font.
class GlyphStyles : public StyleTable<GlyphStyle> {
public:
    using StyleTable::StyleTable;

    // The advance tables by style number, for the row layout.
    std::vector<const ByteAdvances *> advanceTables() const;
};
