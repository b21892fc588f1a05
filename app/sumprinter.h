#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QIODevice;

// The checksums of files for --sum, one per line in the tagged form of
// coreutils' tools: "ALGORITHM (FILE) = VALUE", ten lines per file.
namespace sumprinter {

// Prints the checksums of every file that can be read, reading each a piece
// at a time; names each one that cannot through complain and goes on.
// Returns the exit status: 0 all printed, 1 a file not read or the output
// not written, 2 no file given.
int print(const QStringList &files, QIODevice &out,
          const std::function<void(const QString &)> &complain);

} // namespace sumprinter
