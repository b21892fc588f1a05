#include "../randombytes.h"
#include "ondisk.h"

#include "document/bytedocument.h"
#include "io/document.h"
#include "io/nativename.h"
#include "recovery/documentrecovery.h"
#include "recovery/recoveryheader.h"
#include "recovery/recoverystore.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>
#include <sys/time.h>

// Recovery copies of documents read on demand, kept as their edits to the
// file: what comes back from one, and what does not.
namespace {

// Above the size from which a file is read on demand, and not a whole
// number of pages.
constexpr qsizetype fileSize = 2 * 1024 * 1024 + 4099;

const QByteArray editsFirstLine = "KKTVIEW RECOVERY 3\n";

QString changedReason(const QString &path) {
    return QStringLiteral("Исходный файл «%1» изменён или удалён после того, как копия была "
                          "сделана; правки в копии относятся к прежнему файлу, восстановить её "
                          "нельзя.")
        .arg(nativename::displayed(path));
}

// The file's modification time moved by seconds, its bytes as they are.
bool touch(const QString &path, int seconds) {
    struct stat st {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &st) != 0)
        return false;
    const timeval times[2] = {{st.st_atime, 0}, {st.st_mtime + seconds, 0}};
    return ::utimes(name.constData(), times) == 0;
}

} // namespace

class RecoveryEditsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir;
    QString copies;
    QString original;

    QString pathOf(const QString &id) const {
        return copies + u'/' + id + QStringLiteral(".kktrecovery");
    }

    // The original's bytes edited at random, in the document and in a plain
    // model alike, then dropped: the copy's id.
    QString dropEdited(QByteArray &model, quint32 seed, int edits) {
        ByteDocument document;
        DocumentRecovery recovery(&document, copies);
        document.loadFile(ondisk::openSource(original, FileSource::defaultPageSize,
                                             FileSource::defaultCachedPages));
        document.setFile(FileIdentity::of(original));
        QRandomGenerator random(seed);
        for (int i = 0; i < edits; ++i) {
            const qint64 at = random.bounded(qint64(model.size()) + 1);
            const qint64 removed = std::min<qint64>(
                random.bounded(20) == 0 ? 20000 : random.bounded(5), model.size() - at);
            const QByteArray added = randomBytes(random, random.bounded(0, 9));
            document.replace(at, removed, added);
            model.replace(at, removed, added);
        }
        recovery.keep();
        const std::vector<recovery::CopyInfo> left = recovery.store().list();
        return left.size() == 1 ? left.front().id : QString();
    }

private slots:
    void init() {
        dir = std::make_unique<QTemporaryDir>();
        copies = dir->filePath(QStringLiteral("recovery"));
        original = dir->filePath(QStringLiteral("kkm \xC3\xA9.bin"));
        QVERIFY(writeFile(original, randomBytes(fileSize, 866)));
    }

    // Random edits over the file come back exactly, as an unsaved document
    // that reads the file on demand, keeps its copy as edits again, and
    // saves onto the file it reads.
    void editsComeBackExactly_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("edits");
        QTest::newRow("one edit") << 1u << 1;
        QTest::newRow("a few edits") << 2u << 7;
        QTest::newRow("many edits") << 3u << 300;
    }
    void editsComeBackExactly() {
        QFETCH(quint32, seed);
        QFETCH(int, edits);
        QByteArray model = readFile(original);
        const QString id = dropEdited(model, seed, edits);
        QVERIFY(!id.isEmpty());
        const QByteArray file = readFile(pathOf(id));
        QVERIFY2(file.startsWith(editsFirstLine), file.left(20).constData());
        QVERIFY(file.size() < fileSize / 4);

        ByteDocument document;
        DocumentRecovery recovery(&document, copies);
        QString reason;
        QVERIFY2(recovery.restore(id, &reason), qPrintable(reason));
        QVERIFY(document.isModified());
        QVERIFY(document.bytes().file());
        QCOMPARE(document.size(), qint64(model.size()));
        QVERIFY(document.read(0, document.size()) == model);
        QCOMPARE(document.file().path, original);

        document.replace(0, 1, "!");
        model.replace(0, 1, "!");
        recovery.keep();
        QVERIFY(readFile(pathOf(id)).startsWith(editsFirstLine));
        const document::SaveResult saved = document::save(original, document.bytes());
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QVERIFY(readFile(original) == model);
    }

    // A copy of edits to a file that was changed since is refused, saying
    // so, and stays for the file to come back; the listing tells it too.
    void changedOriginalIsRefused_data() {
        QTest::addColumn<QString>("change");
        QTest::newRow("rewritten in place, same size") << "rewritten";
        QTest::newRow("only its time changed") << "touched";
        QTest::newRow("truncated") << "truncated";
        QTest::newRow("grown") << "grown";
        QTest::newRow("removed") << "removed";
        QTest::newRow("replaced by a copy of its bytes") << "replaced";
        QTest::newRow("moved away") << "moved";
    }
    void changedOriginalIsRefused() {
        QFETCH(QString, change);
        QByteArray model = readFile(original);
        const QString id = dropEdited(model, 7, 5);
        QVERIFY(!id.isEmpty());
        const QByteArray bytes = readFile(original);
        const QString aside = dir->filePath(QStringLiteral("aside"));
        QFile file(original);
        if (change == "rewritten") {
            QByteArray other = bytes;
            other[100] = char(~other[100]);
            QVERIFY(file.open(QIODevice::ReadWrite) && file.write(other) == other.size());
            file.close();
            QVERIFY(touch(original, 10));
        } else if (change == "touched") {
            QVERIFY(touch(original, 10));
        } else if (change == "truncated") {
            QVERIFY(file.resize(bytes.size() - 1));
        } else if (change == "grown") {
            QVERIFY(file.open(QIODevice::Append) && file.write("x") == 1);
            file.close();
        } else if (change == "removed") {
            QVERIFY(file.remove());
        } else if (change == "replaced" || change == "moved") {
            QVERIFY(writeFile(aside, bytes));
            QVERIFY(::rename(QFile::encodeName(change == "moved" ? original : aside).constData(),
                             QFile::encodeName(change == "moved" ? aside : original).constData()) ==
                    0);
        }

        const recovery::Store store(copies);
        QCOMPARE(store.list().size(), size_t(1));
        QCOMPARE(store.list()[0].originalChanged, changedReason(original));
        QVERIFY(store.list()[0].damage.isEmpty());
        ByteDocument document;
        DocumentRecovery recovery(&document, copies);
        QString reason;
        QVERIFY(!recovery.restore(id, &reason));
        QCOMPARE(reason, changedReason(original));
        QVERIFY(QFile::exists(pathOf(id)));
        QVERIFY(document.isEmpty() && !document.isModified());

        // The very file put back, the copy is restored.
        if (change == "moved") {
            QVERIFY(QFile::rename(aside, original));
            QVERIFY2(recovery.restore(id, &reason), qPrintable(reason));
            QVERIFY(document.read(0, document.size()) == model);
        }
    }

    // A copy of edits damaged on the disk is told as damaged, never
    // restored otherwise than written.
    void damagedEditsAreTold_data() {
        QTest::addColumn<QString>("damage");
        QTest::newRow("a byte of its own flipped") << "inline";
        QTest::newRow("a range's offset changed") << "range";
        QTest::newRow("the original's size in the header changed") << "header";
        QTest::newRow("the list cut short") << "cut";
        QTest::newRow("a line added to the list") << "added";
    }
    void damagedEditsAreTold() {
        QFETCH(QString, damage);
        QByteArray model = readFile(original);
        const QString id = dropEdited(model, 11, 4);
        QVERIFY(!id.isEmpty());
        QByteArray file = readFile(pathOf(id));
        QVERIFY2(file.startsWith(editsFirstLine), file.left(20).constData());
        const qsizetype body = file.indexOf("\n\n") + 2;
        if (damage == "inline") {
            const qsizetype at = file.indexOf("\nb ", body - 1);
            QVERIFY(at > 0);
            const qsizetype byte = file.indexOf('\n', at + 1) + 1;
            file[byte] = char(file[byte] ^ 0x01);
        } else if (damage == "range") {
            const qsizetype at = file.indexOf("f ", body);
            QVERIFY(at > 0);
            file[at + 2] = file[at + 2] == '1' ? '2' : '1';
        } else if (damage == "header") {
            const qsizetype at = file.indexOf("\noriginal-size ");
            QVERIFY(at > 0);
            file.insert(at + 15, '1');
        } else if (damage == "cut") {
            file.chop(3);
        } else {
            file += "f 0 1\n";
        }
        QVERIFY(writeFile(pathOf(id), file));

        const recovery::Store store(copies);
        QString reason;
        QVERIFY(!store.take(id, &reason));
        QVERIFY2(reason.startsWith(QStringLiteral("Копия повреждена")), qPrintable(reason));
        QVERIFY(QFile::exists(pathOf(id)));
    }

    // Which documents are kept as edits: one read on demand whose edits
    // are small beside it; a small one, one mostly replaced, one whose file
    // was saved over or changed keep their whole bytes, the small one in
    // the old format byte for byte.
    void copyKeepsWhatIsCheapest_data() {
        QTest::addColumn<QString>("document");
        QTest::addColumn<bool>("asEdits");
        QTest::newRow("read on demand, an edit") << "edited" << true;
        QTest::newRow("read whole") << "small" << false;
        QTest::newRow("read on demand, mostly replaced") << "replaced" << false;
        QTest::newRow("read on demand, its file saved over") << "saved" << false;
    }
    void copyKeepsWhatIsCheapest() {
        QFETCH(QString, document);
        QFETCH(bool, asEdits);
        ByteDocument edited;
        QByteArray model = readFile(original);
        if (document == "small") {
            model.truncate(1000);
            edited.load(model);
        } else {
            edited.loadFile(ondisk::openSource(original, FileSource::defaultPageSize,
                                               FileSource::defaultCachedPages));
        }
        if (document == "saved") {
            QVERIFY(document::save(original, edited.bytes()).ok);
            edited.setClean();
        }
        const QByteArray added =
            document == "replaced" ? randomBytes(fileSize / 2 + 1, 5) : QByteArray("edit");
        edited.replace(1, added.size(), added);
        model.replace(1, added.size(), added);
        const QDateTime written = QDateTime::currentDateTimeUtc();
        recovery::HeldCopy copy;
        QVERIFY(copy.write(copies, edited.snapshot(), original, written).isEmpty());
        const QByteArray file = readFile(pathOf(copy.id()));
        QCOMPARE(file.startsWith(editsFirstLine), asEdits);
        if (!asEdits) {
            const QByteArray whole =
                recovery::headerOf(
                    model.size(),
                    recovery::checksumOf(recovery::checksumUpdate(recovery::checksumStart, model)),
                    original, written) +
                model;
            QVERIFY(file == whole);
        }
    }
};

QTEST_GUILESS_MAIN(RecoveryEditsTest)

#include "tst_recoveryedits.moc"
