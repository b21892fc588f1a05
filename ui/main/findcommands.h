#pragma once

#include "windowparts.h"

#include <QObject>

class FindDialog;
class GotoDialog;

// Find, find next and go to: each selects bytes of the document and brings
// them into sight in the pane in front.
class FindCommands : public QObject {
    Q_OBJECT

public:
    explicit FindCommands(const WindowParts &parts, QObject *parent = nullptr);

    void find();
    void findNext();
    void goToOffset();

    // Selects the bytes and brings them into sight; in the hex-edit layout
    // over a piece that does not hold them, the whole document shows first.
    void showBytes(qint64 offset, qint64 length);

    // A tip over the pane in front, as when a search goes round; the next
    // step that does not go round takes it away, or it would say so of
    // that step too.
    void sayOverPane(const QString &text);
    static void unsayOverPane();

private:
    void findFromCursor();
    // In the hex-edit layout over a piece of the document, a caret moved out
    // of it shows the whole document.
    void keepCaretInSight();

    const WindowParts &parts;
    // Made on first use; they keep what was typed for the next time.
    FindDialog *findDialog = nullptr;
    GotoDialog *gotoDialog = nullptr;
};
