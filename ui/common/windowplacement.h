#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// Where the windows without an owner window (the code table, the cliche
// check) open: over the main window, on its screen, wholly on that screen.
namespace windowplacement {

// The client geometry of a window whose client area wants `size`: its frame
// (the client area with `frame` around it) centred on `owner` and moved
// wholly into `available`, the size shrunk to what the area holds but never
// below `minimum`. A window still larger than the area keeps its top left
// corner in it, so its title bar stays within reach. All in the same
// device-independent pixels.
QRect centredOn(const QRect &owner, const QRect &available, QSize size, QSize minimum,
                const QMargins &frame);

// Places a window that has not been shown yet over owner, on owner's screen.
// The window's frame is taken to be as wide as owner's.
void placeOver(QWidget *window, const QWidget *owner);

// Shows the window in front of the others, with the keyboard.
void bringToFront(QWidget *window);

} // namespace windowplacement
