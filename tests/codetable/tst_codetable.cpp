#include "../testfonts.h"
#include "codetablewindow.h"
#include "objectnames.h"
#include "twips.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>
#include <iconv.h>

namespace {

QTextEdit *pane(CodeTableWindow &window) {
    return window.findChild<QTextEdit *>(QLatin1String(objectnames::codeTablePane));
}

bool paneFillsWindow(CodeTableWindow &window) {
    QCoreApplication::processEvents();
    return pane(window) && pane(window)->geometry() == window.rect();
}

// glibc's own conversion tables, an oracle independent of the program's.
QString viaIconv(const char *codePage, int code) {
    iconv_t cd = iconv_open("UTF-8", codePage);
    if (cd == iconv_t(-1))
        return QStringLiteral("<no iconv for %1>").arg(QLatin1String(codePage));
    char in = char(code);
    char out[8];
    char *inPtr = &in;
    char *outPtr = out;
    size_t inLeft = 1;
    size_t outLeft = sizeof out;
    const size_t done = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    return done == size_t(-1) ? QString() : QString::fromUtf8(out, outPtr - out);
}

QTextTable *codeTable(QTextDocument &document) {
    for (QTextFrame *frame : document.rootFrame()->childFrames())
        if (auto *table = qobject_cast<QTextTable *>(frame))
            return table;
    return nullptr;
}

QString cellText(QTextTable *table, int row, int column) {
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText();
}

QTextCharFormat firstCharFormat(QTextTable *table, int row, int column) {
    QTextCursor cursor = table->cellAt(row, column).firstCursorPosition();
    cursor.movePosition(QTextCursor::NextCharacter);
    return cursor.charFormat();
}

// A section as a reader finds it: a title spanning three columns, then data
// rows up to a row of empty cells.
struct Section {
    int titleRow;
    int dataRows = 0;
    bool closed = false;
};

QList<Section> sectionsOf(QTextTable *table) {
    QList<Section> sections;
    for (int row = 0; row < table->rows(); ++row) {
        if (table->cellAt(row, 0).columnSpan() == 3) {
            sections.append(Section{row});
        } else if (!sections.isEmpty() && !sections.last().closed) {
            bool empty = true;
            for (int column = 0; column < 5; ++column)
                empty = empty && cellText(table, row, column).isEmpty();
            if (empty)
                sections.last().closed = true;
            else
                ++sections.last().dataRows;
        }
    }
    return sections;
}

QStringList lines(const QTextBlock &block) {
    return block.text().split(QChar::LineSeparator);
}

} // namespace

class TestCodeTable : public QObject {
    Q_OBJECT

    // Row of a code in a section (1 to 4); code -1 is the title row.
    int row(int section, int code) const {
        static const int firstCodes[] = {0, 32, 128, 128};
        const int title = sections_.at(section - 1).titleRow;
        return code < 0 ? title : title + 1 + code - firstCodes[section - 1];
    }
    QString text(int section, int code, int column) const {
        return cellText(table_, row(section, code), column);
    }

private slots:
    void initTestCase() {
        reference_ = new CodeTableWindow;
        document_ = pane(*reference_)->document();
        table_ = codeTable(*document_);
        QVERIFY(table_);
        sections_ = sectionsOf(table_);
        QCOMPARE(sections_.size(), 4);
    }
    void cleanupTestCase() { delete reference_; }

    void windowOpensWithItsCaptionAndClientSizeAtTheTop() {
        CodeTableWindow window;
        QCOMPARE(window.windowTitle(), QStringLiteral("Таблицы"));
        QCOMPARE(window.size(),
                 QSize(twips::toPixelsX(window, 5190), twips::toPixelsY(window, 3465)));
        QCOMPARE(pane(window)->textCursor().position(), 0);
    }

    // Escape closes the window, the text selected or not, as it closes the
    // check window.
    void escapeClosesTheWindow_data() {
        QTest::addColumn<bool>("selected");
        QTest::newRow("nothing selected") << false;
        QTest::newRow("text selected") << true;
    }
    void escapeClosesTheWindow() {
        QFETCH(bool, selected);
        QPointer<CodeTableWindow> window = new CodeTableWindow;
        window->show();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTextEdit *text = pane(*window);
        text->setFocus();
        if (selected)
            text->selectAll();

        QTest::keyClick(text, Qt::Key_Escape);

        QTRY_VERIFY(!window);
    }

    void paneFillsClientAreaAfterResizing_data() {
        QTest::addColumn<QList<QSize>>("sizes");
        QTest::newRow("shrunk to smallest then enlarged") << QList<QSize>{{0, 0}, {1400, 1000}};
        QTest::newRow("enlarged then shrunk") << QList<QSize>{{1200, 900}, {0, 0}, {400, 300}};
        QTest::newRow("narrow and tall, then wide and low")
            << QList<QSize>{{1, 800}, {1000, 1}, {347, 231}};
    }
    void paneFillsClientAreaAfterResizing() {
        QFETCH(QList<QSize>, sizes);
        CodeTableWindow window;
        window.show();
        QVERIFY(paneFillsWindow(window));
        for (const QSize &size : sizes) {
            window.resize(size);
            QVERIFY2(paneFillsWindow(window),
                     qPrintable(QStringLiteral("%1x%2").arg(size.width()).arg(size.height())));
        }
    }

    void paneFillsClientAreaAfterMinimiseAndRestore() {
        CodeTableWindow window;
        window.show();
        window.resize(500, 400);
        QVERIFY(paneFillsWindow(window));
        window.showMinimized();
        QVERIFY(paneFillsWindow(window));
        window.showNormal();
        QVERIFY(paneFillsWindow(window));
        QCOMPARE(window.size(), QSize(500, 400));
    }

    void codesAndCharactersStayOnOneLineInTheSmallestWindow() {
        CodeTableWindow window;
        window.show();
        window.resize(0, 0);
        QCoreApplication::processEvents();
        QTextDocument *document = pane(window)->document();
        document->documentLayout()->documentSize();
        QTextTable *table = codeTable(*document);
        for (int r = 0; r < table->rows(); ++r) {
            for (int column : {0, 1, 3, 4}) {
                const QTextBlock block = table->cellAt(r, column).firstCursorPosition().block();
                QVERIFY2(block.layout()->lineCount() <= 1,
                         qPrintable(QStringLiteral("row %1 column %2").arg(r).arg(column)));
            }
        }
    }

    void sectionsHaveExactTitlesAndAllTheirCodes_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<QString>("title"); // its red part in [ ]
        QTest::addColumn<int>("firstCode");
        QTest::addColumn<int>("codes");
        QTest::newRow("1") << 1 << "1 - 31 (команды,значения, вид, клавиши)" << 0 << 32;
        QTest::newRow("2") << 2 << "32 - 127 (числа и английский)" << 32 << 96;
        QTest::newRow("3") << 3 << "(128 - 255) (Кодовая таблица 866 - MS-DOS)" << 128 << 128;
        QTest::newRow("4") << 4 << "([128 - 255]) (Кодовая таблица 1251 - MS Windows)" << 128
                           << 128;
    }
    void sectionsHaveExactTitlesAndAllTheirCodes() {
        QFETCH(int, section);
        QFETCH(QString, title);
        QFETCH(int, firstCode);
        QFETCH(int, codes);
        const Section s = sections_.at(section - 1);
        QString shown;
        const QTextBlock block = table_->cellAt(s.titleRow, 0).firstCursorPosition().block();
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const bool red = it.fragment().charFormat().foreground().color() == Qt::red;
            shown += red ? u'[' + it.fragment().text() + u']' : it.fragment().text();
        }
        QCOMPARE(shown, title);
        QCOMPARE(s.dataRows, codes);
        QVERIFY(s.closed);
        for (int i = 0; i < codes; ++i)
            QCOMPARE(cellText(table_, s.titleRow + 1 + i, 0), QString::number(firstCode + i));
    }

    void characterCells_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shown");
        QTest::newRow("zero") << 2 << 48 << "0";
        QTest::newRow("equals") << 2 << 61 << "=";
        QTest::newRow("grave accent") << 2 << 96 << "`";
        QTest::newRow("small o") << 2 << 111 << "o";
        QTest::newRow("space") << 2 << 32 << "";
        QTest::newRow("delete") << 2 << 127 << "";
        QTest::newRow("866 no-break space") << 3 << 255 << "";
        QTest::newRow("euro") << 4 << 136 << "€";
        QTest::newRow("quotes") << 4 << 145 << "‘’“”";
        QTest::newRow("undefined 152") << 4 << 152 << "";
        QTest::newRow("1251 no-break space") << 4 << 160 << "";
        QTest::newRow("soft hyphen") << 4 << 173 << "-";
    }
    void characterCells() {
        QFETCH(int, section);
        QFETCH(int, code);
        QFETCH(QString, shown);
        // A run of several characters stands for consecutive codes.
        for (int i = 0; i < qMax(1, int(shown.size())); ++i) {
            QCOMPARE(text(section, code + i, 1), shown.mid(i, 1));
            for (int column = 2; column < 5; ++column)
                QCOMPARE(text(section, code + i, column), QString());
        }
    }

    void codePageCharactersMatchIconv_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<QByteArray>("codePage");
        QTest::newRow("866") << 3 << QByteArray("CP866");
        QTest::newRow("1251") << 4 << QByteArray("CP1251");
    }
    void codePageCharactersMatchIconv() {
        QFETCH(int, section);
        QFETCH(QByteArray, codePage);
        for (int code = 128; code <= 255; ++code) {
            QString expected = viaIconv(codePage.constData(), code);
            if (expected == QStringLiteral("\u00AD"))
                expected = QStringLiteral("-");
            else if (expected == QStringLiteral("\u00A0"))
                expected.clear();
            const QString shown = text(section, code, 1);
            QVERIFY2(shown == expected,
                     qPrintable(QStringLiteral("code %1: expected '%2', shown '%3'")
                                    .arg(code)
                                    .arg(expected, shown)));
        }
    }

    void controlCodeRows_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QStringList>("cells");
        QTest::newRow("nul") << 0 << QStringList{"0", "nul", "Нуль", "", "^@"};
        QTest::newRow("bel") << 7 << QStringList{"7", "bel", "Сигнал (звонок)", "•", "^G"};
        QTest::newRow("cr") << 13 << QStringList{"13", "cr", "Возврат каретки", "♪", "^M"};
        QTest::newRow("fs") << 28 << QStringList{"28", "fs", "Разделитель файлов", "∟", "^\\"};
        QTest::newRow("us") << 31 << QStringList{"31", "us", "Разделитель модулей", "▼", "^_"};
    }
    void controlCodeRows() {
        QFETCH(int, code);
        QFETCH(QStringList, cells);
        for (int column = 0; column < 5; ++column)
            QCOMPARE(text(1, code, column), cells[column]);
    }

    void cellFaces_data() {
        QTest::addColumn<int>("section");
        QTest::addColumn<int>("code");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("family");
        QTest::addColumn<bool>("bold");
        QTest::addColumn<qreal>("points");
        QTest::newRow("title") << 3 << -1 << 0 << "Arial" << true << 10.0;
        QTest::newRow("code") << 4 << 200 << 0 << "Arial" << true << 10.0;
        QTest::newRow("name") << 1 << 5 << 2 << "Arial" << false << 8.0;
        QTest::newRow("ascii") << 2 << 65 << 1 << "Cambria" << false << 10.0;
        QTest::newRow("866 before shades") << 3 << 175 << 1 << "Times New Roman" << false << 10.0;
        QTest::newRow("866 first shade") << 3 << 176 << 1 << "Arial" << false << 10.0;
        QTest::newRow("866 last block") << 3 << 223 << 1 << "Arial" << false << 10.0;
        QTest::newRow("866 after blocks") << 3 << 224 << 1 << "Times New Roman" << false << 10.0;
        QTest::newRow("1251") << 4 << 192 << 1 << "Times New Roman" << false << 10.0;
    }
    void cellFaces() {
        QFETCH(int, section);
        QFETCH(int, code);
        QFETCH(int, column);
        QFETCH(QString, family);
        QFETCH(bool, bold);
        QFETCH(qreal, points);
        const QTextCharFormat f = firstCharFormat(table_, row(section, code), column);
        QCOMPARE(f.property(QTextFormat::FontFamilies).toStringList().value(0), family);
        QCOMPARE(f.fontWeight() == QFont::Bold, bold);
        QCOMPARE(f.fontPointSize(), points);
    }

    void documentRunsInItsOrder() {
        QStringList shape;
        for (auto it = document_->rootFrame()->begin(); !it.atEnd(); ++it)
            shape << (it.currentFrame() ? QStringLiteral("<table>") : lines(it.currentBlock())[0]);
        QCOMPARE(shape.size(), 11);
        QVERIFY(!shape[0].isEmpty());
        shape[0] = QStringLiteral("<source>");
        shape[7] = shape[7].left(2);
        shape[9] = shape[9].left(11);
        QCOMPARE(shape, QStringList({"<source>", "", "Таблицы кодов ASCII", "", "<table>", "", "",
                                     "* ", "", "Примечание.", ""}));

        const QTextBlock source = document_->begin();
        QVERIFY(source.blockFormat().hasProperty(QTextFormat::BlockTrailingHorizontalRulerWidth));
        const QTextBlock heading = source.next().next();
        for (const QTextBlock &block : {source, heading}) {
            const QTextCharFormat f = block.begin().fragment().charFormat();
            QCOMPARE(f.fontWeight(), int(QFont::Bold));
            QCOMPARE(f.fontPointSize(), 12.0);
        }
        QCOMPARE(heading.begin().fragment().charFormat().fontStyleHint(), QFont::Serif);
    }

    void notesReadAsWrittenInTheirFaces() {
        const QTextBlock keyNote = document_->lastBlock().previous();
        const QTextBlock codeNote = keyNote.previous().previous();
        QCOMPARE(lines(codeNote).size(), 13);
        QVERIFY(codeNote.text().startsWith(QStringLiteral("* Код ASCII")));
        for (const char *words : {"0 до 127", "7 бит", "восьмой бит", "255", "псевдографики"})
            QVERIFY2(codeNote.text().contains(QString::fromUtf8(words)), words);
        QCOMPARE(lines(keyNote),
                 QStringList({"Примечание. В таблице 1 - 31 (команды,значения, вид, клавиши) "
                              "обозначение",
                              " ^ соответствует нажатию клавиши <Ctrl>, вместе с которой "
                              "нажимается ",
                              "соответствующая «буквенная» клавиша, формируя код символа."}));

        // Italic throughout, but for the bold lead word; the caret bold italic.
        QCOMPARE(keyNote.begin().fragment().text(), QStringLiteral("Примечание."));
        for (auto it = keyNote.begin(); !it.atEnd(); ++it) {
            const QString text = it.fragment().text();
            const QTextCharFormat f = it.fragment().charFormat();
            const bool lead = text == QStringLiteral("Примечание.");
            QVERIFY2(f.fontItalic() == !lead, qPrintable(text));
            QVERIFY2((f.fontWeight() == QFont::Bold) == (lead || text == QStringLiteral("^")),
                     qPrintable(text));
            QCOMPARE(f.fontPointSize(), 10.0);
            QCOMPARE(f.fontStyleHint(), QFont::Serif);
        }
    }

private:
    CodeTableWindow *reference_ = nullptr;
    QTextDocument *document_ = nullptr;
    QTextTable *table_ = nullptr;
    QList<Section> sections_;
};

KKTVIEW_TEST_MAIN(TestCodeTable)
#include "tst_codetable.moc"
