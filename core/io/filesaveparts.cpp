#include "io/filesave.h"

namespace filesave {

qint64 Parts::size() const {
    qint64 total = table ? table->size() : 0;
    for (const QByteArrayView view : views)
        total += view.size();
    return total;
}

bool Parts::detachFrom(const FileSource::Identity &identity) const {
    const FileSource *file = table ? table->file() : nullptr;
    if (!file || file->identity().device != identity.device ||
        file->identity().inode != identity.inode)
        return true;
    return file->holdWhole();
}

} // namespace filesave
