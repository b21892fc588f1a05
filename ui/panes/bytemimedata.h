#pragma once

#include "document/piecetable.h"

#include <QMimeData>

// The text of a range of bytes for the clipboard and drags, made only when
// another program or pane asks for it: a copy of a large selection costs
// nothing until then. It reads a snapshot of the bytes, so later edits do
// not change what was copied.
class ByteMimeData : public QMimeData {
public:
    ByteMimeData(const PieceTable &bytes, qint64 start, qint64 end)
        : snapshot(bytes), start(start), end(end) {}

    QStringList formats() const override;
    bool hasFormat(const QString &mimeType) const override { return formats().contains(mimeType); }

protected:
    QVariant retrieveData(const QString &mimeType, QMetaType) const override;

private:
    PieceTable snapshot;
    qint64 start;
    qint64 end;
    mutable QString madeText;
};

// Whether pasting or dropping data brings text into a pane. Files dragged
// or copied from a file manager carry their paths as text too: they are for
// the window to open, never text to insert.
bool pastesAsText(const QMimeData *data);
