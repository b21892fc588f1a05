#pragma once

#include "windowgeometry.h"
#include "windowparts.h"

#include <QObject>

// Where the panes stand: the two layouts between which the hex pane and the
// output pane move, the resize rule, and which of the input and the hex pane
// is in front at their shared place.
class WindowLayout : public QObject {
    Q_OBJECT

public:
    explicit WindowLayout(const WindowParts &parts, QObject *parent = nullptr);

    // The hex pane's width and the output pane's place and width.
    void apply(bool hexEdit);
    bool isHexEdit() const { return hexEdit; }

    // The input pane in front, the ruler hidden, the panes unlinked.
    void showInputPane();
    // The hex pane in front under the ruler, linked to the document.
    void showHexPane();
    // The hex pane is in front exactly while it is linked to the document.
    QWidget *paneInFront() const;

signals:
    // The hex pane linked or unlinked: the tools beside it follow.
    void hexPaneLinked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyResizeRule();
    void applyOutputPaneWidth();
    void coverPane(QWidget *covered);
    windowgeometry::Layout pixelLayout() const;
    int scaleWidth() const;
    int scaleHeight() const;
    int hexEditWidth() const;

    const WindowParts &parts;
    // The layout in force: the hex pane's width is not read back to decide.
    bool hexEdit = false;
};
