#include "../allbytes.h"
#include "base/sizebounds.h"
#include "document/bytedocument.h"
#include "document/piecetable.h"
#include "io/nativename.h"
#include "recovery/documentrecovery.h"
#include "recovery/recoverystore.h"

#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

// Recovery copies: what a dropped, saved, undone or killed document leaves,
// and what comes back from it.
namespace {

// The bytes a copy's file holds after its header.
QByteArray bytesOfCopy(const QString &path) {
    QFile file(path);
    const QByteArray raw = file.open(QIODevice::ReadOnly) ? file.readAll() : "unreadable";
    return raw.mid(raw.indexOf("\n\n") + 2);
}

// A copy's file made by hand: a header, the bytes after it, then a hole of
// that many zero bytes, which takes no room on the disk. False where the file
// system cannot make the hole.
bool writeCopyFile(const QString &path, const QByteArray &header, const QByteArray &bytes,
                   qint64 hole = 0) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header + bytes) > 0 &&
           file.resize(file.size() + hole);
}

mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// A document loaded from a file and edited into bytes, in several pieces.
void editInto(ByteDocument &document, const QByteArray &bytes) {
    document.load(QByteArray(100, 'x'));
    document.replace(0, 100, bytes.left(bytes.size() / 2));
    document.replace(document.size(), 0, bytes.mid(bytes.size() / 2));
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> state;
    QString directory;
    // What happens to an edited document before it is dropped.
    enum Then { Keep, Undo, Clear, WaitAndSave, WaitAndUndo };

    QStringList copyFiles() const {
        return QDir(directory).entryList({QStringLiteral("*.kktrecovery")}, QDir::Files);
    }
    QString pathOf(const QString &id) const {
        return directory + u'/' + id + QStringLiteral(".kktrecovery");
    }

private slots:
    // Every test has a state directory of its own, as the user's would be.
    void init() {
        state = std::make_unique<QTemporaryDir>();
        qputenv("XDG_STATE_HOME", QFile::encodeName(state->path()));
        directory = state->filePath(QStringLiteral("kktview/recovery"));
        QCOMPARE(recovery::defaultDirectory(), directory);
    }

    void directoryIgnoresAnEmptyOrRelativeStateHome() {
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "/home/u");
        for (const char *ignored : {"", "state"}) {
            qputenv("XDG_STATE_HOME", ignored);
            QCOMPARE(recovery::defaultDirectory(),
                     QStringLiteral("/home/u/.local/state/kktview/recovery"));
        }
        qputenv("HOME", home);
    }

    // A modified document dropped leaves exactly its bytes and its file's
    // name; what needs no restoring leaves nothing. A copy is written once
    // the edits pause for the delay, and goes when the document is saved or
    // undone to what was saved.
    void documentLeavesItsBytesOrNothing_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: nothing is left
        QTest::addColumn<QString>("origin");
        QTest::addColumn<int>("then");
        QTest::newRow("typed") << QByteArray("\x8D\xA0\xA7\r\n") << QString() << int(Keep);
        QTest::newRow("every byte, from a 1251 name")
            << allBytes().repeated(300) << nativename::decode("/dumps/\xCA\xCA\xD2.bin")
            << int(Keep);
        QTest::newRow("name with a line break and %")
            << QByteArray("\0\n\n\0", 4) << QStringLiteral("/tmp/a\nb%41") << int(Keep);
        QTest::newRow("undone before the drop") << QByteArray() << QString() << int(Undo);
        QTest::newRow("emptied") << QByteArray() << QString() << int(Clear);
        QTest::newRow("written after the delay, saved")
            << QByteArray() << QString() << int(WaitAndSave);
        QTest::newRow("written after the delay, undone")
            << QByteArray() << QString() << int(WaitAndUndo);
    }
    void documentLeavesItsBytesOrNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, origin);
        QFETCH(int, then);
        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setDelays(10, 1000);
        document.setFile(FileIdentity::of(origin));
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        editInto(document, bytes.isEmpty() ? QByteArray("edit") : bytes);
        recovery.waitForWrites();
        QVERIFY(copyFiles().isEmpty()); // no event loop yet, so no delay has passed
        if (then == WaitAndSave || then == WaitAndUndo) {
            QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 1, 30000);
            recovery.waitForWrites();
            QCOMPARE(bytesOfCopy(directory + u'/' + copyFiles()[0]), QByteArray("edit"));
        }
        if (then == Undo || then == WaitAndUndo) {
            while (document.canUndo())
                document.undo();
        } else if (then == Clear) {
            document.clear();
        } else if (then == WaitAndSave) {
            document.setClean();
        }
        recovery.keep();
        recovery.waitForWrites();
        const recovery::Store store;
        const std::vector<recovery::CopyInfo> copies = store.list();
        if (bytes.isEmpty()) {
            QVERIFY2(QDir(directory).isEmpty(QDir::Files | QDir::Hidden),
                     qPrintable(copyFiles().join(u' ')));
            return;
        }
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].size, qint64(bytes.size()));
        QCOMPARE(nativename::encode(copies[0].origin), nativename::encode(origin));
        QVERIFY(copies[0].written >= before &&
                copies[0].written <= QDateTime::currentDateTimeUtc());
        QCOMPARE(store.take(copies[0].id)->bytes, bytes);
        QCOMPARE(modeOf(pathOf(copies[0].id)), mode_t(0600));
        QCOMPARE(modeOf(directory), mode_t(0700));
        QCOMPARE(QDir(directory).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    // A write that fails (here past the file size limit, as on a full disk)
    // says so once, and the copy before it stays whole.
    void failedWriteKeepsTheOldCopy() {
        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setDelays(0, 0);
        QSignalSpy failed(&recovery, &DocumentRecovery::writeFailed);
        document.load("file");
        document.replace(0, 0, "small ");
        QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 1, 30000);
        recovery.waitForWrites();
        rlimit saved{};
        ::getrlimit(RLIMIT_FSIZE, &saved);
        const rlimit limit{4096, saved.rlim_max};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        std::signal(SIGXFSZ, SIG_IGN);
        document.replace(0, 0, QByteArray(8192, 'x'));
        QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
        recovery.keep(); // tried again, and failing again
        recovery.waitForWrites();
        QCoreApplication::processEvents();
        ::setrlimit(RLIMIT_FSIZE, &saved);
        QCOMPARE(failed.size(), 1);
        QCOMPARE(QDir(directory).entryList(QDir::Files | QDir::Hidden), copyFiles());
        QCOMPARE(bytesOfCopy(directory + u'/' + copyFiles()[0]), QByteArray("small file"));
    }

    // A new file that a killed write left is no copy, and a listing removes
    // it; one that a write in progress holds stays.
    void killedWriterLeavesNoCopy() {
        QVERIFY(QDir().mkpath(directory));
        const QByteArray whole = "KKTVIEW RECOVERY 1\nwritten 2024-01-01T00:00:00.000Z\nsize 3\n"
                                 "origin \n\nabc";
        const QString left = directory + QStringLiteral("/.20240101-000000-1-a.kktrecovery-xy");
        const QString writing = directory + QStringLiteral("/.20240101-000000-2-b.kktrecovery-z");
        for (const QString &path : {left, writing}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(whole) == whole.size());
        }
        const int held = ::open(QFile::encodeName(writing).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);
        QCOMPARE(recovery::Store().list().size(), size_t(0));
        ::close(held);
        QVERIFY(!QFile::exists(left));
        QVERIFY(QFile::exists(writing));
    }

    // A copy whose header's size is not what follows it in the file, or is
    // more than the program opens, is listed as damaged and never taken: no
    // room of its size is made, nothing of it is read.
    void copyWhoseSizeDisagreesIsDamaged_data() {
        QTest::addColumn<QByteArray>("size"); // as the header says it
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("hole");
        const qint64 hundredGiB = qint64(100) << 30;
        QTest::newRow("bigger than the file") << QByteArray("4") << QByteArray("abc") << 0LL;
        QTest::newRow("smaller than the file") << QByteArray("2") << QByteArray("abc") << 0LL;
        QTest::newRow("100 GiB, 3 bytes in the file")
            << QByteArray::number(hundredGiB) << QByteArray("abc") << 0LL;
        QTest::newRow("100 GiB, a hole as large")
            << QByteArray::number(hundredGiB) << QByteArray("abc") << hundredGiB - 3;
        QTest::newRow("a byte more than a copy holds, a hole as large")
            << QByteArray::number(sizebounds::recoveryCopyAtMost + 1) << QByteArray("abc")
            << sizebounds::recoveryCopyAtMost - 2;
    }
    void copyWhoseSizeDisagreesIsDamaged() {
        QFETCH(QByteArray, size);
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, hole);
        QVERIFY(QDir().mkpath(directory));
        const QByteArray header = "KKTVIEW RECOVERY 1\nwritten 2024-01-01T00:00:00.000Z\nsize " +
                                  size + "\norigin /d/a.bin\n\n";
        const QString id = QStringLiteral("20240101-000000-1-a");
        if (!writeCopyFile(pathOf(id), header, bytes, hole))
            QSKIP("no file with a hole here");
        const std::vector<recovery::CopyInfo> copies = recovery::Store().list();
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].id, id);
        QVERIFY2(copies[0].damage.startsWith(QStringLiteral("Копия повреждена: ")),
                 qPrintable(copies[0].damage));
        QString reason;
        QVERIFY(!recovery::Store().take(id, &reason));
        QCOMPARE(reason, copies[0].damage);
        QVERIFY(QFile::exists(pathOf(id)));
    }

    // A bit changed in a copy's bytes after they were written is told at
    // restoring, never restored as if whole. The copies of the release
    // before have no checksum: theirs are restored as they are.
    void changedBitIsToldNotRestored_data() {
        QTest::addColumn<bool>("oldFormat");
        QTest::addColumn<int>("offset"); // into the bytes
        QTest::newRow("first byte") << false << 0;
        QTest::newRow("a byte in the middle") << false << 300;
        QTest::newRow("last byte") << false << 767;
        QTest::newRow("old copy without checksum") << true << 300;
    }
    void changedBitIsToldNotRestored() {
        QFETCH(bool, oldFormat);
        QFETCH(int, offset);
        const QByteArray bytes = allBytes().repeated(3);
        QByteArray changed = bytes;
        changed[offset] = char(changed[offset] ^ 0x10);
        const QString id = QStringLiteral("20240101-000000-1-a");
        if (oldFormat) {
            QVERIFY(QDir().mkpath(directory));
            QVERIFY(writeCopyFile(pathOf(id),
                                  "KKTVIEW RECOVERY 1\nwritten 2024-01-01T00:00:00.000Z\nsize 768\n"
                                  "origin /d/%CA.bin\n\n",
                                  changed));
        } else {
            recovery::HeldCopy copy;
            QVERIFY(copy.write(directory, PieceTable(bytes), {}, QDateTime::currentDateTimeUtc())
                        .isEmpty());
            QFile file(pathOf(copy.id()));
            QVERIFY(file.open(QIODevice::ReadWrite));
            const QByteArray written = file.readAll();
            QVERIFY(file.seek(written.size() - bytes.size() + offset) &&
                    file.write(changed.mid(offset, 1)) == 1);
            file.close();
            QVERIFY(QFile::rename(file.fileName(), pathOf(id)));
        }
        const recovery::Store store;
        QCOMPARE(store.list().size(), size_t(1));
        QVERIFY(store.list()[0].damage.isEmpty());
        QString reason;
        const std::optional<recovery::TakenCopy> taken = store.take(id, &reason);
        if (oldFormat) {
            QVERIFY2(taken, qPrintable(reason));
            QCOMPARE(taken->bytes, changed);
            QCOMPARE(taken->info.origin, nativename::decode("/d/\xCA.bin"));
        } else {
            QVERIFY(!taken);
            QVERIFY2(reason.startsWith(QStringLiteral("Копия повреждена: ")), qPrintable(reason));
        }
    }

    // The program's state directory and its copies' directory are the user's
    // alone, however an earlier start left them; the one above is not the
    // program's and stays as it is.
    void directoriesArePrivate_data() {
        QTest::addColumn<int>("stateMode"); // 0: missing
        QTest::addColumn<int>("recoveryMode");
        QTest::newRow("neither there") << 0 << 0;
        QTest::newRow("state directory left open") << 0755 << 0;
        QTest::newRow("both left open") << 0755 << 0775;
    }
    void directoriesArePrivate() {
        QFETCH(int, stateMode);
        QFETCH(int, recoveryMode);
        const QString program = state->filePath(QStringLiteral("kktview"));
        QVERIFY(::chmod(QFile::encodeName(state->path()).constData(), 0755) == 0);
        for (const auto &[path, mode] :
             {std::pair(program, stateMode), std::pair(directory, recoveryMode)}) {
            if (mode != 0) {
                QVERIFY(QDir().mkdir(path));
                QVERIFY(::chmod(QFile::encodeName(path).constData(), mode_t(mode)) == 0);
            }
        }
        recovery::HeldCopy copy;
        QVERIFY(
            copy.write(directory, PieceTable("x"), {}, QDateTime::currentDateTimeUtc()).isEmpty());
        QCOMPARE(modeOf(program), mode_t(0700));
        QCOMPARE(modeOf(directory), mode_t(0700));
        QCOMPARE(modeOf(state->path()), mode_t(0755));
    }

    // Pruning keeps the newest left copies; held ones neither go nor count.
    void storeKeepsOnlyTheLastFew() {
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
        recovery::HeldCopy oldestHeld;
        recovery::HeldCopy newestHeld;
        QVERIFY(oldestHeld.write(directory, PieceTable("held"), {}, start).isEmpty());
        QVERIFY(newestHeld.write(directory, PieceTable("held"), {}, start.addDays(1)).isEmpty());
        QStringList newestFirst;
        for (int i = 1; i <= recovery::keptCopies + 2; ++i) {
            recovery::HeldCopy copy;
            QVERIFY(copy.write(directory, PieceTable("left"), {}, start.addSecs(i)).isEmpty());
            newestFirst.prepend(copy.id());
        }
        const recovery::Store store;
        store.prune();
        QStringList kept;
        for (const recovery::CopyInfo &copy : store.list())
            kept << copy.id;
        QCOMPARE(kept, newestFirst.mid(0, recovery::keptCopies));
        QCOMPARE(copyFiles().size(), recovery::keptCopies + 2);
    }

    // Two programs in one directory: neither offers, takes, removes nor
    // prunes the copy the other holds.
    void twoStoresKeepEachOthersLiveCopies() {
        ByteDocument first;
        ByteDocument second;
        DocumentRecovery firstRecovery(&first);
        DocumentRecovery secondRecovery(&second);
        firstRecovery.setDelays(0, 0);
        secondRecovery.setDelays(0, 0);
        editInto(first, "first");
        editInto(second, "second");
        QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 2, 30000);
        firstRecovery.waitForWrites();
        secondRecovery.waitForWrites();

        const recovery::Store store;
        QCOMPARE(store.list().size(), size_t(0));
        store.prune(0);
        for (const QString &file : copyFiles()) {
            const QString id = file.chopped(int(qstrlen(".kktrecovery")));
            QString reason;
            QVERIFY(!store.remove(id) && !store.take(id, &reason) && !reason.isEmpty());
        }
        QCOMPARE(copyFiles().size(), 2);
    }

    // Restoring gives the bytes back as an unsaved document with its origin,
    // after keeping the document it replaces; the copy goes on as the
    // document's own (no other can take it) until it is saved.
    void restoreGivesTheBytesBack() {
        const QString origin = nativename::decode("/dumps/\xEA\xEB.bin");
        {
            ByteDocument lost;
            DocumentRecovery recovery(&lost);
            lost.setFile(FileIdentity::of(origin));
            editInto(lost, allBytes());
        } // dropped with the window, unasked
        ByteDocument document;
        DocumentRecovery recovery(&document);
        document.replace(0, 0, "typed before");
        const QString id = recovery.store().list().at(0).id;
        QVERIFY(recovery.restore(id));
        QVERIFY(document.isModified() && document.read(0, 256) == allBytes());
        QCOMPARE(document.file().path, origin);
        recovery.waitForWrites();
        QVERIFY(!recovery.store().take(id));
        QCOMPARE(recovery.store().take(recovery.store().list().at(0).id)->bytes, "typed before");
        document.replace(0, 1, "!");
        document.setClean();
        recovery.waitForWrites();
        QVERIFY(!QFile::exists(pathOf(id)));
    }
};

QTEST_GUILESS_MAIN(RecoveryTest)

#include "tst_recovery.moc"
