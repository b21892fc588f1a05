#pragma once

#include "panecontent.h"
#include "styletable.h"

#include <QColor>
#include <QFont>
#include <QFontMetricsF>
#include <QTextCharFormat>
#include <memory>
#include <vector>

// The fonts and colours of a display pane's text by range, as the Font
// command sets them: runs of one style each, from a place to the next run.
// Text appended later takes the insertion style, the one the Font command
// sets when nothing is selected. Style 0 is the pane's own font; a change of
// it reaches all text in that style.
class PaneStyles {
public:
    class Style {
    public:
        Style(const QFont &font, const QColor &color);

        const QFont &font() const { return shownFont; }
        // Invalid: the palette's text colour.
        const QColor &color() const { return shownColor; }
        const QFontMetricsF &metrics() const { return fontMetrics; }

        // A character's advance, measured once; a line break takes no room.
        float advance(char16_t ch) const {
            if (advances && advances[ch] >= 0)
                return advances[ch];
            return measure(ch);
        }
        // The width of every token of a view in this style, and of its lead.
        struct TokenWidths {
            std::array<float, 256> byByte{};
            float lead = 0;
        };
        const TokenWidths &widths(const DisplayTokens &tokens) const;
        float width(QStringView text) const;

    private:
        float measure(char16_t ch) const;

        QFont shownFont;
        QColor shownColor;
        QFontMetricsF fontMetrics;
        mutable std::unique_ptr<float[]> advances; // per UTF-16 unit, < 0 until measured
        mutable std::vector<std::pair<const DisplayTokens *, std::unique_ptr<TokenWidths>>>
            tokenWidths;
    };

    // A run: from start up to the next run's start, one style.
    struct Run {
        TokenPlace start;
        int style = 0;
    };

    explicit PaneStyles(const QFont &paneFont);

    // The pane's font changed: text in style 0 shows in the new one.
    void setPaneFont(const QFont &font);

    const Style &style(int index) const { return table.at(index); }
    int styleAt(TokenPlace place) const;
    // The style at place and where its run ends ({-1, 0} for the last run).
    std::pair<int, TokenPlace> runAt(TokenPlace place) const;
    // Where the run around place starts.
    TokenPlace runStart(TokenPlace place) const;
    // The styles the text and the insertion point use, each once.
    std::vector<int> stylesInUse() const;
    // The tallest ascent and line spacing of the styles in use.
    qreal ascent() const;
    qreal lineSpacing() const;
    QTextCharFormat formatOf(int style) const { return table.format(style); }

    // The Font command: merges format into the fonts and colours of
    // [from, to) of a text that ends at end, and into the insertion style.
    void merge(TokenPlace from, TokenPlace to, TokenPlace end, const QTextCharFormat &format);

    // Content from `from` on was appended: it takes the insertion style.
    void appended(TokenPlace from);
    void cleared();
    // The content now ends at end: runs that start there or after go.
    void truncated(TokenPlace end);
    // Tokens [first, first + removed) became [first, first + added).
    void tokensChanged(qint64 first, qint64 removed, qint64 added);

private:
    void splitAt(TokenPlace place);
    void joinRuns();

    StyleTable<Style> table;
    std::vector<Run> runs;
    int insertionStyle = 0;
};
