#include "../testfonts.h"
#include "carettext.h"
#include "document/piecetable.h"
#include "io/nativename.h"
#include "objectnames.h"
#include "recovery/recoveryheader.h"
#include "recovery/recoverystore.h"
#include "recoverydialog.h"
#include "recoverytext.h"
#include "windowdriver.h"

#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTreeWidget>

Q_DECLARE_METATYPE(std::vector<recovery::CopyInfo>)

// The recovery copies as the window names them, and the dialog that
// restores or deletes them.
class RecoveryDialogTest : public QObject {
    Q_OBJECT

    static recovery::CopyInfo copyOf(const QDateTime &written, qint64 size,
                                     const QByteArray &origin = {}, const QString &damage = {},
                                     const QString &originalChanged = {}) {
        return {QStringLiteral("id"),       written.toUTC(), size,
                nativename::decode(origin), damage,          originalChanged};
    }

private slots:
    void noticeNamesTheNewestAndHowManyMore_data() {
        const QDateTime now(QDate(2025, 3, 14), QTime(18, 0));
        const QDateTime today(QDate(2025, 3, 14), QTime(14, 5, 59));
        const QDateTime earlier(QDate(2025, 3, 12), QTime(9, 7));
        const QString hint =
            QStringLiteral(". Восстановить: «Файл» → «Восстановить несохранённое…»");
        QTest::addColumn<std::vector<recovery::CopyInfo>>("copies");
        QTest::addColumn<QDateTime>("now");
        QTest::addColumn<QString>("notice");
        QTest::newRow("typed today") << std::vector{copyOf(today, 65537)} << now
                                     << "Несохранённый документ от 14:05, 65\u00A0537 байт" + hint;
        QTest::newRow("from a file, another day, and more")
            << std::vector{copyOf(earlier, 2, "/d/kkm.bin"), copyOf(earlier, 1), copyOf(earlier, 1)}
            << now
            << "Несохранённый документ «kkm.bin» от 12.03.2025 09:07, 2 байта, и ещё 2" + hint;
        const QString damage = QStringLiteral("Копия повреждена: в заголовке указан размер 9 байт, "
                                              "а после заголовка в файле 3 байта.");
        QTest::newRow("a damaged one is not offered")
            << std::vector{copyOf(today, 1, {}, damage), copyOf(earlier, 2, "/d/kkm.bin"),
                           copyOf(earlier, 1, {}, damage)}
            << now << "Несохранённый документ «kkm.bin» от 12.03.2025 09:07, 2 байта" + hint;
        QTest::newRow("edits to a file changed since are not offered")
            << std::vector{copyOf(today, 1, "/d/big.bin", {}, QStringLiteral("Исходный файл ...")),
                           copyOf(earlier, 2, "/d/kkm.bin")}
            << now << "Несохранённый документ «kkm.bin» от 12.03.2025 09:07, 2 байта" + hint;
        QTest::newRow("only damaged ones")
            << std::vector{copyOf(today, 1, {}, damage)} << now << QString();
        QTest::newRow("name not UTF-8")
            << std::vector{copyOf(today, 1, "/d/\xCA\xCA\xD2.bin")} << now
            << "Несохранённый документ «\\xCA\\xCA\\xD2.bin» от 14:05, 1 байт" + hint;
    }
    void noticeNamesTheNewestAndHowManyMore() {
        QFETCH(std::vector<recovery::CopyInfo>, copies);
        QFETCH(QDateTime, now);
        QFETCH(QString, notice);
        QCOMPARE(recoverytext::notice(copies, now), notice);
    }

    // A file's name can neither hide, reorder nor break the text around it.
    void namesShowTheirControlCharactersEscaped_data() {
        QTest::addColumn<QByteArray>("origin");
        QTest::addColumn<QString>("shown");
        QTest::newRow("right-to-left override")
            << QByteArray("/d/a\xE2\x80\xAEnib.exe") << "/d/a\\u202Enib.exe";
        QTest::newRow("line break") << QByteArray("/d/a\nb.bin") << "/d/a\\x0Ab.bin";
        QTest::newRow("escape") << QByteArray("/d/\x1B[31mred") << "/d/\\x1B[31mred";
    }
    void namesShowTheirControlCharactersEscaped() {
        QFETCH(QByteArray, origin);
        QFETCH(QString, shown);
        QTemporaryDir dir;
        recovery::HeldCopy copy;
        const QDateTime written = QDateTime::currentDateTimeUtc();
        QVERIFY(
            copy.write(dir.path(), PieceTable("x"), nativename::decode(origin), written).isEmpty());
        copy.release();
        RecoveryDialog dialog{recovery::Store(dir.path())};
        const QTreeWidgetItem *item =
            child<QTreeWidget>(&dialog, objectnames::recoveryCopies)->topLevelItem(0);
        QCOMPARE(item->text(2), shown);
        QCOMPARE(item->toolTip(2), shown);
        QVERIFY(recoverytext::copy(copyOf(written, 1, origin), written)
                    .contains(u'«' + shown.section(u'/', -1) + u'»'));
    }

    // A damaged copy is listed so that it can be deleted, says why, and is
    // never chosen for restoring.
    void damagedCopyCanOnlyBeDeleted() {
        QTemporaryDir dir;
        recovery::HeldCopy whole;
        QVERIFY(whole.write(dir.path(), PieceTable("whole"), {}, QDateTime::currentDateTimeUtc())
                    .isEmpty());
        whole.release();
        QFile damaged(dir.filePath(QStringLiteral("20240101-000000-1-a.kktrecovery")));
        QVERIFY(damaged.open(QIODevice::WriteOnly));
        damaged.write("KKTVIEW RECOVERY 1\nwritten 2024-01-01T00:00:00.000Z\nsize 9\n"
                      "origin /d/a.bin\n\nabc");
        damaged.close();
        RecoveryDialog dialog{recovery::Store(dir.path())};
        auto *list = child<QTreeWidget>(&dialog, objectnames::recoveryCopies);
        auto *restore = child<QPushButton>(&dialog, objectnames::restoreButton);
        auto *damage = child<QLabel>(&dialog, objectnames::recoveryDamage);
        QCOMPARE(list->topLevelItemCount(), 2);
        QVERIFY(restore->isEnabled() && damage->isHidden());

        list->setCurrentItem(list->topLevelItem(1));
        QCOMPARE(list->topLevelItem(1)->text(2), QStringLiteral("/d/a.bin"));
        QCOMPARE(list->topLevelItem(1)->text(1), QStringLiteral("повреждена"));
        QVERIFY(!restore->isEnabled() && !damage->isHidden());
        QCOMPARE(damage->text(),
                 QStringLiteral("Копия повреждена: в заголовке указан размер 9 байт, а после "
                                "заголовка в файле 3 байта. Её можно только удалить."));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(dialog.chosenId().isEmpty());
        child<QPushButton>(&dialog, objectnames::deleteButton)->click();
        QVERIFY(!damaged.exists());
        QCOMPARE(list->topLevelItemCount(), 1);
        QVERIFY(restore->isEnabled() && damage->isHidden());
    }

    // A copy of edits to a file changed since is listed whole, with why it
    // cannot be restored now, and is not chosen for restoring: the file may
    // be put back.
    void copyOfEditsToAChangedFileWaitsForIt() {
        QTemporaryDir dir;
        const QString gone = dir.filePath(QStringLiteral("gone.bin"));
        recovery::Original original{gone, {}};
        original.identity.size = 10;
        const QByteArray list = "f 0 10\n";
        QFile copy(dir.filePath(QStringLiteral("20240101-000000-1-a.kktrecovery")));
        QVERIFY(copy.open(QIODevice::WriteOnly));
        copy.write(recovery::editsHeaderOf(10, gone, QDateTime::currentDateTimeUtc(), original, 1,
                                           0, list) +
                   list);
        copy.close();
        RecoveryDialog dialog{recovery::Store(dir.path())};
        auto *copies = child<QTreeWidget>(&dialog, objectnames::recoveryCopies);
        auto *restore = child<QPushButton>(&dialog, objectnames::restoreButton);
        auto *reason = child<QLabel>(&dialog, objectnames::recoveryDamage);
        QCOMPARE(copies->topLevelItemCount(), 1);
        QCOMPARE(copies->topLevelItem(0)->text(1), carettext::bytes(10));
        QVERIFY(!restore->isEnabled() && !reason->isHidden());
        QCOMPARE(reason->text(),
                 QStringLiteral("Исходный файл «%1» изменён или удалён после того, как копия была "
                                "сделана; правки в копии относятся к прежнему файлу, восстановить "
                                "её нельзя.")
                     .arg(gone));
        QTest::keyClick(copies, Qt::Key_Return);
        QVERIFY(dialog.chosenId().isEmpty());
        QVERIFY(copy.exists());
    }

    // The copies newest first; restore takes exactly one, delete any.
    void dialogRestoresOneOrDeletesThoseSelected() {
        QTemporaryDir dir;
        const QDateTime start = QDateTime::currentDateTimeUtc().addSecs(-60);
        QStringList newestFirst;
        for (int i = 0; i < 3; ++i) {
            recovery::HeldCopy copy;
            QVERIFY(copy.write(dir.path(), PieceTable(QByteArray(i + 1, 'x')),
                               i == 0 ? nativename::decode("/d/\xCA.bin") : QString(),
                               start.addSecs(i))
                        .isEmpty());
            newestFirst.prepend(copy.id());
        }
        RecoveryDialog dialog{recovery::Store(dir.path())};
        QCOMPARE(dialog.windowTitle(), QStringLiteral("Восстановить несохранённое"));
        auto *list = child<QTreeWidget>(&dialog, objectnames::recoveryCopies);
        auto *restore = child<QPushButton>(&dialog, objectnames::restoreButton);
        auto *remove = child<QPushButton>(&dialog, objectnames::deleteButton);
        QCOMPARE(list->topLevelItemCount(), 3);
        QCOMPARE(list->topLevelItem(0)->text(1), QStringLiteral("3 байта"));
        QCOMPARE(list->topLevelItem(2)->text(2), QStringLiteral("/d/\\xCA.bin"));
        QCOMPARE(list->topLevelItem(0)->text(2), QStringLiteral("(набран, не из файла)"));
        QVERIFY(restore->isEnabled() && restore->isDefault());

        list->topLevelItem(0)->setSelected(true);
        list->topLevelItem(1)->setSelected(true);
        QVERIFY(!restore->isEnabled() && remove->isEnabled());
        remove->click();
        QCOMPARE(recovery::Store(dir.path()).list().size(), size_t(1));
        QCOMPARE(list->topLevelItemCount(), 1);

        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        QCOMPARE(dialog.chosenId(), newestFirst[2]);
    }
};

KKTVIEW_TEST_MAIN(RecoveryDialogTest)

#include "tst_recoverydialog.moc"
