#include "io/consoleio.h"

#include "io/nativename.h"

#include <QFile>

#include <unistd.h>

namespace consoleio {

QStringList arguments(int argc, char *argv[]) {
    // Names as their bytes, so a file named in code page 1251 still opens.
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list << nativename::decode(argv[i]);
    return list;
}

std::unique_ptr<QIODevice> open(Stream stream) {
    auto file = std::make_unique<QFile>();
    file->open(stream == Stream::Output ? STDOUT_FILENO : STDERR_FILENO,
               QIODevice::WriteOnly | QIODevice::Unbuffered);
    return file;
}

} // namespace consoleio
