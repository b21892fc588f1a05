#include "bytedocument.h"
#include "debouncer.h"
#include "documentrecovery.h"
#include "nativename.h"
#include "piecetable.h"
#include "recoverystore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
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

QByteArray allBytes() {
    QByteArray bytes(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        bytes[b] = char(b);
    return bytes;
}

// The copies' files in a directory, hidden new files included.
QStringList filesIn(const QString &directory) {
    return QDir(directory).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

QByteArray readRaw(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

// The bytes a copy's file holds after its header.
QByteArray bytesOfCopy(const QString &path) {
    const QByteArray raw = readRaw(path);
    return raw.mid(raw.indexOf("\n\n") + 2);
}

mode_t modeOf(const QString &path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// Makes writing past a few bytes fail with "File too large", even for root.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        ::getrlimit(RLIMIT_FSIZE, &saved);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() {
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    rlimit saved{};
    void (*previousHandler)(int) = nullptr;
};

// The child process of killedProgramLeavesItsCopy: writes one copy and is
// killed while it holds it.
[[noreturn]] void writeCopyAndDie(const char *directory, const char *hexBytes) {
    recovery::HeldCopy copy;
    const QString error =
        copy.write(QString::fromLocal8Bit(directory), PieceTable(QByteArray::fromHex(hexBytes)),
                   QStringLiteral("/dumps/kkm.bin"), QDateTime::currentDateTimeUtc());
    if (!error.isEmpty())
        ::_exit(3);
    ::kill(::getpid(), SIGKILL);
    ::_exit(4);
}

} // namespace

class RecoveryTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> state;
    QString directory;

    // A document loaded from a file and edited into bytes, in several pieces.
    static void editInto(ByteDocument &document, const QByteArray &bytes) {
        document.load(QByteArray(100, 'x'));
        document.replace(0, 100, bytes.left(bytes.size() / 2));
        document.replace(document.size(), 0, bytes.mid(bytes.size() / 2));
    }

    QStringList copyFiles() const {
        return QDir(directory).entryList({QStringLiteral("*.kktrecovery")}, QDir::Files);
    }

private slots:
    // Every test has a state directory of its own, as the user's would be.
    void init() {
        state = std::make_unique<QTemporaryDir>();
        QVERIFY(state->isValid());
        qputenv("XDG_STATE_HOME", QFile::encodeName(state->path()));
        directory = state->filePath(QStringLiteral("kktview/recovery"));
        QCOMPARE(recovery::defaultDirectory(), directory);
    }

    void directoryFollowsXdgStateHome_data() {
        QTest::addColumn<QByteArray>("stateHome");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("set") << QByteArray("/srv/state/")
                             << QByteArray("/srv/state/kktview/recovery");
        QTest::newRow("empty") << QByteArray("")
                               << QByteArray("/home/u/.local/state/kktview/recovery");
        QTest::newRow("relative, ignored")
            << QByteArray("state") << QByteArray("/home/u/.local/state/kktview/recovery");
        QTest::newRow("not UTF-8")
            << QByteArray("/st\xE0te") << QByteArray("/st\xE0te/kktview/recovery");
    }
    void directoryFollowsXdgStateHome() {
        QFETCH(QByteArray, stateHome);
        QFETCH(QByteArray, expected);
        const QByteArray home = qgetenv("HOME");
        qputenv("HOME", "/home/u");
        qputenv("XDG_STATE_HOME", stateHome);
        const QString got = recovery::defaultDirectory();
        qputenv("HOME", home);
        QCOMPARE(nativename::encode(got), expected);
    }

    void droppedModifiedDocumentLeavesExactlyItsBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("origin");
        QTest::newRow("typed") << QByteArray("\x8D\xA0\xA7\xA2\xA0\xAD\xA8\xA5\r\n") << QString();
        QTest::newRow("every byte, from a 1251 name")
            << allBytes().repeated(300) << nativename::decode("/dumps/\xCA\xCA\xD2 1.bin");
        QTest::newRow("name with a line break and %")
            << QByteArray("\0\n\n\0", 4) << QStringLiteral("/tmp/a\nb%41.bin");
    }
    void droppedModifiedDocumentLeavesExactlyItsBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, origin);
        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setOriginFile(origin);
        const QDateTime before = QDateTime::currentDateTimeUtc().addMSecs(-1);
        editInto(document, bytes);
        recovery.keep();
        recovery.waitForWrites();

        const recovery::Store store;
        const std::vector<recovery::CopyInfo> copies = store.list();
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].size, qint64(bytes.size()));
        QCOMPARE(nativename::encode(copies[0].origin), nativename::encode(origin));
        QVERIFY(copies[0].written >= before &&
                copies[0].written <= QDateTime::currentDateTimeUtc());
        const QString path = directory + u'/' + copies[0].id + QStringLiteral(".kktrecovery");
        QCOMPARE(bytesOfCopy(path), bytes);
        QCOMPARE(modeOf(path), mode_t(0600));
        QCOMPARE(modeOf(directory), mode_t(0700));
        QCOMPARE(filesIn(directory).size(), 1);

        // The next document the recovery follows gets a copy of its own.
        editInto(document, "next");
        recovery.keep();
        recovery.waitForWrites();
        QCOMPARE(store.list().size(), size_t(2));
    }

    // Nothing for what needs no restoring: unmodified, back as saved, empty.
    void unmodifiedDocumentLeavesNothing_data() {
        QTest::addColumn<int>("what");
        QTest::newRow("loaded") << 0;
        QTest::newRow("edited and undone") << 1;
        QTest::newRow("emptied") << 2;
    }
    void unmodifiedDocumentLeavesNothing() {
        QFETCH(int, what);
        ByteDocument document;
        DocumentRecovery recovery(&document);
        document.load("saved bytes");
        if (what == 1) {
            document.replace(0, 5, "typed");
            document.undo();
        } else if (what == 2) {
            document.clear();
        }
        recovery.keep();
        recovery.waitForWrites();
        QVERIFY2(filesIn(directory).isEmpty(), qPrintable(filesIn(directory).join(u' ')));
    }

    // A live copy (written after the delay) goes when the document is
    // saved, is undone to what was saved, or is replaced by a loaded file.
    void savingOrUndoingRemovesTheCopy_data() {
        QTest::addColumn<int>("how");
        QTest::newRow("saved") << 0;
        QTest::newRow("undone") << 1;
        QTest::newRow("another file loaded after keep") << 2;
    }
    void savingOrUndoingRemovesTheCopy() {
        QFETCH(int, how);
        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setDelays(20, 1000);
        document.load("saved");
        document.replace(5, 0, " and edited");
        QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 1, 30000);
        QCOMPARE(recovery.store().list().size(), size_t(0)); // held, not offered

        if (how == 0) {
            document.setClean();
        } else if (how == 1) {
            document.undo();
        } else {
            document.replace(0, 0, "more ");
            recovery.keep();
            document.load("another file");
        }
        recovery.waitForWrites();
        QCOMPARE(copyFiles().size(), how == 2 ? 1 : 0);
        if (how == 2)
            QCOMPARE(bytesOfCopy(directory + u'/' + copyFiles()[0]),
                     QByteArray("more saved and edited"));
    }

    // Nothing is written until the edits pause for the delay; then the
    // copy holds the document as the last edit left it.
    void debounceWritesAfterTheDelay() {
        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setDelays(50, 60000);
        document.load("0123456789");
        for (char c = 'a'; c <= 'e'; ++c)
            document.replace(c - 'a', 0, QByteArray(1, c), ByteDocument::Step::Typing);
        recovery.waitForWrites();
        QVERIFY(copyFiles().isEmpty()); // no event loop yet, so no delay has passed
        QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 1, 30000);
        recovery.waitForWrites();
        QCOMPARE(bytesOfCopy(directory + u'/' + copyFiles()[0]), QByteArray("abcde0123456789"));
    }

    // Pokes that never pause still fire, after the longest delay.
    void debouncerFiresDuringEndlessPokes() {
        Debouncer debouncer(2000, 50);
        QSignalSpy fired(&debouncer, &Debouncer::fired);
        QDeadlineTimer deadline(30000);
        while (fired.isEmpty() && !deadline.hasExpired()) {
            debouncer.poke();
            QTest::qWait(5);
        }
        QVERIFY(!fired.isEmpty());
    }

    // A write that fails (a full disk) says so once, and the copy before it
    // stays whole.
    void failedWriteKeepsTheOldCopy() {
        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setDelays(0, 0);
        QSignalSpy failed(&recovery, &DocumentRecovery::writeFailed);
        document.load("file");
        document.replace(0, 0, "small ");
        QTRY_COMPARE_WITH_TIMEOUT(copyFiles().size(), 1, 30000);
        recovery.waitForWrites();
        {
            FileSizeLimit limit(4096);
            document.replace(0, 0, QByteArray(8192, 'x'));
            QTRY_COMPARE_WITH_TIMEOUT(failed.size(), 1, 30000);
            // Dropped: the failed write is tried again, and fails again.
            recovery.keep();
            recovery.waitForWrites();
            QCoreApplication::processEvents();
        }
        QCOMPARE(failed.size(), 1);
        QCOMPARE(filesIn(directory), copyFiles());
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
        const QString damaged = directory + QStringLiteral("/20240101-000000-3-c.kktrecovery");
        for (const QString &path : {left, writing}) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(whole) == whole.size());
        }
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(whole.chopped(1)) > 0);
        file.close();
        const int held = ::open(QFile::encodeName(writing).constData(), O_RDONLY | O_CLOEXEC);
        QVERIFY(held >= 0 && ::flock(held, LOCK_EX) == 0);

        QCOMPARE(recovery::Store().list().size(), size_t(0));
        ::close(held);
        QVERIFY(!QFile::exists(left));
        QVERIFY(QFile::exists(writing));
        QVERIFY(QFile::exists(damaged)); // unreadable, but never deleted unasked
    }

    // A program killed while it holds a copy loses its lock with its
    // process: the copy is offered at the next start, byte-exact.
    void killedProgramLeavesItsCopy() {
        const QByteArray bytes("\xCA\xCA\xD2\r\n\x00\xFF", 7);
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--write-copy-and-die"), directory,
                     QString::fromLatin1(bytes.toHex())});
        QVERIFY(child.waitForFinished(30000));
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);

        const recovery::Store store;
        const std::vector<recovery::CopyInfo> copies = store.list();
        QCOMPARE(copies.size(), size_t(1));
        QCOMPARE(copies[0].origin, QStringLiteral("/dumps/kkm.bin"));
        std::optional<recovery::TakenCopy> taken = store.take(copies[0].id);
        QVERIFY(taken);
        QCOMPARE(taken->bytes, bytes);
    }

    // Pruning keeps the newest left copies; held ones neither go nor count.
    void storeKeepsOnlyTheLastFew() {
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-1);
        recovery::HeldCopy oldestHeld;
        QVERIFY(oldestHeld.write(directory, PieceTable("held"), {}, start).isEmpty());
        recovery::HeldCopy newestHeld;
        QVERIFY(newestHeld.write(directory, PieceTable("held"), {}, start.addDays(1)).isEmpty());
        QStringList ids;
        for (int i = 1; i <= recovery::keptCopies + 2; ++i) {
            recovery::HeldCopy copy;
            QVERIFY(copy.write(directory, PieceTable(QByteArray::number(i)), {}, start.addSecs(i))
                        .isEmpty());
            ids.prepend(copy.id());
        }
        const recovery::Store store;
        store.prune();
        QStringList kept;
        for (const recovery::CopyInfo &copy : store.list())
            kept << copy.id;
        QCOMPARE(kept, ids.mid(0, recovery::keptCopies));
        QVERIFY(QFile::exists(directory + u'/' + oldestHeld.id() + ".kktrecovery"));
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
            QVERIFY(!store.remove(id));
            QString reason;
            QVERIFY(!store.take(id, &reason));
            QVERIFY(!reason.isEmpty());
        }
        QCOMPARE(copyFiles().size(), 2);

        firstRecovery.keep();
        firstRecovery.waitForWrites();
        const std::vector<recovery::CopyInfo> left = store.list();
        QCOMPARE(left.size(), size_t(1));
        QCOMPARE(store.take(left[0].id)->bytes, QByteArray("first"));
        QCOMPARE(copyFiles().size(), 2);
    }

    // Restoring gives the bytes back as an unsaved document, with its
    // origin; the copy goes on as the document's own until it is saved.
    void restoreGivesTheBytesBack() {
        const QByteArray bytes = allBytes().repeated(3);
        const QString origin = nativename::decode("/dumps/\xEA\xEB\xE8\xF8\xE5.bin");
        QString id;
        {
            ByteDocument lost;
            DocumentRecovery recovery(&lost);
            recovery.setOriginFile(origin);
            editInto(lost, bytes);
        } // dropped with the window, unasked

        ByteDocument document;
        DocumentRecovery recovery(&document);
        recovery.setOriginFile(QStringLiteral("/typed/before.bin"));
        document.replace(0, 0, "typed before");
        const std::vector<recovery::CopyInfo> copies = recovery.store().list();
        QCOMPARE(copies.size(), size_t(1));
        const auto restored = recovery.restore(copies[0].id);
        QVERIFY(restored);
        QCOMPARE(document.read(0, document.size()), bytes);
        QVERIFY(document.isModified());
        QCOMPARE(recovery.originFile(), origin);
        recovery.waitForWrites();
        // The document typed before it was kept; the restored one is held.
        const std::vector<recovery::CopyInfo> left = recovery.store().list();
        QCOMPARE(left.size(), size_t(1));
        QCOMPARE(nativename::encode(left[0].origin), QByteArray("/typed/before.bin"));
        QCOMPARE(copyFiles().size(), 2);
        QVERIFY(!recovery.store().take(copies[0].id));

        document.replace(0, 1, "!");
        recovery.keep();
        recovery.waitForWrites();
        QCOMPARE(bytesOfCopy(directory + u'/' + copies[0].id + ".kktrecovery"), "!" + bytes.mid(1));
        QVERIFY(recovery.restore(copies[0].id));
        document.setClean();
        recovery.waitForWrites();
        QVERIFY(!QFile::exists(directory + u'/' + copies[0].id + ".kktrecovery"));
    }
};

int main(int argc, char *argv[]) {
    if (argc == 4 && qstrcmp(argv[1], "--write-copy-and-die") == 0)
        writeCopyAndDie(argv[2], argv[3]);
    QCoreApplication app(argc, argv);
    RecoveryTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recovery.moc"
