#include "base/russiancount.h"
#include "checks/clichecheck.h"
#include "checks/clichefixes.h"
#include "checks/helptext.h"
#include "checks/registermodels.h"
#include "codepages/views.h"
#include "oracle.h"

#include <QRandomGenerator>
#include <QTest>

using namespace cliche;

namespace {

cliche::RegisterModel model(const char *utf8Name) {
    const auto found = findRegisterModel(QString::fromUtf8(utf8Name));
    if (!found)
        qFatal("no model %s", utf8Name);
    return *found;
}

// "W 1:25 @24+1": kind, line:column, @offset+length.
QStringList described(const QList<Finding> &findings) {
    static const char kinds[] = "WLUSTB";
    QStringList list;
    for (const Finding &f : findings) {
        list << QStringLiteral("%1 %2:%3 @%4+%5")
                    .arg(QLatin1Char(kinds[int(f.kind)]))
                    .arg(f.line)
                    .arg(f.column)
                    .arg(f.offset)
                    .arg(f.length);
    }
    return list;
}

QByteArray lines(int count, const QByteArray &line = "A") {
    QByteArrayList list;
    for (int i = 0; i < count; ++i)
        list << line;
    return list.join("\r\n");
}

// The same findings with the same messages, in whatever order they came.
void compareByPlace(QList<Finding> got, QList<Finding> expected) {
    const auto byPlace = [](const Finding &a, const Finding &b) {
        return std::pair(a.offset, a.kind) < std::pair(b.offset, b.kind);
    };
    std::sort(got.begin(), got.end(), byPlace);
    std::sort(expected.begin(), expected.end(), byPlace);
    QCOMPARE(described(got), described(expected));
    for (qsizetype i = 0; i < expected.size(); ++i)
        QCOMPARE(got[i].message, expected[i].message);
}

} // namespace

// The register models read from the Help, the check of a cliche against
// them, and the fixes the check window offers.
class ClicheCheckTest : public QObject {
    Q_OBJECT

private slots:
    void modelsAreTheOnesTheHelpNames() {
        struct Row {
            const char *name;
            Group group;
            int width;
            int lineLimit;
            bool capitalsOnly;
        };
        const Row expected[] = {
            {"АМС100Мк", Group::Cp1251, 18, 0, false},
            {"АМС-миниК", Group::Cp1251, 18, 0, false},
            {"АМС-100К", Group::Cp1251, 18, 0, false},
            {"АМС 100Фв17", Group::Cp1251, 18, 0, false},
            {"АМС 200Ф", Group::Cp1251, 0, 0, false},
            {"Астра200Ф", Group::Cp1251, 24, 0, false},
            {"ШТРИХ-МИНИ-К", Group::Cp1251, 24, 0, false},
            {"МЕРКУРИЙ К", Group::Cp1251, 24, 0, false},
            {"WAB 04RK", Group::Cp1251, 24, 6, false},
            {"МЕРКУРИЙ Ф", Group::Cp866, 24, 0, true},
            {"ЛАДОГА Ф/К", Group::Cp866, 17, 0, false},
        };
        const QList<RegisterModel> &models = registerModels();
        QCOMPARE(models.size(), qsizetype(std::size(expected)));
        for (qsizetype i = 0; i < models.size(); ++i) {
            const Row &row = expected[i];
            QCOMPARE(models[i].name, QString::fromUtf8(row.name));
            QVERIFY(models[i].group == row.group);
            QCOMPARE(models[i].width, row.width);
            QCOMPARE(models[i].lineLimit, row.lineLimit);
            QCOMPARE(models[i].capitalsOnly, row.capitalsOnly);
        }
        QVERIFY(!findRegisterModel(u"АМС 200Ф "));
    }

    void otherModelKeepsItsFieldsInRange() {
        const RegisterModel narrow = otherModel(Group::Cp866, 3, 120);
        QCOMPARE(narrow.name, QStringLiteral("Другая модель"));
        QVERIFY(narrow.group == Group::Cp866);
        QCOMPARE(narrow.width, 8);
        QCOMPARE(narrow.lineLimit, 99);
        QCOMPARE(otherModel(Group::Cp1251, 81, -1).width, 80);
        QCOMPARE(otherModel(Group::Cp1251, 40, -1).lineLimit, 0);
    }

    void helpMessageIsItsLinesJoinedByLineFeeds() {
        const QString message = helptext::message();
        QCOMPARE(message.count(u'\n'), 14);
        QVERIFY(message.startsWith(u"Кодировка Win1251 годится для ККМ:\nАМС100Мк  18"));
        QVERIFY(message.endsWith(u"ЛАДОГА Ф/К 17 знаков\nТекст клише не должен превышать 10К!"));
    }

    void checkFindsWhatTheRegisterWouldMake_data() {
        QTest::addColumn<QByteArray>("model");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("findings");
        const QStringList none;
        const QByteArray mercuryK = "МЕРКУРИЙ К"; // 1251 group, 24 characters
        const QByteArray wab = "WAB 04RK";        // 1251 group, 24 characters, 6 lines
        const QByteArray mercuryF = "МЕРКУРИЙ Ф"; // 866 group, 24 characters, capitals only
        const QByteArray ladoga = "ЛАДОГА Ф/К";   // 866 group, 17 characters
        const QByteArray ams200 = "АМС 200Ф";     // 1251 group, width unknown

        QTest::newRow("24 characters fit 24") << mercuryK << QByteArray(24, 'A') << none;
        QTest::newRow("25 characters do not")
            << mercuryK << QByteArray(25, 'A') << QStringList{"W 1:25 @24+1"};
        QTest::newRow("each line counts on its own")
            << mercuryK << QByteArray(24, 'A') + "\r\n" + QByteArray(26, 'B')
            << QStringList{"W 2:25 @50+2"};
        QTest::newRow("no width, no width check") << ams200 << QByteArray(300, 'A') << none;
        QTest::newRow("6 lines on WAB 04RK") << wab << lines(6) << none;
        QTest::newRow("7th line on WAB 04RK") << wab << lines(8) << QStringList{"L 7:1 @18+4"};
        QTest::newRow("a final line break starts no line") << wab << lines(6) + "\r\n" << none;
        QTest::newRow("empty lines count")
            << wab << QByteArray("\r\n").repeated(7) << QStringList{"L 7:1 @12+2"};
        QTest::newRow("small а on МЕРКУРИЙ Ф")
            << mercuryF << inCp1251("Аа") << QStringList{"S 1:2 @1+1"};
        QTest::newRow("a run of small letters is one finding")
            << mercuryF << inCp1251("Ёлка ёж")
            << QStringList{"U 1:1 @0+1", "S 1:2 @1+3", "U 1:6 @5+1", "S 1:7 @6+1"};
        QTest::newRow("capital А on МЕРКУРИЙ Ф") << mercuryF << inCp1251("АБВ Я") << none;
        QTest::newRow("СПАСИБО! on 866")
            << ladoga << inCp1251("СПАСИБО!") << QStringList{"U 1:8 @7+1"};
        QTest::newRow("«Ёлочка» on 866") << ladoga << inCp1251("«Ёлочка»")
                                         << QStringList{"U 1:1 @0+1", "U 1:2 @1+1", "U 1:8 @7+1"};
        QTest::newRow("866 prints its listing's signs")
            << ladoga << inCp1251("\"#*,.:0189^ Яя") << none;
        QTest::newRow("Latin, dash and tab on 866")
            << ladoga << QByteArray("a-\t")
            << QStringList{"U 1:1 @0+1", "U 1:2 @1+1", "U 1:3 @2+1"};
        QTest::newRow("1251 prints guillemets and Ё")
            << mercuryK << inCp1251("«Ёлочка» №1 - a") << none;
        // The 1251 listing gives every byte a code: ™, ©, € and the other
        // signs its glyph view shows as "." print.
        QByteArray coded1251;
        for (int b = 128; b < 256; ++b)
            coded1251 += char(b == 152 ? 'A' : b);
        QTest::newRow("1251 prints every byte its listing codes") << ams200 << coded1251 << none;
        QTest::newRow("1251: tab, 127 and 152 do not print")
            << ams200 << QByteArray("\t\x7f\x98\xa9")
            << QStringList{"U 1:1 @0+1", "U 1:2 @1+1", "U 1:3 @2+1"};
        QTest::newRow("lone LF on 1251 stays in its line")
            << mercuryK << QByteArray("A\nB\r\nC") << QStringList{"B 1:2 @1+1"};
        QTest::newRow("lone LF on 866 starts a line")
            << ladoga << QByteArray("12\n3") << QStringList{"B 1:3 @2+1"};
        QTest::newRow("lone CR on 866 stays in its line")
            << ladoga << QByteArray("1\r2\r\n") << QStringList{"B 1:2 @1+1"};
        QTest::newRow("lone CR on 1251 starts a line")
            << wab << QByteArray("A\r").repeated(7)
            << QStringList{"B 1:2 @1+1", "B 2:2 @3+1",  "B 3:2 @5+1",  "B 4:2 @7+1",
                           "B 5:2 @9+1", "B 6:2 @11+1", "L 7:1 @12+2", "B 7:2 @13+1"};
        QTest::newRow("10239 bytes") << ams200 << QByteArray(10239, 'A') << none;
        QTest::newRow("10240 bytes")
            << ams200 << QByteArray(10240, 'A') << QStringList{"T 1:10240 @10239+1"};
        QTest::newRow("10K among other findings, in order of offsets")
            << mercuryK << QByteArray(10237, 'A') + "\r\n!!"
            << QStringList{"W 1:25 @24+10213", "T 2:1 @10239+2"};
        QTest::newRow("overflow, then the character at its start")
            << mercuryF << QByteArray(24, '1') + inCp1251("я!")
            << QStringList{"W 1:25 @24+2", "S 1:25 @24+1", "U 1:26 @25+1"};
    }

    void checkFindsWhatTheRegisterWouldMake() {
        QFETCH(QByteArray, model);
        QFETCH(QByteArray, document);
        QFETCH(QStringList, findings);
        const RegisterModel m = ::model(model.constData());
        QCOMPARE(described(check(document, m)), findings);
    }

    // Every count the program says takes its word by the last two digits.
    void countsTakeTheRussianWordForm_data() {
        QTest::addColumn<qint64>("n");
        QTest::addColumn<QString>("said");
        const struct {
            qint64 n;
            const char *said;
        } rows[] = {{0, "0 знаков"},     {1, "1 знак"},        {2, "2 знака"},
                    {4, "4 знака"},      {5, "5 знаков"},      {11, "11 знаков"},
                    {12, "12 знаков"},   {14, "14 знаков"},    {21, "21 знак"},
                    {22, "22 знака"},    {101, "101 знак"},    {111, "111 знаков"},
                    {112, "112 знаков"}, {1004, "1004 знака"}, {10240, "10240 знаков"}};
        for (const auto &row : rows)
            QTest::newRow(row.said) << row.n << QString::fromUtf8(row.said);
    }
    void countsTakeTheRussianWordForm() {
        QFETCH(qint64, n);
        QFETCH(QString, said);
        QCOMPARE(russiancount::countOf(n, "знак", "знака", "знаков"), said);
    }

    void messagesSayWhatAndHowMuch() {
        const auto messages = [](const char *modelName, const QByteArray &document) {
            QStringList list;
            for (const Finding &f : check(document, model(modelName)))
                list << f.message;
            return list;
        };
        QCOMPARE(
            messages("МЕРКУРИЙ Ф", inCp1251("СПАСИБО!\nя\t")),
            QStringList({QStringLiteral("знак \"!\" не печатается в группе 866: для него нет кода"),
                         QStringLiteral("одиночный LF (байт 10) вместо CR LF: группа 866 "
                                        "начинает с него новую строку"),
                         QStringLiteral("строчная буква \"я\": модель печатает только большие "
                                        "буквы"),
                         QStringLiteral("управляющий символ HT (байт 9) не печатается в группе "
                                        "866: это команда, а не знак")}));
        QCOMPARE(messages("МЕРКУРИЙ К", "\x1b\x98\x7f"),
                 QStringList({QStringLiteral("управляющий символ ESC (байт 27) не печатается в "
                                             "группе 1251: это команда, а не знак"),
                              QStringLiteral("байт 152 не печатается в группе 1251: в кодировке "
                                             "1251 у него нет знака"),
                              QStringLiteral("управляющий символ DEL (байт 127) не печатается в "
                                             "группе 1251: это команда, а не знак")}));
        QCOMPARE(messages("МЕРКУРИЙ Ф", inCp1251("ДОБРО пожаловать в магазин")),
                 QStringList({QStringLiteral("строчные буквы \"пожаловать\": модель печатает "
                                             "только большие буквы"),
                              QStringLiteral("строчная буква \"в\": модель печатает только большие "
                                             "буквы"),
                              QStringLiteral("строчные буквы \"магазин\": модель печатает только "
                                             "большие буквы"),
                              QStringLiteral("в строке 26 знаков, модель печатает 24 знака")}));
        QCOMPARE(messages("ЛАДОГА Ф/К", QByteArray(21, '1')),
                 QStringList{QStringLiteral("в строке 21 знак, модель печатает 17 знаков")});
        QCOMPARE(messages("WAB 04RK", lines(7)).value(0),
                 QStringLiteral("в клише 7 строк, модель печатает 6 строк"));
        QCOMPARE(messages("АМС 200Ф", QByteArray(10242, '1')).value(0),
                 QStringLiteral("текст клише 10242 байта: должен быть меньше 10К (10240 байт)"));
    }

    // The check of a file streams it a piece at a time: wherever the pieces
    // are cut (between CR and LF, inside a run of small letters, at the 10K
    // limit), the findings are those of the whole text at once.
    void streamFindsWhatTheWholeTextHas() {
        const QList<RegisterModel> models = {model("МЕРКУРИЙ Ф"), model("WAB 04RK"),
                                             model("АМС 200Ф"), model("ЛАДОГА Ф/К"),
                                             otherModel(Group::Cp866, 8, 3)};
        const QByteArray alphabet = inCp1251("\r\n\r\nAaя!\t Ё") + "\x98\xa9\x7f";
        QRandomGenerator random(2024);
        for (int round = 0; round < 300; ++round) {
            const RegisterModel &m = models[random.bounded(models.size())];
            const int size = round % 10 == 0 ? 10200 + random.bounded(100) : random.bounded(200);
            QByteArray document(size, Qt::Uninitialized);
            for (char &c : document)
                c = alphabet[random.bounded(alphabet.size())];

            QList<Finding> streamed;
            CheckStream stream(m, [&streamed](const Finding &f) { streamed << f; });
            for (qsizetype at = 0; at < document.size();) {
                const qsizetype piece = std::min<qsizetype>(
                    random.bounded(random.bounded(2) ? 3 : 80), document.size() - at);
                stream.feed(QByteArrayView(document).sliced(at, piece));
                at += piece;
            }
            stream.finish();

            compareByPlace(streamed, check(document, m));
            if (QTest::currentTestFailed())
                return;
        }
    }

    // The command line takes the messages in UTF-8 as the check makes them:
    // each kind's text, in every form of its counts, is the one the window
    // shows.
    void utf8MessagesAreTheWindowsMessages_data() {
        QTest::addColumn<QString>("modelName");
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QStringList>("messages");
        const QString small = QStringLiteral(": модель печатает только большие буквы");
        QTest::newRow("a run longer than its quote")
            << "МЕРКУРИЙ Ф" << inCp1251("абвгдежзийклмнопрст Ъя")
            << QStringList{"строчные буквы \"абвгдежзийклмноп…\"" + small,
                           "строчная буква \"я\"" + small};
        QTest::newRow("sixteen letters, quoted whole")
            << "МЕРКУРИЙ Ф" << inCp1251("рстуфхцчшщыьэюяа")
            << QStringList{"строчные буквы \"рстуфхцчшщыьэюяа\"" + small};
        QTest::newRow("lines of every form")
            << "ЛАДОГА Ф/К"
            << QByteArray(21, '1') + "\r\n" + QByteArray(22, '2') + "\r\n" + QByteArray(25, '5') +
                   "\r\n" + QByteArray(111, '1') + "\r\n" + QByteArray(22, '2')
            << QStringList{QStringLiteral("в строке 21 знак, модель печатает 17 знаков"),
                           QStringLiteral("в строке 22 знака, модель печатает 17 знаков"),
                           QStringLiteral("в строке 25 знаков, модель печатает 17 знаков"),
                           QStringLiteral("в строке 111 знаков, модель печатает 17 знаков"),
                           QStringLiteral("в строке 22 знака, модель печатает 17 знаков")};
        QTest::newRow("bytes, breaks, lines and length")
            << "WAB 04RK" << lines(7, "\x1b\x98\r") + QByteArray(10240, '1') << QStringList{};
    }
    void utf8MessagesAreTheWindowsMessages() {
        QFETCH(QString, modelName);
        QFETCH(QByteArray, document);
        QFETCH(QStringList, messages);
        const RegisterModel m = model(modelName.toUtf8().constData());
        QStringList shown;
        for (const Finding &f : check(document, m))
            shown << f.message;
        if (!messages.isEmpty())
            QCOMPARE(shown.join('|'), messages.join('|'));
        QVERIFY(!shown.isEmpty());

        QList<Finding> written;
        CheckStream stream(m, [&](const Finding &f, QByteArrayView utf8) {
            QVERIFY(f.message.isEmpty());
            written << f;
            written.back().message = QString::fromUtf8(utf8);
        });
        stream.feed(document);
        stream.finish();
        compareByPlace(written, check(document, m));
    }

    void capitalsChangeOnlySmallLetters() {
        QByteArray all(256, '\0');
        for (int b = 0; b < 256; ++b)
            all[b] = char(b);
        const QByteArray capitals = toCapitals(all);
        for (int b = 0; b < 256; ++b) {
            const auto to = static_cast<unsigned char>(capitals[b]);
            if ((b >= 'a' && b <= 'z') || b >= 224)
                QCOMPARE(int(to), b - 32);
            else if (b == 184) // ё
                QCOMPARE(int(to), 168);
            else
                QCOMPARE(int(to), b);
        }
        for (const Finding &f : check(capitals.mid(224), model("МЕРКУРИЙ Ф")))
            QVERIFY(f.kind == FindingKind::LineTooWide);
    }

    void replacementsPrintOn866AndTouchNothingElse() {
        for (const Replacement &row : replacements866()) {
            QVERIFY2(!views::listing866HasCode(row.from), qPrintable(QString::number(row.from)));
            for (const char c : row.to)
                QVERIFY2(views::listing866HasCode(static_cast<unsigned char>(c)),
                         qPrintable(QString::number(row.from)));
        }
        QCOMPARE(replaceUnprintable866(inCp1251("«Ёлочка» № 5… ё! AbC-\xC2\xA0\r\n")),
                 inCp1251("\"Елочка\" # 5... е! AbC- \r\n"));
    }
};

QTEST_APPLESS_MAIN(ClicheCheckTest)
#include "tst_clichecheck.moc"
