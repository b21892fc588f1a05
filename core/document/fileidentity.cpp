#include "document/fileidentity.h"

#include <QFileInfo>

FileIdentity FileIdentity::of(const QString &path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {path, -1, {}};
    return {path, info.size(), info.lastModified()};
}
