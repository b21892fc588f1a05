// The input pane over a file far larger than it shows, read on demand: the
// first paint, a move to the end, a page from there and selecting all read
// what is shown and the rows around it, never the whole file, and lay out
// no more than that.

#include "../testfonts.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/filesource.h"
#include "inputpane.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A file that counts the bytes read from it.
class CountingFile : public QFile {
public:
    using QFile::QFile;
    qint64 bytesRead = 0;

protected:
    qint64 readData(char *data, qint64 maxSize) override {
        const qint64 got = QFile::readData(data, maxSize);
        bytesRead += std::max<qint64>(0, got);
        return got;
    }
};

constexpr qint64 mebibyte = 1024 * 1024;

} // namespace

class LargeFileTest : public QObject {
    Q_OBJECT

private slots:
    void onlyWhatIsShownIsRead_data() {
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<bool>("atEnd");
        QTest::newRow("first paint") << QStringList() << false;
        QTest::newRow("Ctrl+End") << QStringList{"Ctrl+End"} << true;
        QTest::newRow("Ctrl+End, PgUp, Up") << QStringList{"Ctrl+End", "PgUp", "Up"} << false;
        QTest::newRow("Ctrl+A") << QStringList{"Ctrl+A"} << true;
        QTest::newRow("Ctrl+End, Ctrl+Home, PgDown")
            << QStringList{"Ctrl+End", "Ctrl+Home", "PgDown"} << false;
    }
    void onlyWhatIsShownIsRead() {
        QFETCH(QStringList, keys);
        QFETCH(bool, atEnd);
        // 256 MiB of zeros, sparse where the file system can.
        const qint64 size = 256 * mebibyte;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.bin"));
        {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            QVERIFY(file.resize(size));
        }
        auto file = std::make_unique<CountingFile>(path);
        QVERIFY(file->open(QIODevice::ReadOnly));
        CountingFile *counted = file.get();
        ByteDocument document;
        document.loadFile(std::make_shared<FileSource>(std::move(file), path));
        QCOMPARE(document.size(), size);
        ByteSelection selection(&document);
        InputPane pane(&document, &selection);
        pane.resize(400, 300);
        pane.show();
        QVERIFY(QTest::qWaitForWindowExposed(&pane));
        pane.setFocus();
        pane.viewport()->repaint();
        for (const QString &key : keys) {
            const QKeyCombination combination = QKeySequence(key, QKeySequence::PortableText)[0];
            QTest::keyClick(&pane, combination.key(), combination.keyboardModifiers());
            pane.viewport()->repaint();
        }
        QCOMPARE(selection.caret() == size, atEnd);
        QVERIFY2(counted->bytesRead <= 16 * mebibyte,
                 qPrintable(QStringLiteral("%1 bytes read").arg(counted->bytesRead)));
        // What was never shown holds a chunk's estimate, not its segments.
        QVERIFY(pane.rowLayout().segmentCount() < size / RowLayout::chunkBytes + 2000);
    }
};

KKTVIEW_TEST_MAIN(LargeFileTest)
#include "tst_largefile.moc"
