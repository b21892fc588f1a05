#pragma once

#include "rowlayout.h"

#include <QColor>
#include <QFont>
#include <QRawFont>
#include <QTextCharFormat>
#include <array>
#include <memory>
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

// The styles in use, each made once; style 0 is the pane's own font.
class GlyphStyles {
public:
    explicit GlyphStyles(const QFont &paneFont);

    const GlyphStyle &at(int style) const { return *styles[std::size_t(style)]; }
    int count() const { return int(styles.size()); }
    // The style of that font and colour, made if new.
    int styleOf(const QFont &font, const QColor &color);
    // Style with the format merged into it, as the Font command applies it.
    int merged(int style, const QTextCharFormat &format);
    // The pane's font changed: style 0 takes it.
    void setPaneFont(const QFont &font);
    QTextCharFormat format(int style) const;
    // The advance tables by style number, for the row layout.
    const std::vector<const ByteAdvances *> &advanceTables() const { return tables; }

private:
    std::vector<std::unique_ptr<GlyphStyle>> styles;
    std::vector<const ByteAdvances *> tables;
};
