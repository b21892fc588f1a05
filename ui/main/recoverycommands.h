#pragma once

#include "windowparts.h"

#include <QObject>

// The recovery copies: what the window does so that no edit is lost when a
// document is dropped unasked or the program is killed, and the copies
// offered and restored.
class RecoveryCommands : public QObject {
    Q_OBJECT

public:
    explicit RecoveryCommands(const WindowParts &parts, QObject *parent = nullptr);

    // Once the document's recovery copies exist: their failures are said
    // in the input pane, and a copy is written as the program or the session
    // ends.
    void watchCopies();

    // At the program's start: the notice at the foot of the input pane that
    // names the recovery copies left for restoring, if there are any.
    void offerRecovery();
    // The chosen copy becomes the document, unsaved.
    void restore();

private:
    const WindowParts &parts;
};
