#pragma once

#include <QObject>
#include <QString>
#include <array>

class QLabel;
class QSizeGrip;
class QStatusBar;

// The eight panels of the status bar: QLabels named panel1..panel8, children
// of the bar, side by side from its left edge. No panel cuts its text:
// panels 1 to 6 are at least their minimum widths and grow with their texts;
// panel 8 (the caret's place) is at least as wide as its text; panel 7 is
// as wide as its text while the bar has room, and shows it elided with "…"
// where it has not; panel 8 takes what is left. So a narrow window costs
// the room left over first, then the end of panel 7's text, never a number.
class StatusPanels : public QObject {
public:
    // Minimum widths in pixels, panel 1 first; those of 7 and 8 are unused.
    // The bar keeps its minimum height, or grows to what its panels need.
    StatusPanels(QStatusBar *bar, const std::array<int, 8> &minimumWidths);

    // Numbered from 1. The text given, whole, however the panel shows it.
    QString text(int panel) const;
    void setText(int panel, const QString &text);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void layOut();

    QStatusBar *bar;
    QSizeGrip *grip = nullptr;
    std::array<QLabel *, 8> labels{};
    std::array<QString, 8> texts;
    std::array<int, 8> minimumWidths;
    int minimumHeight;
};
