#pragma once

#include <QObject>
#include <QPointer>

class ByteDocument;
class ByteSelection;
class HexPane;
class TokenView;

// Ties the hex-edit layout's panes to the document while the layout shows a
// dump: the document's selection (the input pane's) shows in the hex pane
// and the text pane beside it, and a selection or cursor in either of those
// becomes the document's selection (positions map through each view's own
// tokens); the two display panes keep the same rows in sight; hex digits
// typed in the hex pane overwrite the document's bytes, one undo step per
// byte; and the display panes always show the document's bytes at the
// dumped offsets, after an undo or redo too.
class HexEditLink : public QObject {
    Q_OBJECT

public:
    HexEditLink(ByteDocument *document, ByteSelection *selection, HexPane *hex, TokenView *output,
                QObject *parent = nullptr);

    // Links the panes over the bytes the hex pane shows.
    void start();
    void stop();
    bool isActive() const { return active; }

private:
    void linkOutput();
    void lineUpRows();
    void showInputSelection();
    void showHexSelection();
    void showOutputSelection();
    // Shows bytes [first, first + count) of the dump, or the cursor before
    // byte first, in the display panes.
    void showInDisplayPanes(qint64 first, qint64 count, bool scroll);
    void typeNibble(qsizetype byte, bool low, int value);
    void documentChanged();
    // The display panes take the document's bytes at the dumped offsets;
    // false when they showed them already.
    bool showDocumentBytes();
    void refresh();

    ByteDocument *document;
    ByteSelection *selection;
    HexPane *hex;
    TokenView *output;
    QList<QMetaObject::Connection> connections;

    bool active = false;
    // The text pane takes part while it shows a view of the same bytes.
    bool outputLinked = false;
    qint64 base = 0;
    qint64 dumpLength = 0;
    // Set while this link changes a pane itself.
    bool syncing = false;
    // The byte whose high nibble was typed last: its low nibble joins the
    // same undo step.
    qsizetype highNibbleByte = -1;
    bool refreshQueued = false;
};
