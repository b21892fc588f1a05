#include "document/search.h"
#include "oracle.h"

#include <QRandomGenerator>
#include <QTest>

using search::PatternKind;

namespace {

constexpr qsizetype dumpSize = 64 * 1024;

QByteArray in866(const char *utf8) {
    return *iconvConvert("CP866", "UTF-8", utf8);
}

// A register memory dump: control bytes (no CR or LF) around texts in both
// code pages, a record break and a text in its last bytes.
QByteArray registerDump() {
    QByteArray bytes(dumpSize, Qt::Uninitialized);
    for (qsizetype i = 0; i < dumpSize; ++i)
        bytes[i] = char(0x10 + i * 7 % 13);
    const std::pair<qsizetype, QByteArray> texts[] = {
        {0x0100, in866("СПАСИБО")},     {0x2000, in866("спасибо за покупку")},
        {0x3000, inCp1251("Итого")},    {0x4000, "TOTAL:"},
        {0x4F00, inCp1251("ЕЛКА")},     {0x5000, inCp1251("ЁЛКА")},
        {0x5100, in866("ЁЖ")},          {0x6000, ".\r\nA"},
        {dumpSize - 5, in866("КОНЕЦ")},
    };
    for (const auto &[at, text] : texts)
        bytes.replace(at, text.size(), text);
    return bytes;
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

private slots:
    void findsEachPatternWhereItIsStored_data() {
        QTest::addColumn<PatternKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<qsizetype>("from");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<bool>("wrapped");
        const auto row = [](const char *name, PatternKind kind, const char *text, bool ignoreCase,
                            qsizetype from, qsizetype offset, bool wrapped = false) {
            QTest::newRow(name) << kind << QString::fromUtf8(text) << ignoreCase << from << offset
                                << wrapped;
        };
        const auto T866 = PatternKind::Text866, T1251 = PatternKind::Text1251;
        const auto Hex = PatternKind::Hex;
        row("866 text", T866, "СПАСИБО", false, 0, 0x100);
        row("1251 text", T1251, "Итого", false, 0, 0x3000);
        row("hex spaced", Hex, "2E 0D 0A 41", false, 0, 0x6000);
        row("hex run together", Hex, "2e0d0a41", false, 0, 0x6000);
        row("hex with dashes", Hex, "2E-0D-0A-41", false, 0, 0x6000);
        row("text across CR LF", T1251, "\r\nA", false, 0, 0x6001);
        row("at the very end", T866, "КОНЕЦ", false, 0x7000, dumpSize - 5);
        row("wraps to a match across the start", T866, "СПАСИБО", false, 0x101, 0x100, true);
        row("wraps from the very end", T866, "СПАСИБО", false, dumpSize, 0x100, true);
        row("Cyrillic case ignored in 866", T866, "сПаСиБо", true, 0x101, 0x2000);
        row("Cyrillic case ignored in 1251", T1251, "ИТОГО", true, 0, 0x3000);
        row("Latin case ignored", T1251, "total", true, 0, 0x4000);
        row("Latin case kept", T1251, "total", false, 0, -1);
        row("Ё folds onto ё, not onto Е", T1251, "ёлка", true, 0, 0x5000);
        row("Ё in 866", T866, "ёж", true, 0, 0x5100);
    }
    void findsEachPatternWhereItIsStored() {
        QFETCH(PatternKind, kind);
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(qsizetype, from);
        QFETCH(qsizetype, offset);
        QFETCH(bool, wrapped);
        const search::ParsedPattern parsed = search::parsePattern(text, kind, ignoreCase);
        QVERIFY2(parsed.pattern, qPrintable(parsed.error));
        const search::Match match = search::findNext(registerDump(), *parsed.pattern, from);
        QCOMPARE(match.offset, offset);
        QCOMPARE(match.wrapped, wrapped);
        // The same in a document just opened: its bytes one piece, searched
        // where they lie, folded too where case is ignored.
        const PieceTable opened(registerDump());
        QCOMPARE(opened.pieceCount(), 1);
        const search::Match inPiece = search::findNext(opened, *parsed.pattern, from);
        QCOMPARE(inPiece.offset, offset);
        QCOMPARE(inPiece.wrapped, wrapped);
    }

    // Find searches from `from` to the end, then round from the start up to
    // where a match would start at `from`: a match may end on the last byte
    // of either range. Patterns of one or two bytes are searched another way
    // than longer ones.
    void aMatchMayEndOnTheLastByteOfTheRange_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<qsizetype>("from");
        QTest::addColumn<qsizetype>("offset");
        QTest::addColumn<bool>("wrapped");
        const auto row = [](const char *name, const char *bytes, const char *text, qsizetype from,
                            qsizetype offset, bool wrapped) {
            QTest::newRow(name) << QByteArray(bytes) << QString::fromLatin1(text) << from << offset
                                << wrapped;
        };
        row("one byte, the last", "abcd", "d", 0, 3, false);
        row("two bytes, the last", "abcd", "cd", 0, 2, false);
        row("three bytes, the last", "abcde", "cde", 0, 2, false);
        row("the whole document", "abc", "abc", 0, 0, false);
        row("a one-byte document", "a", "a", 0, 0, false);
        row("two bytes, from their start", "abcd", "cd", 2, 2, false);
        row("three bytes, from their start", "abcde", "cde", 2, 2, false);
        row("round: one byte ending at from", "abcd", "a", 1, 0, true);
        row("round: two bytes ending after from", "abcd", "ab", 1, 0, true);
        row("round: three bytes ending two after from", "abcdef", "bcd", 2, 1, true);
        row("round: not from the match's second byte", "abcdef", "bcd", 3, 1, true);
        row("nothing runs past the end", "abcd", "cde", 0, -1, false);
    }
    void aMatchMayEndOnTheLastByteOfTheRange() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(qsizetype, from);
        QFETCH(qsizetype, offset);
        QFETCH(bool, wrapped);
        const search::ParsedPattern parsed =
            search::parsePattern(text, PatternKind::Text1251, false);
        QVERIFY(parsed.pattern);
        const search::Match match = search::findNext(bytes, *parsed.pattern, from);
        QCOMPARE(match.offset, offset);
        QCOMPARE(match.wrapped, wrapped);
    }

    // A document in many pieces, searched a window at a time, finds what its
    // bytes in one array find: patterns that span piece seams and window
    // edges (every MiB), folded or not, from anywhere.
    void piecesFindWhatTheWholeBytesFind() {
        QRandomGenerator random(1251);
        QByteArray bytes(2 * 1024 * 1024 + 777, Qt::Uninitialized);
        for (char &byte : bytes)
            byte = "aAbB\xC0\xE0\r\n"[random.bounded(8)];
        PieceTable table(bytes);
        // The same bytes again, from the add blocks: the pieces change, the bytes do not.
        for (int i = 0; i < 3000; ++i) {
            const qint64 at = random.bounded(bytes.size() - 64);
            const qint64 length = 1 + random.bounded(40);
            table.replace(at, length, bytes.mid(at, length));
        }
        QVERIFY(table.pieceCount() > 1000);
        QVERIFY(table.read(0, table.size()) == bytes);
        const qint64 windowEdge = 1024 * 1024;
        for (int i = 0; i < 150; ++i) {
            const qint64 length = 1 + random.bounded(i % 4 == 0 ? 300 : 6);
            const qint64 start = i % 5 == 0 ? windowEdge - random.bounded(length) - 1
                                            : random.bounded(bytes.size() - length);
            const auto kind = PatternKind(random.bounded(3));
            search::Pattern pattern{bytes.mid(start, length), kind, random.bounded(2) == 1};
            if (i % 7 == 0)
                pattern.bytes[0] = 'z'; // found nowhere
            const qint64 from = random.bounded(bytes.size() + 1);
            const search::Match whole = search::findNext(QByteArrayView(bytes), pattern, from);
            const search::Match pieces = search::findNext(table, pattern, from);
            QCOMPARE(pieces.offset, whole.offset);
            QCOMPARE(pieces.wrapped, whole.wrapped);
        }
    }

    void badPatternsAreRefusedWithTheReason_data() {
        QTest::addColumn<PatternKind>("kind");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason");
        QTest::newRow("odd run") << PatternKind::Hex << "0D 0a4"
                                 << "«0a4»";
        QTest::newRow("not a digit") << PatternKind::Hex << "0D 0G"
                                     << "«G»";
        QTest::newRow("separators only") << PatternKind::Hex << " - "
                                         << "Введите";
        QTest::newRow("no such letter in 866") << PatternKind::Text866 << "Ґ"
                                               << "«Ґ» нет в кодировке 866";
    }
    void badPatternsAreRefusedWithTheReason() {
        QFETCH(PatternKind, kind);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        const search::ParsedPattern parsed = search::parsePattern(text, kind, false);
        QVERIFY(!parsed.pattern);
        QVERIFY2(parsed.error.contains(reason), qPrintable(parsed.error));
    }

    // Every letter folds onto its own lower case as glibc's code pages and
    // Unicode see it; every other byte stays itself.
    void caseFoldAgreesWithTheCodePages() {
        for (const auto &[kind, name] : {std::pair{PatternKind::Text866, "CP866"},
                                         std::pair{PatternKind::Text1251, "CP1251"}}) {
            for (int b = 0; b < 256; ++b) {
                const auto utf8 = iconvConvert("UTF-8", name, QByteArray(1, char(b)));
                const auto lower =
                    utf8 ? iconvConvert(name, "UTF-8", QString::fromUtf8(*utf8).toLower().toUtf8())
                         : std::nullopt;
                QVERIFY2(search::caseFold(kind)[b] == (lower ? quint8(lower->at(0)) : b),
                         qPrintable(QStringLiteral("%1 byte %2").arg(name).arg(b)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(SearchTest)
#include "tst_search.moc"
