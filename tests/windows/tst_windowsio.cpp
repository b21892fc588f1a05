#include "../testfiles.h"
#include "document/bytedocument.h"
#include "io/consoleio.h"
#include "io/document.h"
#include "io/nativename.h"
#include "io/statepaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <string>

namespace {

QByteArray contentOf(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(unreadable)");
}

std::wstring wide(const QString &path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

} // namespace

class TestWindowsIo : public QObject {
    Q_OBJECT

private slots:
    void saveKeepsTheOldFilesAttributes() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cliche.bin"));
        QVERIFY(writeFile(path, "old"));
        // A hidden file stays hidden. (Windows keeps the rest too, as
        // ReplaceFileW promises; wine stores no attribute but this one.)
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN;
        QVERIFY(SetFileAttributesW(wide(path).c_str(), kept));

        const document::SaveResult saved = document::save(path, QByteArrayView("new bytes"));
        QVERIFY2(saved.ok, qPrintable(saved.error));
        QCOMPARE(contentOf(path), QByteArray("new bytes"));
        const DWORD now = GetFileAttributesW(wide(path).c_str());
        QCOMPARE(now & kept, kept);
        // Nothing of the save is left beside it.
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
    }

    void aNewFileIsNotHidden() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new.bin"));
        QVERIFY(document::save(path, QByteArrayView("abc")).ok);
        QCOMPARE(contentOf(path), QByteArray("abc"));
        QVERIFY(!(GetFileAttributesW(wide(path).c_str()) & FILE_ATTRIBUTE_HIDDEN));
    }

    // A large file is kept open and read on demand; the program's own
    // handle lets the save replace it, and the new file holds every byte.
    void aFileReadOnDemandSavesOntoItself() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("large.bin"));
        QByteArray bytes(3 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char(i * 7 + i / 4096);
        QVERIFY(writeFile(path, bytes));
        document::LoadResult loaded = document::load(path, qint64(1) << 30);
        QCOMPARE(int(loaded.status), int(document::LoadResult::Status::Loaded));
        QVERIFY(loaded.file);
        ByteDocument doc;
        doc.loadFile(std::move(loaded.file));
        doc.replace(1 << 20, 1, QByteArrayView("xyz"));
        const document::SaveResult saved = document::save(path, doc.bytes());
        QVERIFY2(saved.ok, qPrintable(saved.error));
        bytes.replace(1 << 20, 1, "xyz");
        QCOMPARE(contentOf(path), bytes);
        QCOMPARE(doc.read(0, doc.size()), ByteText(bytes));
    }

    void aFileHeldOpenElsewhereIsLeftAsItWas() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("held.bin"));
        QVERIFY(writeFile(path, "old"));
        // Another program holds it open and lets no one else in.
        HANDLE held = CreateFileW(wide(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        QVERIFY(held != INVALID_HANDLE_VALUE);
        const document::SaveResult saved = document::save(path, QByteArrayView("new"));
        CloseHandle(held);
        QVERIFY(!saved.ok);
        QVERIFY2(saved.error.contains(QStringLiteral("открыт в другой программе")),
                 qPrintable(saved.error));
        QCOMPARE(contentOf(path), QByteArray("old"));
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(left == QStringList{"held.bin"}, qPrintable(left.join(u' ')));
    }

    void devicesAreRefusedByTheOneGuard_data() {
        QTest::addColumn<QString>("path");
        QTest::newRow("CON") << QStringLiteral("CON");
        QTest::newRow("nul with a suffix") << QStringLiteral("nul.txt");
        QTest::newRow("COM1 in a folder") << QStringLiteral("C:\\temp\\COM1");
        QTest::newRow("lpt9") << QStringLiteral("lpt9");
        QTest::newRow("CONIN$") << QStringLiteral("CONIN$");
        QTest::newRow("physical drive") << QStringLiteral("\\\\.\\PhysicalDrive0");
        QTest::newRow("pipe") << QStringLiteral("\\\\.\\pipe\\kktview-test");
        QTest::newRow("global root") << QStringLiteral("\\\\?\\GLOBALROOT\\Device\\Null");
    }
    void devicesAreRefusedByTheOneGuard() {
        QFETCH(QString, path);
        QFile file;
        const auto refused = document::openForReading(path, file);
        QVERIFY(refused.has_value());
        QVERIFY(!file.isOpen());
        QVERIFY2(refused->contains(QStringLiteral("не обычный файл")), qPrintable(*refused));
        const document::SaveResult saved = document::save(path, QByteArrayView("x"));
        QVERIFY(!saved.ok);
    }

    void aFolderIsNoFile() {
        QTemporaryDir dir;
        QFile file;
        const auto refused = document::openForReading(dir.path(), file);
        QVERIFY(refused.has_value());
        QCOMPARE(*refused, QStringLiteral("Это папка, а не файл."));
    }

    void longAndUnicodeNamesOpenAndSave_data() {
        QTest::addColumn<QString>("relative");
        QTest::newRow("unicode") << QStringLiteral("Касса №1 — 日本 😀.bin");
        QString longName;
        for (int i = 0; i < 6; ++i)
            longName += QStringLiteral("папка-с-очень-длинным-именем-для-проверки-%1/").arg(i);
        QTest::newRow("past 260 characters") << longName + QStringLiteral("клише.bin");
        QTest::newRow("ends in a dot") << QStringLiteral("точка.");
    }
    void longAndUnicodeNamesOpenAndSave() {
        QFETCH(QString, relative);
        QTemporaryDir dir;
        const QString path = dir.path() + u'/' + relative;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()) ||
                CreateDirectoryW(wide(QStringLiteral("\\\\?\\") +
                                      QDir::toNativeSeparators(QFileInfo(path).absolutePath()))
                                     .c_str(),
                                 nullptr));
        const QByteArray bytes("\x00\x01\r\n\x1a\xff", 6);
        const document::SaveResult saved = document::save(path, QByteArrayView(bytes));
        QVERIFY2(saved.ok, qPrintable(saved.error));
        const document::LoadResult loaded = document::load(path, 1 << 20);
        QCOMPARE(int(loaded.status), int(document::LoadResult::Status::Loaded));
        QCOMPARE(QByteArray(loaded.bytes), bytes);
    }

    void thePortableMarkerKeepsSettingsBesideTheProgram() {
        const QString folder = QCoreApplication::applicationDirPath();
        const QString marker = folder + QStringLiteral("/portable");
        QFile::remove(marker);
        QVERIFY(!statepaths::isPortable());
        QVERIFY(!statepaths::settingsFile().startsWith(folder, Qt::CaseInsensitive));
        QVERIFY(writeFile(marker, {}));
        const bool portable = statepaths::isPortable();
        const QString settings = statepaths::settingsFile();
        QFile::remove(marker);
        QVERIFY(portable);
        QCOMPARE(settings, folder + QStringLiteral("/kktview.ini"));
    }

    void theConsoleProgramWritesBytesToAPipeAsTheyAre() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("lines.bin"));
        QVERIFY(writeFile(path, QByteArray("A\nB\r\n\x98", 6)));
        QProcess program;
        program.start(QStringLiteral(KKTVIEW_CONSOLE_PROGRAM),
                      {QStringLiteral("--print"), QStringLiteral("hex"), path});
        QVERIFY(program.waitForFinished(60000));
        QCOMPARE(program.exitCode(), 0);
        // The same bytes as on Linux: no line end turned into CR LF on the way.
        QCOMPARE(program.readAllStandardOutput(), QByteArray("41  0A  42  0D  0A  98  \n"));
    }

    void theConsoleProgramsExitStatusIsTheCommandLines() {
        QProcess program;
        program.start(QStringLiteral(KKTVIEW_CONSOLE_PROGRAM),
                      {QStringLiteral("--print"), QStringLiteral("hex"),
                       QStringLiteral("Z:/no/such/file.bin")});
        QVERIFY(program.waitForFinished(60000));
        QVERIFY(program.exitCode() != 0);
        QVERIFY(!program.readAllStandardError().isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestWindowsIo)
#include "tst_windowsio.moc"
