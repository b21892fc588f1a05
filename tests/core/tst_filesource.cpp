// The document reading its file on demand: the pages against a plain read
// of the same file, on several threads at once; a file changed, truncated,
// grown, replaced or removed while open; a save onto the file itself.

#include "../randombytes.h"
#include "document/bytedocument.h"
#include "document/filesource.h"
#include "document/piecetable.h"
#include "ondisk.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

// Random reads of every kind the callers make, against the bytes.
bool readsAgree(const PieceTable &table, const QByteArray &bytes, quint32 seed, int rounds) {
    QRandomGenerator random(seed);
    const qint64 size = bytes.size();
    for (int i = 0; i < rounds; ++i) {
        const qint64 at = random.bounded(size);
        const qint64 length = random.bounded(qMin<qint64>(size - at, 3000) + 1);
        if (table.at(at) != uchar(bytes[at]) || table.read(at, length) != bytes.mid(at, length))
            return false;
        // Views held together stay valid while fewer than pinnedViews are asked for.
        std::vector<std::pair<qint64, QByteArrayView>> held;
        for (int k = 0; k + 1 < FileSource::pinnedViews; ++k) {
            const qint64 from = random.bounded(size);
            held.emplace_back(from, table.chunkAt(from, random.bounded(1, 5000)));
        }
        for (const auto &[from, view] : held)
            if (view.isEmpty() || view != QByteArrayView(bytes).sliced(from, view.size()))
                return false;
        QByteArray joined;
        table.forEachChunk(at, length, [&](QByteArrayView chunk) { joined += chunk; });
        if (joined != bytes.mid(at, length))
            return false;
    }
    return true;
}

} // namespace

class FileSourceTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        QVERIFY(dir->isValid());
    }

    void readsAgreeWithThePlainFile_data() {
        QTest::addColumn<qint64>("pageSize");
        QTest::addColumn<int>("cachedPages");
        QTest::addColumn<qint64>("size");
        QTest::newRow("pages of 7 bytes, 3 cached") << qint64(7) << 3 << qint64(5000);
        QTest::newRow("one page cached") << qint64(256) << 1 << qint64(20000);
        QTest::newRow("file within one page") << qint64(4096) << 2 << qint64(1000);
        QTest::newRow("default pages, more than the cache holds")
            << FileSource::defaultPageSize << int(FileSource::defaultCachedPages)
            << FileSource::defaultPageSize * qint64(FileSource::defaultCachedPages + 6) + 13;
    }
    void readsAgreeWithThePlainFile() {
        QFETCH(qint64, pageSize);
        QFETCH(int, cachedPages);
        QFETCH(qint64, size);
        QRandomGenerator random{quint32(size)};
        const QByteArray bytes = randomBytes(random, size);
        const QString path = dir->filePath("file.bin");
        QVERIFY(writeFile(path, bytes));
        const auto source = ondisk::openSource(path, pageSize, std::size_t(cachedPages));
        QVERIFY(source);
        QCOMPARE(source->size(), size);
        const PieceTable table(source);

        // Snapshots on other threads share the cache with this one.
        std::vector<std::thread> readers;
        bool agreed[3] = {false, false, false};
        for (int t = 0; t < 3; ++t)
            readers.emplace_back([&, t, copy = table] {
                agreed[t] = readsAgree(copy, bytes, quint32(t + 10), 300);
            });
        const bool here = readsAgree(table, bytes, 1, 300);
        for (std::thread &reader : readers)
            reader.join();
        QVERIFY(here);
        for (const bool other : agreed)
            QVERIFY(other);
        QVERIFY(!source->changed());
        QCOMPARE(source->substitutedPages(), quint64(0));
    }

    // Pages read before the change stay as read; no byte of the changed file
    // is ever shown (a file still open as it was is read on); the document
    // tells of it once.
    void changeOnDiskIsToldAndNeverShown_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("stillRead");
        QTest::newRow("truncated") << "truncate" << false;
        QTest::newRow("truncated to nothing") << "empty" << false;
        QTest::newRow("grown") << "grow" << false;
        QTest::newRow("rewritten in place") << "rewrite" << false;
        QTest::newRow("replaced by another file") << "replace" << true;
        QTest::newRow("removed") << "remove" << true;
    }
    void changeOnDiskIsToldAndNeverShown() {
        QFETCH(QString, change);
        QFETCH(bool, stillRead);
        QRandomGenerator random(5);
        const QByteArray bytes = randomBytes(random, 10000);
        const QString path = dir->filePath("file.bin");
        QVERIFY(writeFile(path, bytes));
        auto source = ondisk::openSource(path, 1000, 4);
        QVERIFY(source);
        ByteDocument document;
        QSignalSpy told(&document, &ByteDocument::originalChangedOnDisk);
        document.loadFile(source);
        // Read before the change: the first two pages.
        QCOMPARE(document.read(0, 2000), bytes.left(2000));

        // Ahead of the file's own timestamps, so that a change within their
        // granularity still shows.
        const QByteArray other = randomBytes(random, 10000);
        if (change == "truncate") {
            QVERIFY(QFile::resize(path, 4500));
        } else if (change == "empty") {
            QVERIFY(QFile::resize(path, 0));
        } else if (change == "grow") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::Append));
            file.write("more");
        } else if (change == "rewrite") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.write(other);
            file.close();
            QFile touched(path);
            QVERIFY(touched.open(QIODevice::ReadWrite));
            QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(5),
                                        QFileDevice::FileModificationTime));
        } else if (change == "replace") {
            QVERIFY(writeFile(dir->filePath("new.bin"), other));
            QVERIFY(QFile::rename(dir->filePath("new.bin"), path) ||
                    (QFile::remove(path) && QFile::rename(dir->filePath("new.bin"), path)));
        } else {
            QVERIFY(QFile::remove(path));
        }

        const QByteArray shown = document.read(0, document.size());
        QCOMPARE(document.size(), bytes.size());
        QCOMPARE(shown.left(2000), bytes.left(2000));
        const QByteArray rest = shown.mid(2000);
        QCOMPARE(rest, stillRead ? bytes.mid(2000) : QByteArray(rest.size(), '\0'));
        QVERIFY(document.originalChanged());
        QTRY_COMPARE(told.size(), 1);
        document.read(0, document.size());
        QTest::qWait(10);
        QCOMPARE(told.size(), 1);
    }

    // The new file is written whole from the old one before it takes the
    // name; a file with another name (a hard link) is written over in
    // place, after the old bytes are all read. The document reads on as
    // before, and its own save is no change by another program.
    void saveOntoTheFileItself_data() {
        QTest::addColumn<bool>("hardLink");
        QTest::newRow("a new file takes the name") << false;
        QTest::newRow("written over in place (hard link)") << true;
    }
    void saveOntoTheFileItself() {
        QFETCH(bool, hardLink);
        QRandomGenerator random(9);
        const QByteArray bytes = randomBytes(random, 50000);
        const QString path = dir->filePath("file.bin");
        QVERIFY(writeFile(path, bytes));
        if (hardLink)
            QCOMPARE(::link(QFile::encodeName(path).constData(),
                            QFile::encodeName(dir->filePath("link.bin")).constData()),
                     0);
        ByteDocument document;
        QSignalSpy told(&document, &ByteDocument::originalChangedOnDisk);
        document.loadFile(ondisk::openSource(path, 512, 2));
        // Every byte moves: each page written comes from a later page of the old file.
        document.replace(0, 0, "inserted at the start");
        document.replace(30000, 700, {});
        QByteArray expected = bytes;
        expected.insert(0, "inserted at the start");
        expected.remove(30000, 700);

        const document::SaveResult saved = document::save(path, document.bytes());
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(readFile(path), expected);
        if (hardLink)
            QCOMPARE(readFile(dir->filePath("link.bin")), expected);
        QCOMPARE(document.read(0, document.size()), expected);
        while (document.undo()) {
        }
        QCOMPARE(document.read(0, document.size()), bytes);
        QTest::qWait(10);
        QCOMPARE(told.size(), 0);
        QVERIFY(!document.originalChanged());
    }

    // Bytes the file can no longer give are never saved as 0: the save fails
    // and says why, and the file stays as the other program left it.
    void saveOfBytesNoLongerInTheFileFails() {
        QRandomGenerator random(3);
        const QByteArray bytes = randomBytes(random, 8000);
        const QString path = dir->filePath("file.bin");
        const QString target = dir->filePath("target.bin");
        QVERIFY(writeFile(path, bytes));
        QVERIFY(writeFile(target, "old"));
        ByteDocument document;
        document.loadFile(ondisk::openSource(path, 1000, 2));
        QCOMPARE(document.read(0, 1000), bytes.left(1000));
        QVERIFY(QFile::resize(path, 100));

        const document::SaveResult saved = document::save(target, document.bytes());
        QVERIFY(!saved.ok);
        QVERIFY2(saved.error.contains("изменён другой программой"), qPrintable(saved.error));
        QCOMPARE(readFile(target), QByteArray("old"));
        QCOMPARE(readFile(path).size(), 100);
    }
};

QTEST_GUILESS_MAIN(FileSourceTest)
#include "tst_filesource.moc"
