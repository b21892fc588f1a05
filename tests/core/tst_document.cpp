#include "document.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

using Status = document::LoadResult::Status;

constexpr qint64 noLimit = qint64(1) << 40;

QByteArray allBytes() {
    QByteArray bytes(256, Qt::Uninitialized);
    for (int b = 0; b < 256; ++b)
        bytes[b] = char(b);
    return bytes;
}

void writeRaw(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot prepare %s", qPrintable(path));
}

QByteArray readRaw(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
}

// A tmpfs of its own for one test; mounting needs root or CAP_SYS_ADMIN.
class ScratchMount {
public:
    ScratchMount(const QString &where, const char *options)
        : path(QFile::encodeName(where)), options(options) {
        mounted = ::mount("tmpfs", path.constData(), "tmpfs", 0, options) == 0;
    }
    ~ScratchMount() {
        if (mounted)
            ::umount2(path.constData(), MNT_DETACH);
    }
    bool isMounted() const { return mounted; }
    bool remountReadOnly() {
        return ::mount("tmpfs", path.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, options) == 0;
    }

private:
    QByteArray path;
    const char *options;
    bool mounted = false;
};

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

mode_t fileType(const QString &path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
}

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT

public:
    enum class Obstacle { FileSizeLimit, FullFileSystem, ReadOnlyDirectory };
    Q_ENUM(Obstacle)

private:
    std::optional<QTemporaryDir> dir;

private slots:
    void init() { dir.emplace(); }
    void cleanup() {
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        dir.reset();
    }

    void loadAndSaveKeepEveryByte_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("all byte values") << allBytes();
        QTest::newRow("CR LF") << QByteArray("A\r\nB");
        QTest::newRow("lone LF") << QByteArray("A\nB");
        QTest::newRow("lone CR") << QByteArray("A\rB");
        QTest::newRow("byte 0") << QByteArray(1, '\0');
        QTest::newRow("byte 152") << QByteArray(1, '\x98');
        QByteArray big(3 << 20, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32 *>(big.data()), big.size() / 4);
        QTest::newRow("3 MiB of random bytes") << big;
    }
    void loadAndSaveKeepEveryByte() {
        QFETCH(QByteArray, bytes);
        const QString source = dir->filePath("source.bin");
        const QString target = dir->filePath("target.bin");
        writeRaw(source, bytes);
        writeRaw(target, QByteArray(bytes.size() + 100, 'x'));

        const auto loaded = document::load(source, noLimit);
        QCOMPARE(loaded.status, Status::Loaded);
        QCOMPARE(loaded.bytes, bytes);

        QVERIFY(document::save(target, loaded.bytes).ok);
        QCOMPARE(readRaw(target), bytes);
        QVERIFY(document::save(dir->filePath("new.bin"), loaded.bytes).ok);
        QCOMPARE(readRaw(dir->filePath("new.bin")), bytes);
    }

    void emptyFileIsRefused() {
        writeRaw(dir->filePath("empty"), {});
        const auto loaded = document::load(dir->filePath("empty"), noLimit);
        QCOMPARE(loaded.status, Status::Empty);
        QVERIFY(loaded.bytes.isEmpty());
    }

    void unreadablePathsFailWithAReason_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("directory") << QString(".");
        QTest::newRow("missing file") << QString("missing.bin");
        QTest::newRow("file without read permission") << QString("secret.bin");
        QTest::newRow("named pipe without a writer") << QString("pipe");
    }
    void unreadablePathsFailWithAReason() {
        QFETCH(QString, name);
        if (name == "secret.bin") {
            if (::geteuid() == 0)
                QSKIP("root reads every file");
            writeRaw(dir->filePath(name), "data");
            QFile::setPermissions(dir->filePath(name), QFile::WriteOwner);
        }
        if (name == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(dir->filePath(name)).constData(), 0600), 0);
        const auto loaded = document::load(dir->filePath(name), noLimit);
        QCOMPARE(loaded.status, Status::Failed);
        QVERIFY(!loaded.error.isEmpty());
    }

    void filesOverTheLimitAreTooLarge_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<Status>("status");
        QTest::newRow("one byte over") << "four" << qint64(3) << Status::TooLarge;
        QTest::newRow("at the limit") << "four" << qint64(4) << Status::Loaded;
        QTest::newRow("endless device") << "/dev/zero" << qint64(4096) << Status::TooLarge;
        QTest::newRow("size 0 but content") << "/proc/self/status" << noLimit << Status::Loaded;
    }
    void filesOverTheLimitAreTooLarge() {
        QFETCH(QString, path);
        QFETCH(qint64, maxBytes);
        QFETCH(Status, status);
        writeRaw(dir->filePath("four"), "four");
        const auto loaded = document::load(QDir(dir->path()).filePath(path), maxBytes);
        QCOMPARE(loaded.status, status);
        QCOMPARE(loaded.bytes.isEmpty(), status != Status::Loaded);
    }

    void saveIntoMissingDirectoryFails() {
        const QString target = dir->filePath("missing/target.bin");
        const auto result = document::save(target, "data");
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QVERIFY(!QFile::exists(target));
    }

    void failedSaveLeavesTheTargetAsItWas_data() {
        QTest::addColumn<Obstacle>("obstacle");
        QTest::newRow("file size limit") << Obstacle::FileSizeLimit;
        QTest::newRow("full file system") << Obstacle::FullFileSystem;
        QTest::newRow("read-only directory") << Obstacle::ReadOnlyDirectory;
    }
    void failedSaveLeavesTheTargetAsItWas() {
        QFETCH(Obstacle, obstacle);
        const QString where = dir->filePath("place");
        QVERIFY(QDir().mkpath(where));
        const bool chmodProtects = ::geteuid() != 0;
        std::optional<ScratchMount> mount;
        if (obstacle == Obstacle::FullFileSystem ||
            (obstacle == Obstacle::ReadOnlyDirectory && !chmodProtects)) {
            mount.emplace(where, "size=64k");
            if (!mount->isMounted())
                QSKIP("mounting a tmpfs needs root");
        }
        const QString target = where + "/target.bin";
        writeRaw(target, allBytes());

        std::optional<FileSizeLimit> limit;
        if (obstacle == Obstacle::FileSizeLimit)
            limit.emplace(4096);
        if (obstacle == Obstacle::ReadOnlyDirectory) {
            if (mount)
                QVERIFY(mount->remountReadOnly());
            else
                QFile::setPermissions(where, QFile::ReadOwner | QFile::ExeOwner);
        }
        const auto result = document::save(target, QByteArray(1 << 20, 'x'));
        limit.reset();
        QFile::setPermissions(where, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(readRaw(target), allBytes());
        QCOMPARE(QDir(where).entryList(QDir::Files | QDir::Hidden), QStringList{"target.bin"});
    }

    void specialFilesAreNeverReplaced_data() {
        QTest::addColumn<mode_t>("type");
        QTest::newRow("pipe") << mode_t(S_IFIFO);
        QTest::newRow("device like /dev/full") << mode_t(S_IFCHR);
        QTest::newRow("directory") << mode_t(S_IFDIR);
    }
    void specialFilesAreNeverReplaced() {
        QFETCH(mode_t, type);
        const QString path = dir->filePath("special");
        const QByteArray native = QFile::encodeName(path);
        const int made = type == S_IFDIR ? ::mkdir(native.constData(), 0755)
                                         : ::mknod(native.constData(), type | 0666, makedev(1, 7));
        if (made != 0)
            QSKIP("this machine does not let the test make such a file");

        const auto result = document::save(path, "data");
        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(fileType(path), type);
    }
};

QTEST_APPLESS_MAIN(DocumentTest)
#include "tst_document.moc"
