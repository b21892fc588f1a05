#pragma once

#include <QString>

// A file's name in a line of output, as coreutils' checksum tools write it:
// a name with a backslash or a line break in it has them escaped ("\\",
// "\n") and its line starts with a backslash, so each line stays one line
// and `sha256sum -c` reads the name back.
struct PrintedName {
    QString linePrefix; // "\\" or nothing
    QString name;
};

inline PrintedName printedName(const QString &path) {
    if (!path.contains(u'\\') && !path.contains(u'\n'))
        return {QString(), path};
    QString escaped = path;
    escaped.replace(u'\\', QStringLiteral("\\\\")).replace(u'\n', QStringLiteral("\\n"));
    return {QStringLiteral("\\"), escaped};
}
