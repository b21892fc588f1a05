#include "../allbytes.h"
#include "../testfiles.h"
#include "base/sizebounds.h"
#include "document/piecetable.h"
#include "io/document.h"
#include "io/systemerror.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <fcntl.h>
#include <functional>
#include <grp.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <optional>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace {

using Status = document::LoadResult::Status;

constexpr qint64 noLimit = qint64(1) << 40;

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

struct stat statOf(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        qFatal("cannot stat %s", qPrintable(path));
    return st;
}

QByteArray attributeValue(const QString &path, const char *name) {
    char value[64];
    const ssize_t n = ::getxattr(QFile::encodeName(path).constData(), name, value, sizeof value);
    return n < 0 ? QByteArray("<none>") : QByteArray(value, n);
}

int hardLink(const QString &from, const QString &to) {
    return ::link(QFile::encodeName(from).constData(), QFile::encodeName(to).constData());
}

constexpr uid_t nobody = 65534;

// Saves in a child process that `prepare` sets up first. Nothing when the
// child was killed or could not be set up.
std::optional<document::SaveResult> saveInChild(const std::function<bool()> &prepare,
                                                const QString &path, const QByteArray &bytes) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        qFatal("no pipe");
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeEnds[0]);
        if (!prepare())
            ::_exit(2);
        const QByteArray reason = document::save(path, bytes).error.toUtf8();
        const bool sent = ::write(pipeEnds[1], reason.constData(), reason.size()) == reason.size();
        ::_exit(sent ? 0 : 2);
    }
    ::close(pipeEnds[1]);
    QByteArray reason;
    char buffer[256];
    for (ssize_t n; (n = ::read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
        reason.append(buffer, n);
    ::close(pipeEnds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return document::SaveResult{reason.isEmpty(), QString::fromUtf8(reason)};
}

// Saves as root, or in a child process that runs as the user nobody.
document::SaveResult saveAs(uid_t user, const QString &path, const QByteArray &bytes) {
    if (user == 0)
        return document::save(path, bytes);
    const auto result = saveInChild(
        [user] {
            return ::setgroups(0, nullptr) == 0 && ::setgid(user) == 0 && ::setuid(user) == 0;
        },
        path, bytes);
    return result.value_or(document::SaveResult{false, QStringLiteral("the child process failed")});
}

// From now on these system calls of this process fail with `error`, or kill
// it when error is 0, as a failing disk or a kill at that moment would.
bool failSystemCalls(std::initializer_list<long> calls, int error) {
    std::vector<sock_filter> filter;
    filter.push_back(BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)));
    for (const long call : calls) {
        filter.push_back(BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, quint32(call), 0, 1));
        filter.push_back(
            BPF_STMT(BPF_RET | BPF_K, error ? SECCOMP_RET_ERRNO | quint32(error & SECCOMP_RET_DATA)
                                            : SECCOMP_RET_KILL_PROCESS));
    }
    filter.push_back(BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW));
    const sock_fprog program{static_cast<unsigned short>(filter.size()), filter.data()};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

const std::initializer_list<long> renameCalls = {SYS_rename, SYS_renameat, SYS_renameat2};

} // namespace

class DocumentTest : public QObject {
    Q_OBJECT

public:
    enum class Obstacle { FileSizeLimit, FullFileSystem, ReadOnlyFileSystem };
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
        QVERIFY(writeFile(source, bytes));
        QVERIFY(writeFile(target, QByteArray(bytes.size() + 100, 'x')));

        const auto loaded = document::load(source, noLimit);
        QCOMPARE(loaded.status, Status::Loaded);
        // A large file is read on demand, a small one whole.
        QCOMPARE(bool(loaded.file), bytes.size() >= sizebounds::readWholeBelow);
        const PieceTable table = loaded.file ? PieceTable(loaded.file) : PieceTable(loaded.bytes);
        QCOMPARE(table.read(0, table.size()), bytes);

        QVERIFY(document::save(target, table).ok);
        QCOMPARE(readFile(target), bytes);
        QVERIFY(document::save(dir->filePath("new.bin"), table).ok);
        QCOMPARE(readFile(dir->filePath("new.bin")), bytes);
    }

    // The document held as pieces is written run by run, never joined.
    void partsAreWrittenInOrder() {
        PieceTable table(QByteArray("0123456789"));
        table.replace(2, 3, QByteArrayView("ab"));
        table.replace(0, 0, QByteArrayView("<"));
        table.replace(table.size(), 0, QByteArrayView(QByteArray(70000, 'z')));
        QVERIFY(table.pieceCount() > 3);
        const QString target = dir->filePath("target.bin");
        QVERIFY(writeFile(target, QByteArray(100000, 'x')));

        QVERIFY(document::save(target, table).ok);
        QCOMPARE(readFile(target), "<01ab56789" + QByteArray(70000, 'z'));
        QVERIFY(document::save(target, std::vector<QByteArrayView>{"a", {}, "bc", "d"}).ok);
        QCOMPARE(readFile(target), QByteArray("abcd"));
    }

    void emptyFileIsRefused() {
        QVERIFY(writeFile(dir->filePath("empty"), {}));
        const auto loaded = document::load(dir->filePath("empty"), noLimit);
        QCOMPARE(loaded.status, Status::Empty);
        QVERIFY(loaded.bytes.isEmpty());
    }

    // Anything but a regular file is refused before it is opened: reading a
    // terminal or a pipe without a writer would wait for ever.
    void unreadablePathsFailWithAReason_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("directory") << QString(".") << QString("Это папка, а не файл.");
        QTest::newRow("missing file")
            << QString("missing.bin") << QString("Нет такого файла или каталога");
        QTest::newRow("file without read permission")
            << QString("secret.bin") << QString("Отказано в доступе");
        QTest::newRow("named pipe without a writer")
            << QString("pipe") << QString("Это именованный канал, а не обычный файл.");
        QTest::newRow("pseudo-terminal")
            << QString("pty") << QString("Это устройство (терминал, порт), а не обычный файл.");
        QTest::newRow("endless device")
            << QString("/dev/zero")
            << QString("Это устройство (терминал, порт), а не обычный файл.");
        QTest::newRow("socket") << QString("socket") << QString("Это сокет, а не обычный файл.");
    }
    void unreadablePathsFailWithAReason() {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QString path = QDir(dir->path()).filePath(name);
        if (name == "secret.bin") {
            if (::geteuid() == 0)
                QSKIP("root reads every file");
            QVERIFY(writeFile(path, "data"));
            QFile::setPermissions(path, QFile::WriteOwner);
        }
        if (name == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        const int terminal = ::posix_openpt(O_RDWR | O_NOCTTY);
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        const auto closeBoth = qScopeGuard([=] {
            ::close(terminal);
            ::close(socket);
        });
        if (name == "pty") {
            QVERIFY(terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0);
            path = QFile::decodeName(::ptsname(terminal));
        }
        if (name == "socket") {
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            qstrncpy(address.sun_path, QFile::encodeName(path).constData(),
                     sizeof address.sun_path);
            QCOMPARE(::bind(socket, reinterpret_cast<sockaddr *>(&address), sizeof address), 0);
        }

        // The bound keeps it short should /dev/zero ever be read.
        const auto loaded = document::load(path, 1 << 20);

        QCOMPARE(loaded.status, Status::Failed);
        QCOMPARE(loaded.error, reason);
    }

    void filesOverTheLimitAreTooLarge_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<Status>("status");
        QTest::addColumn<qint64>("size");
        QTest::newRow("one byte over") << "four" << qint64(3) << Status::TooLarge << qint64(4);
        QTest::newRow("at the limit") << "four" << qint64(4) << Status::Loaded << qint64(4);
        QTest::newRow("size 0 but content")
            << "/proc/self/maps" << noLimit << Status::Loaded << qint64(-1);
    }
    void filesOverTheLimitAreTooLarge() {
        QFETCH(QString, path);
        QFETCH(qint64, maxBytes);
        QFETCH(Status, status);
        QFETCH(qint64, size);
        QVERIFY(writeFile(dir->filePath("four"), "four"));
        const auto loaded = document::load(QDir(dir->path()).filePath(path), maxBytes);
        QCOMPARE(loaded.status, status);
        QCOMPARE(loaded.bytes.isEmpty(), status != Status::Loaded);
        if (size >= 0)
            QCOMPARE(loaded.size, size);
        else
            QCOMPARE(loaded.size, loaded.bytes.size());
    }

    void newFileGetsTheModeOfTheUmask() {
        const mode_t saved = ::umask(027);
        const auto result = document::save(dir->filePath("new.bin"), "data");
        ::umask(saved);
        QVERIFY(result.ok);
        QCOMPARE(statOf(dir->filePath("new.bin")).st_mode & 07777, mode_t(0640));
    }

    // The system's reasons read Russian, as the program's own do, whatever
    // messages the C library has.
    void systemReasonsAreRussian_data() {
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("name");
        const QString tooLong(300, u'x');
        QTest::newRow("open, a file taken for a folder") << false << "file.bin/inside.bin";
        QTest::newRow("open, a name too long") << false << tooLong;
        QTest::newRow("save, a file taken for a folder") << true << "file.bin/inside.bin";
        QTest::newRow("save, a name too long") << true << tooLong;
    }
    void systemReasonsAreRussian() {
        QFETCH(bool, saving);
        QFETCH(QString, name);
        QVERIFY(writeFile(dir->filePath("file.bin"), "data"));
        const QString path = dir->filePath(name);

        const QString reason =
            saving ? document::save(path, "new").error : document::load(path, noLimit).error;

        QVERIFY(!reason.isEmpty());
        QVERIFY2(!reason.contains(QRegularExpression("[A-Za-z]")), qPrintable(reason));
        QCOMPARE(readFile(dir->filePath("file.bin")), QByteArray("data"));
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
        QTest::newRow("read-only file system") << Obstacle::ReadOnlyFileSystem;
    }
    void failedSaveLeavesTheTargetAsItWas() {
        QFETCH(Obstacle, obstacle);
        const QString where = dir->filePath("place");
        QVERIFY(QDir().mkpath(where));
        std::optional<ScratchMount> mount;
        if (obstacle != Obstacle::FileSizeLimit) {
            mount.emplace(where, "size=64k");
            if (!mount->isMounted())
                QSKIP("mounting a tmpfs needs root");
        }
        const QString target = where + "/target.bin";
        QVERIFY(writeFile(target, allBytes()));

        std::optional<FileSizeLimit> limit;
        if (obstacle == Obstacle::FileSizeLimit)
            limit.emplace(4096);
        if (obstacle == Obstacle::ReadOnlyFileSystem)
            QVERIFY(mount->remountReadOnly());
        const auto result = document::save(target, QByteArray(1 << 20, 'x'));
        limit.reset();

        QVERIFY(!result.ok);
        QVERIFY(!result.error.isEmpty());
        QCOMPARE(readFile(target), allBytes());
        QCOMPARE(QDir(where).entryList(QDir::Files | QDir::Hidden), QStringList{"target.bin"});
    }

    // 64 KiB of tmpfs: 60 KiB taken by another file, one block by the 8-byte
    // target. A hard-linked target is rewritten in place, and 5 bytes fit in
    // the block it already has.
    void saveOntoAFullFileSystemNeverLies_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("hardLinked");
        QTest::addColumn<bool>("fits");
        QTest::newRow("5 bytes") << 5 << false << false;
        QTest::newRow("10000 bytes") << 10000 << false << false;
        QTest::newRow("16 KiB") << 16384 << false << false;
        QTest::newRow("1 MiB") << (1 << 20) << false << false;
        QTest::newRow("hard link, 5 bytes") << 5 << true << true;
        QTest::newRow("hard link, 10000 bytes") << 10000 << true << false;
        QTest::newRow("hard link, 1 MiB") << (1 << 20) << true << false;
    }
    void saveOntoAFullFileSystemNeverLies() {
        QFETCH(int, size);
        QFETCH(bool, hardLinked);
        QFETCH(bool, fits);
        const QString where = dir->filePath("full");
        QVERIFY(QDir().mkpath(where));
        ScratchMount mount(where, "size=64k");
        if (!mount.isMounted())
            QSKIP("mounting a tmpfs needs root");
        QVERIFY(writeFile(where + "/other", QByteArray(61440, 'o')));
        const QString target = where + "/target";
        QVERIFY(writeFile(target, "old12345"));
        if (hardLinked)
            QCOMPARE(hardLink(target, where + "/link"), 0);
        const QStringList names = QDir(where).entryList(QDir::Files | QDir::Hidden);

        const QByteArray bytes(size, 'n');
        const auto result = document::save(target, bytes);

        QCOMPARE(result.ok, fits);
        QCOMPARE(readFile(target), fits ? bytes : QByteArray("old12345"));
        if (!fits)
            QCOMPARE(result.error, systemErrorText(ENOSPC));
        if (hardLinked)
            QCOMPARE(readFile(where + "/link"), readFile(target));
        QCOMPARE(QDir(where).entryList(QDir::Files | QDir::Hidden), names);
    }

    // Root may give a file away, so a new file can take the old one's place;
    // the user nobody cannot, and needs the file rewritten in place.
    void saveKeepsTheFilesIdentity_data() {
        QTest::addColumn<uid_t>("saver");
        QTest::addColumn<uid_t>("owner");
        QTest::addColumn<gid_t>("group");
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("directoryWritable");
        QTest::addColumn<bool>("hardLinked");
        QTest::addColumn<bool>("attribute");
        QTest::newRow("another owner and group, 0640")
            << uid_t(0) << uid_t(1234) << gid_t(5678) << 0640 << true << false << false;
        QTest::newRow("set-user-ID and set-group-ID")
            << uid_t(0) << uid_t(1234) << gid_t(5678) << 06755 << true << false << false;
        QTest::newRow("hard link")
            << uid_t(0) << uid_t(0) << gid_t(0) << 0644 << true << true << false;
        QTest::newRow("extended attribute")
            << uid_t(0) << uid_t(1234) << gid_t(0) << 0600 << true << false << true;
        QTest::newRow("writable file, read-only directory")
            << nobody << nobody << gid_t(nobody) << 0644 << false << false << false;
        QTest::newRow("set-user-ID, read-only directory")
            << nobody << nobody << gid_t(nobody) << 04755 << false << false << true;
        QTest::newRow("set-user-ID of a user without privilege")
            << nobody << nobody << gid_t(nobody) << 04700 << true << false << true;
        QTest::newRow("another owner, group-writable")
            << nobody << uid_t(1234) << gid_t(nobody) << 0664 << true << false << false;
    }
    void saveKeepsTheFilesIdentity() {
        QFETCH(uid_t, saver);
        QFETCH(uid_t, owner);
        QFETCH(gid_t, group);
        QFETCH(int, mode);
        QFETCH(bool, directoryWritable);
        QFETCH(bool, hardLinked);
        QFETCH(bool, attribute);
        if (::geteuid() != 0)
            QSKIP("giving files to other users needs root");
        for (QDir up(dir->path()); saver != 0 && up.cdUp();) {
            if (!(statOf(up.path()).st_mode & S_IXOTH))
                QSKIP("other users cannot reach the temporary directory");
        }
        QFile::setPermissions(dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                               QFile::ReadOther | QFile::ExeOther);
        const QString where = dir->filePath("place");
        const QString target = where + "/target";
        QVERIFY(QDir().mkpath(where));
        QVERIFY(writeFile(target, "old content"));
        const QByteArray native = QFile::encodeName(target);
        QCOMPARE(::chown(native.constData(), owner, group), 0);
        QCOMPARE(::chmod(native.constData(), mode_t(mode)), 0);
        if (hardLinked)
            QCOMPARE(hardLink(target, where + "/link"), 0);
        if (attribute && ::setxattr(native.constData(), "user.kktview", "kept", 4, 0) != 0)
            QSKIP("this file system keeps no user attributes");
        QCOMPARE(::chown(QFile::encodeName(where).constData(), directoryWritable ? saver : 0, 0),
                 0);
        const struct stat before = statOf(target);
        const QStringList names = QDir(where).entryList(QDir::Files | QDir::Hidden);

        const auto result = saveAs(saver, target, "new");

        QVERIFY2(result.ok, qPrintable(result.error));
        QCOMPARE(readFile(target), QByteArray("new"));
        const struct stat after = statOf(target);
        QCOMPARE(after.st_uid, before.st_uid);
        QCOMPARE(after.st_gid, before.st_gid);
        QCOMPARE(after.st_mode, before.st_mode);
        QCOMPARE(after.st_nlink, before.st_nlink);
        if (hardLinked)
            QCOMPARE(readFile(where + "/link"), QByteArray("new"));
        if (attribute)
            QCOMPARE(attributeValue(target, "user.kktview"), QByteArray("kept"));
        QCOMPARE(QDir(where).entryList(QDir::Files | QDir::Hidden), names);
    }

    void saveWritesThroughSymbolicLinks_data() {
        QTest::addColumn<QString>("link");
        QTest::addColumn<QString>("linkTarget");
        QTest::addColumn<QString>("savedFile"); // empty: the save is refused
        QTest::newRow("to a file") << "link"
                                   << "file"
                                   << "file";
        QTest::newRow("to a link to a file") << "link"
                                             << "link2"
                                             << "file";
        QTest::newRow("to a file not there yet") << "link"
                                                 << "new"
                                                 << "new";
        QTest::newRow("loop") << "link"
                              << "loop"
                              << "";
    }
    void saveWritesThroughSymbolicLinks() {
        QFETCH(QString, link);
        QFETCH(QString, linkTarget);
        QFETCH(QString, savedFile);
        const QString sub = dir->filePath("sub");
        QVERIFY(QDir().mkpath(sub));
        QVERIFY(writeFile(dir->filePath("file"), "old"));
        QVERIFY(QFile::link("file", dir->filePath("link2")));
        QVERIFY(QFile::link("sub/link", dir->filePath("loop")));
        // Relative to the link's own directory, not to the current one.
        QVERIFY(QFile::link("../" + linkTarget, sub + "/" + link));

        const auto result = document::save(sub + "/" + link, "new");

        QCOMPARE(result.ok, !savedFile.isEmpty());
        QCOMPARE(fileType(sub + "/" + link), mode_t(S_IFLNK));
        QCOMPARE(fileType(dir->filePath("link2")), mode_t(S_IFLNK));
        QCOMPARE(fileType(dir->filePath("loop")), mode_t(S_IFLNK));
        if (savedFile.isEmpty())
            QCOMPARE(result.error, "Слишком много уровней символических ссылок");
        else
            QCOMPARE(readFile(dir->filePath(savedFile)), QByteArray("new"));
        QCOMPARE(readFile(dir->filePath("file")), savedFile == "file" ? "new" : "old");
    }

    // As the kernel follows links (fs.protected_symlinks): in a sticky
    // directory everyone may write, only a link of the saver or of the
    // directory's owner. Root saving to /tmp/x.bin must not write the file a
    // link planted there by another user names.
    void linkPlantedInASharedDirectoryIsNotFollowed_data() {
        QTest::addColumn<int>("directoryMode");
        QTest::addColumn<uid_t>("directoryOwner");
        QTest::addColumn<uid_t>("linkOwner");
        QTest::addColumn<bool>("followed");
        QTest::newRow("another user's link in a shared directory")
            << 01777 << uid_t(0) << uid_t(1234) << false;
        QTest::newRow("the saver's own link") << 01777 << uid_t(0) << uid_t(0) << true;
        QTest::newRow("the directory owner's link") << 01777 << uid_t(1234) << uid_t(1234) << true;
        QTest::newRow("not sticky") << 0777 << uid_t(0) << uid_t(1234) << true;
        QTest::newRow("sticky, not world-writable") << 01775 << uid_t(0) << uid_t(1234) << true;
    }
    void linkPlantedInASharedDirectoryIsNotFollowed() {
        QFETCH(int, directoryMode);
        QFETCH(uid_t, directoryOwner);
        QFETCH(uid_t, linkOwner);
        QFETCH(bool, followed);
        if (::geteuid() != 0)
            QSKIP("links of other users need root");
        const QString shared = dir->filePath("tmp");
        const QString victim = dir->filePath("passwd");
        QVERIFY(QDir().mkpath(shared));
        QVERIFY(writeFile(victim, "root:x:0:0"));
        const QString link = shared + "/x.bin";
        QVERIFY(QFile::link(victim, link));
        QCOMPARE(::lchown(QFile::encodeName(link).constData(), linkOwner, linkOwner), 0);
        QCOMPARE(::chown(QFile::encodeName(shared).constData(), directoryOwner, 0), 0);
        QCOMPARE(::chmod(QFile::encodeName(shared).constData(), mode_t(directoryMode)), 0);

        const auto result = document::save(link, "new");

        QCOMPARE(result.ok, followed);
        QCOMPARE(readFile(victim), followed ? QByteArray("new") : QByteArray("root:x:0:0"));
        QCOMPARE(fileType(link), mode_t(S_IFLNK));
        if (!followed)
            QVERIFY2(result.error.contains("символическая ссылка другого пользователя"),
                     qPrintable(result.error));
    }

    // Rewriting in place is for where renaming cannot work; after a rename
    // that failed for any other reason the old content stays.
    void failedRenameFallsBackOnlyWhereRenamingCannotWork_data() {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("saved");
        QTest::newRow("I/O error") << EIO << false;
        QTest::newRow("disk full") << ENOSPC << false;
        QTest::newRow("quota") << EDQUOT << false;
        QTest::newRow("another file system") << EXDEV << true;
        QTest::newRow("mount point") << EBUSY << true;
    }
    void failedRenameFallsBackOnlyWhereRenamingCannotWork() {
        QFETCH(int, error);
        QFETCH(bool, saved);
        const QString target = dir->filePath("target.bin");
        QVERIFY(writeFile(target, "old"));

        const auto result =
            saveInChild([error] { return failSystemCalls(renameCalls, error); }, target, "new");

        QVERIFY(result);
        QCOMPARE(result->ok, saved);
        QCOMPARE(readFile(target), saved ? QByteArray("new") : QByteArray("old"));
        if (!saved)
            QCOMPARE(result->error, systemErrorText(error));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{"target.bin"});
    }

    // A hard-linked file is rewritten in place; a write that fails there may
    // have changed it, and the reason must not promise otherwise.
    void failureInPlaceSaysTheFileMayHaveChanged() {
        const QString target = dir->filePath("target.bin");
        QVERIFY(writeFile(target, "old content"));
        QCOMPARE(hardLink(target, dir->filePath("link.bin")), 0);

        const auto result =
            saveInChild([] { return failSystemCalls({SYS_pwrite64}, EIO); }, target, "new");

        QVERIFY(result);
        QVERIFY(!result->ok);
        QCOMPARE(result->error, systemErrorText(EIO) + "\nФайл мог измениться частично.");
    }

    // A save killed between making its new file and the rename leaves that
    // file; the next save of the same file removes it, but not a file another
    // save holds or one that only looks alike.
    void nextSaveRemovesWhatAKilledSaveLeft() {
        const QString target = dir->filePath("target.bin");
        QVERIFY(writeFile(target, "old"));
        QVERIFY(!saveInChild([] { return failSystemCalls(renameCalls, 0); }, target, "lost"));
        QCOMPARE(readFile(target), QByteArray("old"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
        QVERIFY(writeFile(dir->filePath(".target.bin.bak"), "backup"));
        const QString held = dir->filePath(".target.bin.kktview-held");
        QVERIFY(writeFile(held, "another save"));
        QFile holder(held);
        QVERIFY(holder.open(QIODevice::ReadOnly));
        QCOMPARE(::flock(holder.handle(), LOCK_EX | LOCK_NB), 0);

        QVERIFY(document::save(target, "new").ok);

        QCOMPARE(readFile(target), QByteArray("new"));
        QCOMPARE(QDir(dir->path()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{".target.bin.bak", ".target.bin.kktview-held", "target.bin"}));
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
        QVERIFY2(!result.error.contains(QRegularExpression("[A-Za-z]")), qPrintable(result.error));
        QCOMPARE(fileType(path), type);
    }
};

QTEST_APPLESS_MAIN(DocumentTest)
#include "tst_document.moc"
