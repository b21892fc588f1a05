#include "panestyles.h"

#include <algorithm>

// Style ------------------------------------------------------------------

PaneStyles::Style::Style(const QFont &font, const QColor &color)
    : shownFont(unkerned(font)), shownColor(color), fontMetrics(shownFont) {}

float PaneStyles::Style::measure(char16_t ch) const {
    if (!advances) {
        advances.reset(new float[0x10000]);
        std::fill_n(advances.get(), 0x10000, -1.0f);
    }
    float &a = advances[ch];
    if (a < 0)
        a = ch == u'\n' ? 0.0f : float(fontMetrics.horizontalAdvance(QChar(ch)));
    return a;
}

float PaneStyles::Style::width(QStringView text) const {
    float sum = 0;
    for (const QChar ch : text)
        sum += advance(ch.unicode());
    return sum;
}

const PaneStyles::Style::TokenWidths &PaneStyles::Style::widths(const DisplayTokens &tokens) const {
    for (const auto &[shown, table] : tokenWidths) {
        if (shown == &tokens)
            return *table;
    }
    auto table = std::make_unique<TokenWidths>();
    for (int b = 0; b < 256; ++b)
        table->byByte[b] = width(tokens.token(uchar(b)));
    table->lead = width(tokens.lead());
    tokenWidths.emplace_back(&tokens, std::move(table));
    return *tokenWidths.back().second;
}

// Runs -------------------------------------------------------------------

PaneStyles::PaneStyles(const QFont &paneFont) : table(paneFont) {}

void PaneStyles::setPaneFont(const QFont &font) {
    table.setPaneFont(font);
}

int PaneStyles::styleAt(TokenPlace place) const {
    return runAt(place).first;
}

std::pair<int, TokenPlace> PaneStyles::runAt(TokenPlace place) const {
    if (runs.empty())
        return {insertionStyle, {-1, 0}};
    auto it = std::upper_bound(runs.begin(), runs.end(), place,
                               [](TokenPlace p, const Run &run) { return p < run.start; });
    const TokenPlace end = it == runs.end() ? TokenPlace{-1, 0} : it->start;
    return {(it == runs.begin() ? it : it - 1)->style, end};
}

TokenPlace PaneStyles::runStart(TokenPlace place) const {
    auto it = std::upper_bound(runs.begin(), runs.end(), place,
                               [](TokenPlace p, const Run &run) { return p < run.start; });
    return it == runs.begin() ? TokenPlace{} : (it - 1)->start;
}

std::vector<int> PaneStyles::stylesInUse() const {
    std::vector<bool> used(std::size_t(table.count()));
    used[std::size_t(insertionStyle)] = true;
    for (const Run &run : runs)
        used[std::size_t(run.style)] = true;
    std::vector<int> list;
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (used[i])
            list.push_back(int(i));
    }
    return list;
}

qreal PaneStyles::ascent() const {
    qreal tallest = 0;
    for (const int i : stylesInUse())
        tallest = qMax(tallest, style(i).metrics().ascent());
    return tallest;
}

qreal PaneStyles::lineSpacing() const {
    qreal tallest = 0;
    for (const int i : stylesInUse())
        tallest = qMax(tallest, style(i).metrics().lineSpacing());
    return tallest;
}

void PaneStyles::splitAt(TokenPlace place) {
    if (runs.empty() || place <= runs.front().start)
        return;
    auto it = std::upper_bound(runs.begin(), runs.end(), place,
                               [](TokenPlace p, const Run &run) { return p < run.start; });
    if ((it - 1)->start != place)
        runs.insert(it, Run{place, (it - 1)->style});
}

void PaneStyles::joinRuns() {
    runs.erase(std::unique(runs.begin(), runs.end(),
                           [](const Run &a, const Run &b) { return a.style == b.style; }),
               runs.end());
}

void PaneStyles::merge(TokenPlace from, TokenPlace to, TokenPlace end,
                       const QTextCharFormat &format) {
    insertionStyle = table.merged(insertionStyle, format);
    if (!(from < to) || runs.empty())
        return;
    splitAt(from);
    if (to < end)
        splitAt(to);
    for (Run &run : runs) {
        if (run.start >= from && run.start < to)
            run.style = table.merged(run.style, format);
    }
    joinRuns();
}

void PaneStyles::appended(TokenPlace from) {
    if (runs.empty() || runs.back().style != insertionStyle)
        runs.push_back(Run{from, insertionStyle});
}

void PaneStyles::cleared() {
    runs.clear();
}

void PaneStyles::truncated(TokenPlace end) {
    while (runs.size() > 1 && runs.back().start >= end)
        runs.pop_back();
    if (end == TokenPlace{})
        runs.clear();
}

void PaneStyles::tokensChanged(qint64 first, qint64 removed, qint64 added) {
    for (Run &run : runs)
        run.start = shiftedPlace(run.start, first, removed, added);
    // A run that lost all its characters gives way to the next one: of
    // runs that now start together the last stays.
    const auto kept = std::unique(runs.rbegin(), runs.rend(),
                                  [](const Run &a, const Run &b) { return a.start == b.start; });
    runs.erase(runs.begin(), kept.base());
    if (!runs.empty())
        runs.front().start = {};
    joinRuns();
}
