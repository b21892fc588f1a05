#include "bytenameproxy.h"

#include "io/nativename.h"

#include <QAbstractFileIconProvider>
#include <QFile>
#include <QFileSystemModel>
#include <QLocale>
#include <QMimeDatabase>

#include <algorithm>

#ifdef Q_OS_UNIX
#include <dirent.h>
#include <sys/stat.h>
#endif

struct ByteNameProxy::Added {
    QByteArray native; // the whole path's bytes
    QString shown;     // the name as the rows show it
    qint64 size = 0;
    QDateTime modified;
};

namespace {

enum Column { Name, Size, Type, Modified };

// The files of the folder that Qt cannot list, sorted by name. A hidden
// one stays hidden, as the dialog hides the rest.
std::vector<std::unique_ptr<ByteNameProxy::Added>> undecodableFiles(const QString &folder) {
    std::vector<std::unique_ptr<ByteNameProxy::Added>> found;
#ifdef Q_OS_UNIX
    if (folder.isEmpty())
        return found;
    QByteArray directory = nativename::encode(folder);
    DIR *dir = ::opendir(directory.constData());
    if (!dir)
        return found;
    if (!directory.endsWith('/'))
        directory += '/';
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name.startsWith('.') || QFile::encodeName(QFile::decodeName(name)) == name)
            continue;
        auto file = std::make_unique<ByteNameProxy::Added>();
        file->native = directory + name;
        struct stat st {};
        if (::stat(file->native.constData(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        file->shown = nativename::displayed(nativename::decode(name));
        file->size = S_ISREG(st.st_mode) ? qint64(st.st_size) : 0;
        file->modified = QDateTime::fromSecsSinceEpoch(st.st_mtime);
        found.push_back(std::move(file));
    }
    ::closedir(dir);
    std::sort(found.begin(), found.end(), [](const auto &a, const auto &b) {
        return QString::localeAwareCompare(a->shown, b->shown) < 0;
    });
#else
    Q_UNUSED(folder);
#endif
    return found;
}

bool sameFiles(const std::vector<std::unique_ptr<ByteNameProxy::Added>> &a,
               const std::vector<std::unique_ptr<ByteNameProxy::Added>> &b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const auto &x, const auto &y) {
        return x->native == y->native && x->size == y->size && x->modified == y->modified;
    });
}

} // namespace

ByteNameProxy::ByteNameProxy(QObject *parent) : QIdentityProxyModel(parent) {}

ByteNameProxy::~ByteNameProxy() = default;

void ByteNameProxy::setSourceModel(QAbstractItemModel *source) {
    if (files)
        disconnect(files, nullptr, this, nullptr);
    added.clear();
    folder.clear();
    folderIndex = QPersistentModelIndex();
    QIdentityProxyModel::setSourceModel(source);
    files = qobject_cast<QFileSystemModel *>(source);
    if (!files)
        return;
    // The identity model would take the added rows' places from the source
    // when it sorts, where they have none, and lose them (and a selection
    // of one); they stay where they are, after the folder's own rows.
    disconnect(files, &QAbstractItemModel::layoutAboutToBeChanged, this, nullptr);
    disconnect(files, &QAbstractItemModel::layoutChanged, this, nullptr);
    connect(files, &QAbstractItemModel::layoutAboutToBeChanged, this,
            &ByteNameProxy::sourceLayoutAboutToChange);
    connect(files, &QAbstractItemModel::layoutChanged, this, &ByteNameProxy::sourceLayoutChanged);
    connect(files, &QAbstractItemModel::modelAboutToBeReset, this, [this] {
        added.clear();
        folder.clear();
    });
    connect(files, &QAbstractItemModel::modelReset, this,
            [this] { readFolder(files->rootPath()); });
    connect(files, &QFileSystemModel::rootPathChanged, this, &ByteNameProxy::readFolder);
    connect(files, &QFileSystemModel::directoryLoaded, this, [this](const QString &path) {
        if (path == folder)
            readFolder(path);
    });
    readFolder(files->rootPath());
}

void ByteNameProxy::readFolder(const QString &path) {
    auto found = undecodableFiles(path);
    if (path == folder && sameFiles(found, added))
        return;
    if (!added.empty()) {
        if (folderIndex.isValid()) {
            const int first = sourceRows();
            beginRemoveRows(mapFromSource(folderIndex), first, first + int(added.size()) - 1);
            added.clear();
            endRemoveRows();
        } else {
            added.clear();
        }
    }
    folder = path;
    folderIndex = files ? files->index(path) : QModelIndex();
    if (found.empty() || !folderIndex.isValid())
        return;
    const int first = sourceRows();
    beginInsertRows(mapFromSource(folderIndex), first, first + int(found.size()) - 1);
    added = std::move(found);
    endInsertRows();
}

void ByteNameProxy::sourceLayoutAboutToChange(const QList<QPersistentModelIndex> &sourceParents,
                                              LayoutChangeHint hint) {
    QList<QPersistentModelIndex> parents;
    for (const QPersistentModelIndex &parent : sourceParents)
        parents << mapFromSource(parent);
    emit layoutAboutToBeChanged(parents, hint);
    const QModelIndexList persistent = persistentIndexList();
    for (const QModelIndex &index : persistent) {
        if (addedAt(index))
            continue;
        layoutProxy << index;
        layoutSource << mapToSource(index);
    }
}

void ByteNameProxy::sourceLayoutChanged(const QList<QPersistentModelIndex> &sourceParents,
                                        LayoutChangeHint hint) {
    for (qsizetype i = 0; i < layoutProxy.size(); ++i)
        changePersistentIndex(layoutProxy[i], mapFromSource(layoutSource[i]));
    layoutProxy.clear();
    layoutSource.clear();
    QList<QPersistentModelIndex> parents;
    for (const QPersistentModelIndex &parent : sourceParents)
        parents << mapFromSource(parent);
    emit layoutChanged(parents, hint);
}

const ByteNameProxy::Added *ByteNameProxy::addedAt(const QModelIndex &index) const {
    if (!index.isValid() || index.model() != this)
        return nullptr;
    for (const auto &file : added) {
        if (file.get() == index.internalPointer())
            return file.get();
    }
    return nullptr;
}

bool ByteNameProxy::isFolderRow(const QModelIndex &proxyParent) const {
    return folderIndex.isValid() && !addedAt(proxyParent) &&
           QIdentityProxyModel::mapToSource(proxyParent) == folderIndex;
}

int ByteNameProxy::sourceRows() const {
    return files && folderIndex.isValid() ? files->rowCount(folderIndex) : 0;
}

QString ByteNameProxy::bytePath(const QModelIndex &index) const {
    const Added *file = addedAt(index);
    return file ? nativename::decode(file->native) : QString();
}

QModelIndex ByteNameProxy::rowNamed(const QString &shownName) const {
    for (std::size_t i = 0; i < added.size(); ++i) {
        if (added[i]->shown == shownName)
            return createIndex(sourceRows() + int(i), Name, added[i].get());
    }
    return {};
}

std::optional<qint64> ByteNameProxy::fileSize(const QModelIndex &index) const {
    if (const Added *file = addedAt(index))
        return file->size;
    const QModelIndex source = mapToSource(index);
    if (!files || files->isDir(source))
        return std::nullopt;
    return files->size(source);
}

QDateTime ByteNameProxy::lastModified(const QModelIndex &index) const {
    if (const Added *file = addedAt(index))
        return file->modified;
    return files ? files->lastModified(mapToSource(index)) : QDateTime();
}

QModelIndex ByteNameProxy::index(int row, int column, const QModelIndex &parent) const {
    if (addedAt(parent))
        return {};
    if (isFolderRow(parent)) {
        const int rows = sourceRows();
        if (row >= rows && row < rows + int(added.size()) && column >= 0 &&
            column < columnCount(parent))
            return createIndex(row, column, added[std::size_t(row - rows)].get());
    }
    return QIdentityProxyModel::index(row, column, parent);
}

QModelIndex ByteNameProxy::parent(const QModelIndex &child) const {
    if (addedAt(child))
        return mapFromSource(folderIndex);
    return QIdentityProxyModel::parent(child);
}

QModelIndex ByteNameProxy::sibling(int row, int column, const QModelIndex &index) const {
    if (row == index.row() && column == index.column())
        return index;
    return this->index(row, column, parent(index));
}

int ByteNameProxy::rowCount(const QModelIndex &parent) const {
    if (addedAt(parent))
        return 0;
    return QIdentityProxyModel::rowCount(parent) + (isFolderRow(parent) ? int(added.size()) : 0);
}

bool ByteNameProxy::hasChildren(const QModelIndex &parent) const {
    if (addedAt(parent))
        return false;
    return (isFolderRow(parent) && !added.empty()) || QIdentityProxyModel::hasChildren(parent);
}

bool ByteNameProxy::canFetchMore(const QModelIndex &parent) const {
    return !addedAt(parent) && QIdentityProxyModel::canFetchMore(parent);
}

void ByteNameProxy::fetchMore(const QModelIndex &parent) {
    if (!addedAt(parent))
        QIdentityProxyModel::fetchMore(parent);
}

Qt::ItemFlags ByteNameProxy::flags(const QModelIndex &index) const {
    if (addedAt(index))
        return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemNeverHasChildren;
    return QIdentityProxyModel::flags(index);
}

QModelIndex ByteNameProxy::mapToSource(const QModelIndex &proxyIndex) const {
    if (addedAt(proxyIndex))
        return {};
    return QIdentityProxyModel::mapToSource(proxyIndex);
}

QVariant ByteNameProxy::data(const QModelIndex &index, int role) const {
    const Added *file = addedAt(index);
    if (!file)
        return QIdentityProxyModel::data(index, role);
    // What Qt itself would make of the path: its stray bytes as U+FFFD.
    const QString lossyPath = QFile::decodeName(file->native);
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case Name:
            return file->shown;
        case Size:
            return QLocale().formattedDataSize(file->size);
        case Type:
            return QMimeDatabase()
                .mimeTypeForFile(lossyPath, QMimeDatabase::MatchExtension)
                .comment();
        case Modified:
            return QLocale().toString(file->modified, QLocale::ShortFormat);
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == Name && files && files->iconProvider())
            return files->iconProvider()->icon(QAbstractFileIconProvider::File);
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == Size)
            return QVariant(Qt::AlignTrailing | Qt::AlignVCenter);
        break;
    case QFileSystemModel::FilePathRole:
        return lossyPath;
    case QFileSystemModel::FileNameRole:
        return lossyPath.section(u'/', -1);
    default:
        break;
    }
    return {};
}
