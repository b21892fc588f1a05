#include "codepages/controlbytes.h"
#include "codepages/views.h"
#include "oracle.h"

#include <QRandomGenerator>
#include <QTest>
#include <string>

namespace {

QByteArray viewName(int b) {
    const std::string_view name = controlbytes::table[b].viewName;
    return inCp1251(std::string(name).c_str());
}

const QByteArray mark = inCp1251("нов.стр.");

qsizetype listing866TokenSize(int b) {
    if (b == '\r')
        return 2;
    if (b == '\n')
        return mark.size();
    if (QByteArrayView(" \"#*,.:^").contains(char(b)) || (b >= '0' && b <= '9'))
        return b == '^' ? 4 : 3;
    return b >= 192 ? 4 : 1;
}

qsizetype listing1251TokenSize(int b) {
    if (b == '\r')
        return 2 + mark.size();
    return QByteArray::number(b).size() + 1;
}

// Reads a 1251 listing back into bytes; every byte has a token that names it.
std::optional<QByteArray> parseListing1251(QByteArrayView listing) {
    if (!listing.startsWith(mark))
        return std::nullopt;
    const QByteArray lineBreak = "\r\n" + mark;
    QByteArray bytes;
    qsizetype i = mark.size();
    while (i < listing.size()) {
        if (listing.sliced(i).startsWith(lineBreak)) {
            bytes.append('\r');
            i += lineBreak.size();
            continue;
        }
        const qsizetype end = listing.indexOf('_', i);
        bool ok = false;
        const int value = end > i ? listing.sliced(i, end - i).toInt(&ok) : -1;
        if (!ok || value > 255 || (listing[i] == '0' && end - i > 1))
            return std::nullopt;
        bytes.append(char(value));
        i = end + 1;
    }
    return bytes;
}

} // namespace

class ViewsTest : public QObject {
    Q_OBJECT

private slots:
    void hexDumpIsFourCharactersPerByteInOneLine_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("dump");
        QTest::newRow("empty") << QByteArray() << QByteArray();
        QTest::newRow("leading zeros, upper case")
            << QByteArray::fromHex("000A0F10FF") << QByteArray("00  0A  0F  10  FF  ");
        QTest::newRow("letters") << QByteArray("AB") << QByteArray("41  42  ");
        QTest::newRow("line break") << QByteArray("\r\n") << QByteArray("0D  0A  ");
        QTest::newRow("seventeen bytes") << QByteArray(17, 'A') << QByteArray("41  ").repeated(17);
    }
    void hexDumpIsFourCharactersPerByteInOneLine() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, dump);
        QCOMPARE(views::hexDump(source), dump);
    }

    void controlNamesNameControlBytesAndStopEverythingElse_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("view");
        for (int b = 0; b < 32; ++b)
            QTest::addRow("byte %d", b) << QByteArray(1, char(b)) << viewName(b);
        // The names whose exact form a reader might doubt.
        QTest::newRow("0 in small letters") << QByteArray(1, '\0') << inCp1251("нуль");
        QTest::newRow("tabs, shift out, NAK")
            << QByteArray("\t\v\x0E\x15")
            << inCp1251("Г. таб.В. таб.Выкл. сдвигОтрицательное подтверждение");
        QTest::newRow("space, 127, 128, 255")
            << QByteArray::fromHex("207F80FF") << QByteArray("....");
        QTest::newRow("CR LF CR LF")
            << QByteArray("\r\n\r\n")
            << inCp1251("Возврат кареткиПеревод строкиВозврат кареткиПеревод строки");
        QTest::newRow("letters then line break")
            << QByteArray("ab\r\n") << inCp1251("..Возврат кареткиПеревод строки");
        QTest::newRow("empty") << QByteArray() << QByteArray();
    }
    void controlNamesNameControlBytesAndStopEverythingElse() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, view);
        QCOMPARE(views::controlNames(source), view);
    }

    void listing866FollowsItsTokenTable_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("listing");
        QTest::newRow("empty") << QByteArray() << inCp1251("нов.стр.");
        QTest::newRow("АБ") << inCp1251("АБ") << inCp1251("нов.стр.128_129_");
        QTest::newRow("two lines")
            << inCp1251("Аа\r\nя") << inCp1251("нов.стр.128_192_\r\nнов.стр.239_");
        QTest::newRow("lone LF") << inCp1251("А\nБ") << inCp1251("нов.стр.128_нов.стр.129_");
        QTest::newRow("lone CR") << inCp1251("А\rБ") << inCp1251("нов.стр.128_\r\n129_");
        QTest::newRow("Latin A, Cyrillic А") << inCp1251("AА") << inCp1251("нов.стр..128_");
        QTest::newRow("Ё ё ^ .") << inCp1251("Ёё^.") << inCp1251("нов.стр...255_46_");
        QTest::newRow("dash") << inCp1251("1-2") << inCp1251("нов.стр.49_.50_");
        QTest::newRow("п р") << inCp1251("пр") << inCp1251("нов.стр.207_224_");
        QTest::newRow("listed punctuation")
            << QByteArray(" \"#*,:09") << inCp1251("нов.стр.32_34_35_42_44_58_48_57_");
        const QByteArray unlisted = QByteArray("\t!$%&'()+/;<=>?@[\\]_`{|}~\x7Fz") + inCp1251("№") +
                                    QByteArray::fromHex("80BF");
        QTest::newRow("unlisted") << unlisted << mark + QByteArray(unlisted.size(), '.');
    }
    void listing866FollowsItsTokenTable() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, listing);
        QCOMPARE(views::clicheListing866(source), listing);
    }

    void listing1251NumbersEveryByte_data() {
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("listing");
        QTest::newRow("empty") << QByteArray() << inCp1251("нов.стр.");
        QTest::newRow("АБ") << inCp1251("АБ") << inCp1251("нов.стр.192_193_");
        QTest::newRow("two lines")
            << inCp1251("А\r\nя") << inCp1251("нов.стр.192_\r\nнов.стр.10_255_");
        QTest::newRow("lone LF") << QByteArray("\n") << inCp1251("нов.стр.10_");
        QTest::newRow("lone CR") << QByteArray("\r") << inCp1251("нов.стр.\r\nнов.стр.");
        QTest::newRow("nothing special")
            << inCp1251("Ё№-^\tA") << inCp1251("нов.стр.168_185_45_94_9_65_");
        QTest::newRow("0 and 255") << QByteArray::fromHex("00FF") << inCp1251("нов.стр.0_255_");
    }
    void listing1251NumbersEveryByte() {
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, listing);
        QCOMPARE(views::clicheListing1251(source), listing);
    }

    void documentsOverThe16BitRangeAreListedWhole() {
        const QByteArray source = inCp1251("А").repeated(40000);
        QCOMPARE(views::clicheListing866(source), mark + QByteArray("128_").repeated(40000));
        QCOMPARE(views::clicheListing1251(source), mark + QByteArray("192_").repeated(40000));
    }

    void randomBytesGiveTheDocumentedLengths_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("size");
        for (quint32 seed = 1; seed <= 12; ++seed)
            QTest::addRow("seed %u", seed) << seed << int(seed * seed * 97 % 5000);
        QTest::newRow("past 32767") << quint32(99) << 40000;
    }
    void randomBytesGiveTheDocumentedLengths() {
        QFETCH(quint32, seed);
        QFETCH(int, size);
        QRandomGenerator random(seed);
        QByteArray source(size, Qt::Uninitialized);
        for (char &c : source)
            c = char(random.bounded(256));

        qsizetype nameSizes[32];
        for (int b = 0; b < 32; ++b)
            nameSizes[b] = viewName(b).size();
        qsizetype names = 0;
        qsizetype listing866 = mark.size();
        qsizetype listing1251 = mark.size();
        for (const char c : source) {
            const auto b = static_cast<unsigned char>(c);
            names += b < 32 ? nameSizes[b] : 1;
            listing866 += listing866TokenSize(b);
            listing1251 += listing1251TokenSize(b);
        }
        const qsizetype dels = source.count('\x7F');
        const qsizetype guillemets = source.count('\xAB') + source.count('\xBB');

        QCOMPARE(views::hexDump(source).size(), 4 * size);
        QCOMPARE(views::cp866Glyphs(source).size(), size + 2 * dels);
        QCOMPARE(views::cp1251Glyphs(source).size(), size + 2 * dels + guillemets);
        QCOMPARE(views::controlNames(source).size(), names);
        QCOMPARE(views::clicheListing866(source).size(), listing866);
        const QByteArray listing = views::clicheListing1251(source);
        QCOMPARE(listing.size(), listing1251);
        QCOMPARE(parseListing1251(listing), std::optional<QByteArray>(source));
    }

    // A pane writes a view a row at a time from its tokens: the lead and the
    // tokens of the bytes in order must give the view's whole text.
    void tokensWriteTheViewsText_data() {
        QTest::addColumn<int>("view");
        const char *names[] = {"hex", "866", "1251", "names", "listing866", "listing1251"};
        for (int view = 0; view < 6; ++view)
            QTest::newRow(names[view]) << view;
    }
    void tokensWriteTheViewsText() {
        QFETCH(int, view);
        const views::View all[] = {views::hexDump,          views::cp866Glyphs,
                                   views::cp1251Glyphs,     views::controlNames,
                                   views::clicheListing866, views::clicheListing1251};
        const views::Tokens *tokens = views::tokensOf(all[view]);
        QVERIFY(tokens);
        QByteArray source;
        for (int b = 0; b < 256; ++b)
            source += char(b);
        source += "\r\n\r\n\x7f\xab";
        QByteArray written = tokens->lead.toByteArray();
        for (const char c : source)
            written += (*tokens)[uchar(c)];
        QCOMPARE(written, all[view](source, nullptr));
        QCOMPARE(views::tokensOf(nullptr), nullptr);
        QCOMPARE(views::hexDumpTokens['A'].size(), views::hexGroupWidth);
    }
};

QTEST_APPLESS_MAIN(ViewsTest)
#include "tst_views.moc"
