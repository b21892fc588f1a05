#include "windowlayout.h"

#include "document/bytedocument.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "ruler.h"
#include "twips.h"

#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>

namespace geometry = windowgeometry;
using twips::toPixelsX;
using twips::toPixelsY;

WindowLayout::WindowLayout(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {
    // A font that widens the hex pane's columns widens the pane.
    connect(
        parts.hexPane, &HexPane::columnsChanged, this,
        [this] {
            if (hexEdit)
                apply(true);
        },
        Qt::QueuedConnection);
    // The panes keep the places given in twips, so the client area has no
    // layout; its resize applies the resize rule.
    parts.clientArea->installEventFilter(this);
    parts.inputPane->raise();
    coverPane(parts.hexPane);
}

bool WindowLayout::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Resize && watched == parts.clientArea)
        applyResizeRule();
    return QObject::eventFilter(watched, event);
}

// The client area below the menu bar, toolbar and status bar included.
int WindowLayout::scaleWidth() const {
    return parts.clientArea->width();
}

int WindowLayout::scaleHeight() const {
    return parts.window->height() - parts.window->menuBar()->height();
}

// The hex pane's width in the hex-edit layout: the width at which the
// offsets and 16 groups in the hex pane's fonts fit
// beside its scroll bar, and never less than the designed width.
// Never wider than the client area leaves beside it: the pane scrolls then.
int WindowLayout::hexEditWidth() const {
    const QWidget &window = *parts.window;
    const int room =
        scaleWidth() - toPixelsX(window, geometry::paneLeft + geometry::hexEdit.outputRightMargin);
    return qMax(toPixelsX(window, geometry::hexEdit.hexWidth),
                qMin(parts.hexPane->widthForColumns(parts.document->size()), room));
}

// The layout in force in pixels. Where the hex pane's font needs a wider hex
// pane, the output pane moves right by as much.
windowgeometry::Layout WindowLayout::pixelLayout() const {
    const QWidget &window = *parts.window;
    const geometry::Layout &design = hexEdit ? geometry::hexEdit : geometry::normal;
    const int hexWidth = hexEdit ? hexEditWidth() : toPixelsX(window, design.hexWidth);
    const int widening = hexWidth - toPixelsX(window, design.hexWidth);
    return {hexWidth, toPixelsX(window, design.outputLeft) + widening,
            toPixelsX(window, design.outputRightMargin)};
}

void WindowLayout::applyResizeRule() {
    // Each step stands alone: a negative size is skipped, the pane keeps
    // what it had.
    const int height = scaleHeight() - parts.window->statusBar()->height() -
                       parts.pathBar->height() -
                       toPixelsY(*parts.window, geometry::paneVerticalMargins);
    if (height >= 0) {
        for (QWidget *pane :
             {static_cast<QWidget *>(parts.inputPane), static_cast<QWidget *>(parts.hexPane),
              static_cast<QWidget *>(parts.outputPane)})
            pane->resize(pane->width(), height);
    }
    // A hex pane narrowed by a small window takes the room a larger one gives.
    if (hexEdit)
        apply(true);
    else
        applyOutputPaneWidth();
}

void WindowLayout::applyOutputPaneWidth() {
    const int width = pixelLayout().outputWidth(scaleWidth());
    if (width >= 0)
        parts.outputPane->resize(width, parts.outputPane->height());
}

void WindowLayout::apply(bool hexEditLayout) {
    hexEdit = hexEditLayout;
    const geometry::Layout pixels = pixelLayout();
    parts.hexPane->resize(pixels.hexWidth, parts.hexPane->height());
    parts.outputPane->move(pixels.outputLeft, parts.outputPane->y());
    applyOutputPaneWidth();
    // The ruler reaches over a hex pane that grew past it.
    parts.ruler->resize(
        qMax(toPixelsX(*parts.window, geometry::rulerWidth), hexEdit ? pixels.hexWidth : 0),
        parts.ruler->height());
}

// The focus does not stay in the hex pane behind the input pane.
void WindowLayout::showInputPane() {
    parts.hexEditLink->stop();
    emit hexPaneLinked();
    parts.inputPane->raise();
    coverPane(parts.hexPane);
    parts.ruler->hide();
    if (parts.hexPane->hasFocus())
        parts.inputPane->setFocus();
}

// The input and the hex pane share their place: the one behind takes no
// focus from the keyboard, so that Ctrl+Tab never moves into a pane out of
// sight.
void WindowLayout::coverPane(QWidget *covered) {
    QWidget *front = covered == parts.inputPane ? static_cast<QWidget *>(parts.hexPane)
                                                : static_cast<QWidget *>(parts.inputPane);
    front->setFocusPolicy(Qt::StrongFocus);
    covered->setFocusPolicy(Qt::NoFocus);
}

// The focus does not stay in the input pane behind the hex pane.
void WindowLayout::showHexPane() {
    parts.hexPane->raise();
    coverPane(parts.inputPane);
    parts.ruler->show();
    parts.hexEditLink->start();
    emit hexPaneLinked();
    if (parts.inputPane->hasFocus())
        parts.hexPane->setFocus();
}

QWidget *WindowLayout::paneInFront() const {
    if (parts.hexEditLink->isActive())
        return parts.hexPane;
    return parts.inputPane;
}
