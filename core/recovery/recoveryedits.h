#pragma once

#include "document/piecetable.h"
#include "recovery/recoveryheader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// A large document kept as its edits to the file it reads on demand: the
// pieces that are ranges of that file are written as their offsets, only
// the bytes the edits brought are written themselves (recoveryheader.h,
// format 3). Writing one reads nothing of the file, so an edit to a file of
// gigabytes is kept in milliseconds; restoring one reads the file again,
// and only while it is the very file the document read.
namespace recovery {

// A table's edits, ready to be written after their header.
struct Edits {
    Original original;
    qint64 pieces = 0;
    qint64 inlineBytes = 0;
    QByteArray body;
};

// The table kept as edits, or nothing where its whole bytes are the copy:
// it has no file read on demand, the file is no longer what it read (changed,
// replaced, saved over), or its own bytes are not well below its size (a
// copy of them would be as large as the whole).
std::optional<Edits> editsOf(const PieceTable &table);

// Why an edits copy cannot be restored while its original is not the file
// it was, in Russian, naming the file; empty while the file at its path is
// the one the copy was made against (looked at, not read).
QString originalChange(const Original &original);

// The document from an edits copy's list (its bytes after the header,
// checked against the header's checksum first), read from its original
// file again. Nothing, with the reason, when the list is damaged or the
// file is not the one the copy was made against.
std::optional<PieceTable> restoreEdits(const Header &header, QByteArrayView body, QString *error);

} // namespace recovery
