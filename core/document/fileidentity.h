#pragma once

#include <QDateTime>
#include <QString>

// Which file a document is: the path it was read from or last saved to (a
// name as nativename::decode gives it) and the file as it stood then, its
// size and last modification; empty for a typed document. The document
// keeps it (ByteDocument::file()): the window proposes and saves to it, the
// recovery copies record it.
struct FileIdentity {
    QString path;
    qint64 size = -1;
    QDateTime modified;

    // The file at path as it stands now.
    static FileIdentity of(const QString &path);
    bool isEmpty() const { return path.isEmpty(); }
};
