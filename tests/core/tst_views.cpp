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
    // Worked sources for the views that write bytes one table token each:
    // the hex dump (four characters a byte, one line), the control names
    // (the bytes 0..31 named, everything else stopped), the 866 listing
    // (after its token table) and the 1251 listing (every byte numbered).
    void viewsWriteWorkedSources_data() {
        QTest::addColumn<int>("view");
        QTest::addColumn<QByteArray>("source");
        QTest::addColumn<QByteArray>("expected");
        QTest::addRow("hex dump: empty") << 0 << QByteArray() << QByteArray();
        QTest::addRow("hex dump: leading zeros, upper case")
            << 0 << QByteArray::fromHex("000A0F10FF") << QByteArray("00  0A  0F  10  FF  ");
        QTest::addRow("hex dump: letters") << 0 << QByteArray("AB") << QByteArray("41  42  ");
        QTest::addRow("hex dump: line break") << 0 << QByteArray("\r\n") << QByteArray("0D  0A  ");
        QTest::addRow("hex dump: seventeen bytes")
            << 0 << QByteArray(17, 'A') << QByteArray("41  ").repeated(17);

        for (int b = 0; b < 32; ++b)
            QTest::addRow("names: byte %d", b) << 1 << QByteArray(1, char(b)) << viewName(b);
        // The names whose exact form a reader might doubt.
        QTest::addRow("names: 0 in small letters") << 1 << QByteArray(1, '\0') << inCp1251("нуль");
        QTest::addRow("names: tabs, shift out, NAK")
            << 1 << QByteArray("\t\v\x0E\x15")
            << inCp1251("Г. таб.В. таб.Выкл. сдвигОтрицательное подтверждение");
        QTest::addRow("names: space, 127, 128, 255")
            << 1 << QByteArray::fromHex("207F80FF") << QByteArray("....");
        QTest::addRow("names: CR LF CR LF")
            << 1 << QByteArray("\r\n\r\n")
            << inCp1251("Возврат кареткиПеревод строкиВозврат кареткиПеревод строки");
        QTest::addRow("names: letters then line break")
            << 1 << QByteArray("ab\r\n") << inCp1251("..Возврат кареткиПеревод строки");
        QTest::addRow("names: empty") << 1 << QByteArray() << QByteArray();

        QTest::addRow("listing 866: empty") << 2 << QByteArray() << inCp1251("нов.стр.");
        QTest::addRow("listing 866: АБ") << 2 << inCp1251("АБ") << inCp1251("нов.стр.128_129_");
        QTest::addRow("listing 866: two lines")
            << 2 << inCp1251("Аа\r\nя") << inCp1251("нов.стр.128_192_\r\nнов.стр.239_");
        QTest::addRow("listing 866: lone LF")
            << 2 << inCp1251("А\nБ") << inCp1251("нов.стр.128_нов.стр.129_");
        QTest::addRow("listing 866: lone CR")
            << 2 << inCp1251("А\rБ") << inCp1251("нов.стр.128_\r\n129_");
        QTest::addRow("listing 866: Latin A, Cyrillic А")
            << 2 << inCp1251("AА") << inCp1251("нов.стр..128_");
        QTest::addRow("listing 866: Ё ё ^ .")
            << 2 << inCp1251("Ёё^.") << inCp1251("нов.стр...255_46_");
        QTest::addRow("listing 866: dash") << 2 << inCp1251("1-2") << inCp1251("нов.стр.49_.50_");
        QTest::addRow("listing 866: п р") << 2 << inCp1251("пр") << inCp1251("нов.стр.207_224_");
        QTest::addRow("listing 866: listed punctuation")
            << 2 << QByteArray(" \"#*,:09") << inCp1251("нов.стр.32_34_35_42_44_58_48_57_");
        const QByteArray unlisted = QByteArray("\t!$%&'()+/;<=>?@[\\]_`{|}~\x7Fz") + inCp1251("№") +
                                    QByteArray::fromHex("80BF");
        QTest::addRow("listing 866: unlisted")
            << 2 << unlisted << mark + QByteArray(unlisted.size(), '.');

        QTest::addRow("listing 1251: empty") << 3 << QByteArray() << inCp1251("нов.стр.");
        QTest::addRow("listing 1251: АБ") << 3 << inCp1251("АБ") << inCp1251("нов.стр.192_193_");
        QTest::addRow("listing 1251: two lines")
            << 3 << inCp1251("А\r\nя") << inCp1251("нов.стр.192_\r\nнов.стр.10_255_");
        QTest::addRow("listing 1251: lone LF") << 3 << QByteArray("\n") << inCp1251("нов.стр.10_");
        QTest::addRow("listing 1251: lone CR")
            << 3 << QByteArray("\r") << inCp1251("нов.стр.\r\nнов.стр.");
        QTest::addRow("listing 1251: nothing special")
            << 3 << inCp1251("Ё№-^\tA") << inCp1251("нов.стр.168_185_45_94_9_65_");
        QTest::addRow("listing 1251: 0 and 255")
            << 3 << QByteArray::fromHex("00FF") << inCp1251("нов.стр.0_255_");
    }
    void viewsWriteWorkedSources() {
        QFETCH(int, view);
        QFETCH(QByteArray, source);
        QFETCH(QByteArray, expected);
        const views::View written[] = {views::hexDump, views::controlNames, views::clicheListing866,
                                       views::clicheListing1251};
        QCOMPARE(written[view](source, nullptr), expected);
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
