#pragma once

#include "document/byteeditor.h"
#include "panecontent.h"

#include <QFont>
#include <QObject>

class ByteDocument;
class ByteSelection;
class HexPane;
class SharedRows;
class TokenView;

// The hex-edit layout's panes on the document. The hex pane follows a range
// of the document's bytes (a dumped selection at fixed offsets, or the whole
// document); the output pane, while it shows a view of the same bytes one
// token a byte, follows the same range in rows of the hex pane's width (the
// 866 or 1251 text as a text column, one even cell a byte). Both show the
// document's one selection, each mapping it by offset, and share their rows
// (SharedRows: the same rows in sight, of one height); the hex pane is
// given the editor its digits and its undo and redo go through. When the
// link stops, both panes keep what they show and follow no more, as the
// views of the normal layout do.
class HexEditLink : public QObject {
    Q_OBJECT

public:
    HexEditLink(ByteDocument *document, ByteSelection *selection, HexPane *hex, TokenView *output,
                QObject *parent = nullptr);

    // Links the panes over the range the hex pane follows.
    void start();
    void stop();
    bool isActive() const { return active; }

    // The range linked: its offset and its length (PieceTable::toEnd for
    // the whole document).
    PaneContent::Range range() const { return linked; }
    bool showsWholeDocument() const;
    // Whether the hex pane shows bytes [offset, offset + length), or the
    // place before byte offset when length is 0.
    bool shows(qint64 offset, qint64 length) const;

private:
    // Stops linking; the panes go on as they are.
    void unlink();
    void linkOutput();
    void useDumpFace(bool on);

    ByteDocument *document;
    ByteSelection *selection;
    ByteEditor editor;
    HexPane *hex;
    TokenView *output;
    SharedRows *rows;
    QList<QMetaObject::Connection> connections;

    bool active = false;
    PaneContent::Range linked;
    // The text pane takes part while it shows a view of the same bytes.
    bool outputLinked = false;
    // Set while the output pane is made to follow the range.
    bool linkingOutput = false;
    // The text column shows in the hex pane's face; the output pane's own.
    bool inDumpFace = false;
    QFont outputFace;
};
