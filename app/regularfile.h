#pragma once

#include <QString>

#include <optional>

class QFile;

// Opens a file for --sum and --diff to read: a regular file only. Reading a
// terminal, a serial port or a pipe would wait for input that may never
// come, so anything else is refused before it is opened. Returns the reason
// when the file is not open.
std::optional<QString> openRegularFile(const QString &path, QFile &file);
