#include "bytenameproxy.h"

#include <QFileSystemModel>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

// The file dialog's model: a file whose name is not UTF-8, which Qt leaves
// out, comes after the folder's own files and stays there, selected, while
// they are sorted.
class ByteNameProxyTest : public QObject {
    Q_OBJECT

private slots:
    void addedFileStaysAfterTheSortedOnesAndSelected() {
        QTemporaryDir dir;
        for (const char *name : {"a.bin", "b.bin"}) {
            QFile file(dir.filePath(QLatin1String(name)));
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QByteArray raw = QFile::encodeName(dir.path()) + "/\xCF\xF0.bin";
        const int fd = ::open(raw.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
        QVERIFY(fd >= 0);
        ::close(fd);

        QFileSystemModel files;
        ByteNameProxy model;
        model.setSourceModel(&files);
        files.setRootPath(dir.path());
        const QModelIndex folder = model.mapFromSource(files.index(dir.path()));
        const auto names = [&] {
            QStringList shown;
            for (int row = 0; row < model.rowCount(folder); ++row)
                shown << model.index(row, 0, folder).data().toString();
            return shown;
        };
        QTRY_COMPARE(names(), QStringList({"a.bin", "b.bin", "\\xCF\\xF0.bin"}));
        QItemSelectionModel selection(&model);
        selection.select(model.rowNamed(QStringLiteral("\\xCF\\xF0.bin")),
                         QItemSelectionModel::Select | QItemSelectionModel::Rows);

        model.sort(0, Qt::DescendingOrder);

        QCOMPARE(names(), QStringList({"b.bin", "a.bin", "\\xCF\\xF0.bin"}));
        const QModelIndexList selected = selection.selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(selected[0].row(), 2);
        QCOMPARE(model.bytePath(selected[0]),
                 dir.path() + "/" + QChar(0xDCCF) + QChar(0xDCF0) + ".bin");
    }
};

QTEST_MAIN(ByteNameProxyTest)
#include "tst_bytenameproxy.moc"
