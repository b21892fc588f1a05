#pragma once

#include <QIODevice>
#include <QStringList>

#include <memory>

// What the command line reads and writes, the same on every system: the
// arguments as file names and the standard streams as bytes.
namespace consoleio {

// The arguments as names that open the files they name (nativename::decode
// of argv on a POSIX system, the wide command line on Windows).
QStringList arguments(int argc, char *argv[]);

enum class Stream { Output, Error };

// Standard output or error, unbuffered, open for writing. The bytes written
// reach a file or a pipe as they are (no line ends added on Windows); a
// Windows console is given them as text, decoded from UTF-8, so Russian reads
// right whatever its code page.
std::unique_ptr<QIODevice> open(Stream stream);

} // namespace consoleio
