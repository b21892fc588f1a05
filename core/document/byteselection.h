#pragma once

#include <QObject>

class ByteDocument;

// The selection in the document, in byte offsets: the anchor where it
// started and the caret where it ends; an empty selection is the caret
// alone. There is one for the document, shared by every pane that shows
// it, so they all show the same bytes selected. Edits move it with the
// bytes it stands by.
class ByteSelection : public QObject {
    Q_OBJECT

public:
    explicit ByteSelection(ByteDocument *document);

    qint64 anchor() const { return anchorAt; }
    qint64 caret() const { return caretAt; }
    qint64 start() const { return qMin(anchorAt, caretAt); }
    qint64 end() const { return qMax(anchorAt, caretAt); }
    qint64 length() const { return end() - start(); }
    bool isEmpty() const { return anchorAt == caretAt; }

    // Both clamped to the document.
    void select(qint64 anchor, qint64 caret);
    void selectRange(qint64 offset, qint64 length) { select(offset, offset + length); }
    void moveCaret(qint64 offset) { select(offset, offset); }

signals:
    // The anchor or the caret moved.
    void changed();

private:
    void documentChanged(qint64 offset, qint64 removed, qint64 added);

    ByteDocument *document;
    qint64 anchorAt = 0;
    qint64 caretAt = 0;
};
