#pragma once

#include "bytetext.h"

#include <QObject>

class BytePane;
class ByteDocument;
class Debouncer;

// The input pane's bytes as a ByteDocument, for the recovery copies to
// follow while the pane still holds the document itself: a moment after the
// pane's changes stop (and now and then while they go on), the document is
// made the pane's bytes, modified as long as the pane's text is. Goes once
// the window keeps its document in a ByteDocument of its own.
class PaneMirror : public QObject {
    Q_OBJECT

public:
    explicit PaneMirror(BytePane *pane, QObject *parent = nullptr);

    ByteDocument *document() const { return mirror; }

    // Brings the document up to the pane's bytes now (before it is dropped).
    void sync();
    // The pane was just given a file's bytes.
    void loaded(const ByteText &bytes);
    // The pane was just given the document's bytes, restored unsaved.
    void restored();
    // The pane's bytes are now what the file holds.
    void saved();

private:
    BytePane *pane;
    ByteDocument *mirror;
    Debouncer *pending;
    // The pane changed since the document was last made its bytes.
    bool changed = false;
};
