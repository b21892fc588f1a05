#include "../allbytes.h"
#include "codepages/controlbytes.h"
#include "codepages/cp1251codec.h"
#include "oracle.h"

#include <QTest>

class Cp1251CodecTest : public QObject {
    Q_OBJECT

private slots:
    void everyByteHasOneCharacterThatMapsBack_data() {
        QTest::addColumn<int>("byte");
        QTest::addColumn<bool>("standIn");
        for (int b = 0; b < 256; ++b)
            QTest::addRow("%d", b) << b << (b < 32 || b == 127 || b == 152);
    }
    void everyByteHasOneCharacterThatMapsBack() {
        QFETCH(int, byte);
        QFETCH(bool, standIn);
        const QChar ch = cp1251::toChar(uchar(byte));
        QCOMPARE(cp1251::toByte(ch), std::optional<unsigned char>(uchar(byte)));
        QCOMPARE(cp1251::isStandIn(ch), standIn);

        const QByteArray utf8 = QString(ch).toUtf8();
        if (standIn) {
            // Visible, and never a character code page 1251 could mean.
            QVERIFY(ch.isPrint());
            QCOMPARE(iconvConvert("CP1251", "UTF-8", utf8), std::nullopt);
            // The PC screen's glyph wherever that one is free to serve.
            const QChar glyph = byte < 32 ? QChar(controlbytes::table[byte].screenGlyph) : QChar();
            if (!glyph.isNull() && !iconvConvert("CP1251", "UTF-8", QString(glyph).toUtf8()))
                QCOMPARE(ch, glyph);
        } else {
            QCOMPARE(std::optional<QByteArray>(utf8),
                     iconvConvert("UTF-8", "CP1251", QByteArray(1, char(byte))));
        }
    }

    void paneTextRoundTripsEveryByteSequence_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("paneLength");
        QTest::newRow("empty") << QByteArray() << 0;
        QTest::newRow("all byte values") << allBytes() << 256;
        QTest::newRow("CR LF is one line break") << QByteArray("A\r\nB") << 3;
        QTest::newRow("lone LF") << QByteArray("A\nB") << 3;
        QTest::newRow("lone CR") << QByteArray("A\rB") << 3;
        QTest::newRow("CR CR LF") << QByteArray("\r\r\n") << 2;
        QTest::newRow("LF CR") << QByteArray("\n\r") << 2;
        QTest::newRow("byte 0 and 152") << QByteArray::fromHex("0098") << 2;
    }
    void paneTextRoundTripsEveryByteSequence() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, paneLength);
        const QString pane = cp1251::toPaneText(bytes);
        QCOMPARE(pane.size(), paneLength);
        QCOMPARE(cp1251::fromPaneText(pane), std::optional<QByteArray>(bytes));
    }

    void paneTextWithACharacterOutsideTheCodePageIsRefused_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("CJK") << QStringLiteral("A\u4E2D");
        QTest::newRow("plain line feed") << QStringLiteral("A\nB");
        QTest::newRow("Latin thorn") << QStringLiteral("\u00FE");
    }
    void paneTextWithACharacterOutsideTheCodePageIsRefused() {
        QFETCH(QString, text);
        QCOMPARE(cp1251::fromPaneText(text), std::nullopt);
    }

    // Outside text keeps what has a byte; a user-perceived character without
    // one is left out whole and counted once.
    void paneInputLeavesOutWholeCharactersWithoutAByte_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pane");
        QTest::addColumn<int>("refused");
        QTest::addColumn<QString>("first");
        const QString br(cp1251::lineBreak);
        QTest::newRow("every line break")
            << "a\r\nb\rc\nd\u2028e\u2029f"
            << "a" + br + "b" + br + "c" + br + "d" + br + "e" + br + "f" << 0 << QString();
        QTest::newRow("tab and control bytes")
            << "\t\x01\x7F" << QString(cp1251::toChar(9)) + cp1251::toChar(1) + cp1251::toChar(127)
            << 0 << QString();
        QTest::newRow("stand-ins kept")
            << QString(cp1251::toChar(0)) << QString(cp1251::toChar(0)) << 0 << QString();
        QTest::newRow("letter with a combining mark") << "xe\u0301y"
                                                      << "xy" << 1 << "e\u0301";
        QTest::newRow("emoji sequence with a joiner") << "\U0001F468\u200D\U0001F469!"
                                                      << "!" << 1 << "\U0001F468\u200D\U0001F469";
        QTest::newRow("lone surrogate")
            << QString(QChar(0xD800)) << QString() << 1 << QString(QChar(0xD800));
        QTest::newRow("several, CR LF between") << "\u20BD\r\n\u200B" << br << 2 << "\u20BD";
    }
    void paneInputLeavesOutWholeCharactersWithoutAByte() {
        QFETCH(QString, text);
        QFETCH(QString, pane);
        QFETCH(int, refused);
        QFETCH(QString, first);
        const cp1251::PaneInput input = cp1251::toPaneInput(text);
        QCOMPARE(input.text, pane);
        QCOMPARE(input.refused, refused);
        QCOMPARE(input.firstRefused, first);
        QVERIFY(cp1251::fromPaneText(input.text).has_value());
    }

    void displayTextBreaksLinesOnlyAtCrLf() {
        QCOMPARE(cp1251::toDisplayText("a\r\nb"), QStringLiteral("a\nb"));
        QCOMPARE(cp1251::toDisplayText("a\rb\n"),
                 QString(QStringLiteral("a") + cp1251::toChar('\r') + 'b' + cp1251::toChar('\n')));
        // Written out in UTF-8, the text is the same, whatever the bytes.
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every += char(b);
        every += "\r\n\r\r\n\n";
        for (const QByteArray &bytes : {every, QByteArray("\r"), QByteArray()}) {
            QByteArray utf8("lead");
            cp1251::appendDisplayUtf8(utf8, bytes);
            QCOMPARE(utf8, "lead" + cp1251::toDisplayText(bytes).toUtf8());
        }
    }
};

QTEST_APPLESS_MAIN(Cp1251CodecTest)
#include "tst_cp1251codec.moc"
