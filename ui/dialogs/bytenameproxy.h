#pragma once

#include <QDateTime>
#include <QIdentityProxyModel>
#include <QPersistentModelIndex>

#include <memory>
#include <optional>
#include <vector>

class QFileSystemModel;

// The file system model of Qt's file dialog, and after the rows of the
// folder it shows a row for each file there whose name is not UTF-8. Qt
// leaves such a file out of its model altogether (a name in code page 1251
// from an old flash drive); here it is listed as the program shows names
// elsewhere, each stray byte as "\xCF", and its path kept as its bytes. A
// folder whose name is not UTF-8 is not listed: Qt could not open it.
class ByteNameProxy : public QIdentityProxyModel {
    Q_OBJECT

public:
    explicit ByteNameProxy(QObject *parent = nullptr);
    ~ByteNameProxy() override;

    void setSourceModel(QAbstractItemModel *source) override;

    // The path of a row added here, as nativename::decode gives it; empty
    // for any other row.
    QString bytePath(const QModelIndex &index) const;
    // The added row of the folder shown under that name, or an invalid index.
    QModelIndex rowNamed(const QString &shownName) const;

    // A file's size, nothing for a folder; and when it was last changed.
    std::optional<qint64> fileSize(const QModelIndex &index) const;
    QDateTime lastModified(const QModelIndex &index) const;

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    QModelIndex sibling(int row, int column, const QModelIndex &index) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;

    // A file added after the folder's rows (its bytes, name, size and date).
    struct Added;

private:
    const Added *addedAt(const QModelIndex &index) const;
    bool isFolderRow(const QModelIndex &proxyParent) const;
    int sourceRows() const;
    // Reads the folder anew; rows change only where its files have.
    void readFolder(const QString &path);
    void sourceLayoutAboutToChange(const QList<QPersistentModelIndex> &sourceParents,
                                   LayoutChangeHint hint);
    void sourceLayoutChanged(const QList<QPersistentModelIndex> &sourceParents,
                             LayoutChangeHint hint);

    QFileSystemModel *files = nullptr;
    QString folder;
    QPersistentModelIndex folderIndex; // of the source model
    std::vector<std::unique_ptr<Added>> added;
    // The persistent rows of the source's while it changes its layout.
    QList<QPersistentModelIndex> layoutProxy;
    QList<QPersistentModelIndex> layoutSource;
};
