#pragma once

#include <QDir>
#include <QString>

namespace fuzzscratch {

// The template of a scratch folder named after who makes it, on a RAM disk
// where there is one: every save and every written copy syncs its file.
inline QString folderTemplate(const QString &name) {
    const QString ramDisk = QStringLiteral("/dev/shm");
    return (QDir(ramDisk).exists() ? ramDisk : QDir::tempPath()) + u'/' + name +
           QStringLiteral("-XXXXXX");
}

} // namespace fuzzscratch
