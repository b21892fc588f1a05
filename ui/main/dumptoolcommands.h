#pragma once

#include "windowparts.h"

#include <QObject>

class ActionTable;
class QAction;
class QDockWidget;
class QLabel;
class ValuesPanel;

// The tools beside the dump: the panel "Значения" docked beside the hex-edit
// layout, the checksums, and the comparison with a file with its marks and
// the steps from difference to difference.
class DumpToolCommands : public QObject {
    Q_OBJECT

public:
    explicit DumpToolCommands(const WindowParts &parts, QObject *parent = nullptr);
    // The dock, the comparison's summary on the toolbar, and the actions
    // that follow the comparison, once the actions and the toolbar exist.
    void createTools(const ActionTable &actions);

    void showChecksums();
    void compare();
    void nextDifference() { goToDifference(true); }
    void previousDifference() { goToDifference(false); }
    // "Вид" → "Значения" checked or unchecked.
    void toggleValuesPanel();
    // The panel shows beside the hex-edit layout while it is wanted.
    void updateValuesPanel();

    // "Сравнить с файлом…" without its dialog: the document against the
    // file at path; a file that cannot be compared is named in a message.
    bool compareWithFile(const QString &path);

private:
    void comparisonChanged();
    void goToDifference(bool next);

    const WindowParts &parts;
    QAction *valuesAction = nullptr;
    QAction *nextAction = nullptr;
    QAction *previousAction = nullptr;

    // The panel "Значения", docked on the right while the hex pane is in
    // front and the user wants it; the window grew by widenedBy to make
    // room for it, so the client area kept its width.
    QDockWidget *valuesDock = nullptr;
    ValuesPanel *valuesPanel = nullptr;
    bool valuesWanted = false;
    int widenedBy = 0;
    // The comparison's summary on the toolbar.
    QLabel *comparisonLabel = nullptr;
    QAction *comparisonShown = nullptr;
};
