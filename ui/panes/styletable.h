#pragma once

#include <QColor>
#include <QFont>
#include <QTextCharFormat>
#include <memory>
#include <vector>

// Measuring and drawing must agree character by character: no style kerns.
inline QFont unkerned(QFont font) {
    font.setKerning(false);
    return font;
}

// A pane's fonts and colours, each made once and kept by number, as the Font
// command asks for them; style 0 is the pane's own font. A Style is made
// from a font and a colour and gives them back, the font unkerned, as font()
// and color() (an invalid colour: the palette's text colour).
template <class Style> class StyleTable {
public:
    explicit StyleTable(const QFont &paneFont) {
        styles.push_back(std::make_unique<Style>(paneFont, QColor()));
    }

    const Style &at(int index) const { return *styles[std::size_t(index)]; }
    int count() const { return int(styles.size()); }

    // The style of that font and colour, made if new.
    int styleOf(const QFont &font, const QColor &color) {
        const QFont wanted = unkerned(font);
        for (std::size_t i = 0; i < styles.size(); ++i) {
            if (styles[i]->font() == wanted && styles[i]->color() == color)
                return int(i);
        }
        styles.push_back(std::make_unique<Style>(wanted, color));
        return int(styles.size()) - 1;
    }

    // The style with change merged into it, as the Font command applies it.
    int merged(int index, const QTextCharFormat &change) {
        QTextCharFormat merged = format(index);
        merged.merge(change);
        const QColor color = merged.hasProperty(QTextFormat::ForegroundBrush)
                                 ? merged.foreground().color()
                                 : QColor();
        return styleOf(merged.font().resolve(at(0).font()), color);
    }

    QTextCharFormat format(int index) const {
        QTextCharFormat format;
        format.setFont(at(index).font());
        if (at(index).color().isValid())
            format.setForeground(at(index).color());
        return format;
    }

    // The pane's font changed: style 0 takes it.
    void setPaneFont(const QFont &font) { styles[0] = std::make_unique<Style>(font, QColor()); }

private:
    std::vector<std::unique_ptr<Style>> styles;
};
