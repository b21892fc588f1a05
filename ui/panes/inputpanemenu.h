#pragma once

class InputPane;
class QPoint;

// The input pane's context menu: a text edit's commands (undo, the
// clipboard, delete, select all) in Qt's own words and with their keys,
// each enabled only where it would do something.
class InputPaneMenu {
public:
    static void exec(InputPane *pane, const QPoint &globalPos);
};
