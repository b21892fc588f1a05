#pragma once

#include <array>

// The main window's geometry in twips of its client area: where the panes,
// the ruler and the bars stand, and the two layouts between which the hex
// pane and the output pane move.
namespace windowgeometry {

// The client area when the window opens.
inline constexpr int clientWidth = 10290;
inline constexpr int clientHeight = 5835;

// The bars docked at the bottom, the status bar below the toolbar.
inline constexpr int statusBarHeight = 375;
inline constexpr int toolBarHeight = 330;

// The three panes share their top and end paneBottomGap above the toolbar;
// the input pane and the hex pane share their place at the left.
inline constexpr int paneLeft = 240;
inline constexpr int paneTop = 360;
inline constexpr int paneBottomGap = 240;
inline constexpr int inputWidth = 5055;

// The panes are as high as the client area less the bars and these margins.
inline constexpr int paneVerticalMargins = paneTop + paneBottomGap;

// The column ruler, above the hex pane.
inline constexpr int rulerTop = 120;
inline constexpr int rulerWidth = 8775;
inline constexpr int rulerHeight = 255;

// A layout: the hex pane's width and the output pane's left edge; the output
// pane reaches to its margin from the client area's right edge.
struct Layout {
    int hexWidth;
    int outputLeft;
    int outputRightMargin;

    constexpr int outputWidth(int scaleWidth) const {
        return scaleWidth - outputLeft - outputRightMargin;
    }
};

// The hex pane hides behind the input pane, the output pane beside them.
inline constexpr Layout normal{inputWidth, 5280, 220};
// The hex pane, wide enough for 16 groups to a row, covers the input pane.
inline constexpr Layout hexEdit{6975, 7320, 280};

// The narrowest the status panels may be: the counters 1 to 4 keep their
// design widths and grow with their numbers. The time and the date (5, 6)
// and the fixed text (7) take what their texts need, so that panel 7's text
// shows whole at the start size; panel 8 needs its text (the caret's place)
// and takes what is left.
inline constexpr std::array<int, 8> panelMinimumWidths = {735, 735, 640, 640, 0, 0, 0, 0};

} // namespace windowgeometry
