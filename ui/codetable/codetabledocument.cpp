#include "codetabledocument.h"

#include "codepages/controlbytes.h"
#include "codetablecontent.h"
#include "codetablefonts.h"
#include "twips.h"

#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace codetable {

namespace {

constexpr int columnCount = 5;
constexpr std::array<int, columnCount> columnTwips = {550, 867, 3512, 385, 466};
constexpr int borderTwips = 15;
// The table's left border stands this far left of the paragraphs' text.
constexpr int tableIndentTwips = -15;
// The gap between a cell's edge and its text, left and right.
constexpr int cellGapTwips = 108;

constexpr qreal textPoints = 10;
constexpr qreal namePoints = 8;
constexpr qreal headingPoints = 12;

QString utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

int rowsOf(Section section) {
    const SectionRange range = codeRange(section);
    // A title row before the codes and an empty row after them.
    return range.last - range.first + 1 + 2;
}

QTextTableFormat tableFormat(double dpi) {
    QTextTableFormat f;
    f.setBorder(twips::toPixels(borderTwips, dpi));
    f.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    f.setBorderBrush(Qt::black);
    // Collapsed borders give one line between neighbouring cells.
    f.setBorderCollapse(true);
    f.setCellSpacing(0);
    f.setCellPadding(0);
    QList<QTextLength> widths;
    for (int width : columnTwips)
        widths.append(QTextLength(QTextLength::FixedLength, twips::toPixels(width, dpi)));
    f.setColumnWidthConstraints(widths);
    f.setAlignment(Qt::AlignLeft);
    f.setLeftMargin(twips::toPixels(tableIndentTwips, dpi));
    return f;
}

class TableWriter {
public:
    TableWriter(QTextTable *table, double dpi) : table_(table) {
        // A cell's format is also the character format of its first block, so
        // it carries the plain text face that keeps empty cells as high as the
        // text rows.
        cellFormat_.merge(sansFormat(textPoints));
        cellFormat_.setLeftPadding(twips::toPixels(cellGapTwips, dpi));
        cellFormat_.setRightPadding(twips::toPixels(cellGapTwips, dpi));
        // The smaller names sit in the middle of their row, next to the
        // larger codes and keys.
        cellFormat_.setVerticalAlignment(QTextCharFormat::AlignMiddle);
        cellFormat_.setTopPadding(0);
        cellFormat_.setBottomPadding(0);
    }

    void writeSection(Section section) {
        writeTitle(section);
        const SectionRange range = codeRange(section);
        for (int code = range.first; code <= range.last; ++code) {
            if (section == Section::Control)
                writeControlRow(code);
            else
                writeCharacterRow(section, code);
        }
        prepareRow();
        ++row_;
    }

private:
    void prepareRow() {
        for (int column = 0; column < columnCount; ++column)
            table_->cellAt(row_, column).setFormat(cellFormat_);
    }

    void write(int column, const QString &text, const QTextCharFormat &format) {
        if (!text.isEmpty())
            table_->cellAt(row_, column).firstCursorPosition().insertText(text, format);
    }

    void writeTitle(Section section) {
        prepareRow();
        table_->mergeCells(row_, 0, 1, 3);
        QTextCursor cursor = table_->cellAt(row_, 0).firstCursorPosition();
        for (const TitleRun &run : sectionTitle(section)) {
            QTextCharFormat f = sansFormat(textPoints, true);
            if (run.red)
                f.setForeground(Qt::red);
            cursor.insertText(run.text, f);
        }
        ++row_;
    }

    void writeCode(int code) { write(0, QString::number(code), sansFormat(textPoints, true)); }

    void writeControlRow(int code) {
        const controlbytes::ControlByte &c = controlbytes::table[code];
        prepareRow();
        writeCode(code);
        write(1, utf8(c.abbreviation), sansFormat(textPoints));
        write(2, utf8(c.fullName), sansFormat(namePoints));
        if (c.screenGlyph != 0)
            write(3, QString(QChar(c.screenGlyph)), sansFormat(textPoints));
        write(4, utf8(c.key), sansFormat(textPoints));
        ++row_;
    }

    void writeCharacterRow(Section section, int code) {
        prepareRow();
        writeCode(code);
        const QString ch = shownCharacter(section, code);
        QTextCharFormat f;
        if (section == Section::Ascii)
            f = cambriaFormat(textPoints);
        else if (!ch.isEmpty() && isBoxDrawing(ch.front()))
            f = sansFormat(textPoints);
        else
            f = serifFormat(textPoints);
        write(1, ch, f);
        ++row_;
    }

    QTextTable *table_;
    QTextTableCellFormat cellFormat_;
    int row_ = 0;
};

void writeSourceLine(QTextCursor &cursor) {
    QTextBlockFormat ruled;
    // The rule runs under the block's text across the whole width.
    ruled.setProperty(QTextFormat::BlockTrailingHorizontalRulerWidth,
                      QTextLength(QTextLength::PercentageLength, 100));
    cursor.setBlockFormat(ruled);
    cursor.setBlockCharFormat(sansFormat(headingPoints, true));
    cursor.insertText(sourceLine(), sansFormat(headingPoints, true));
}

void newParagraph(QTextCursor &cursor, const QTextCharFormat &format) {
    cursor.insertBlock(QTextBlockFormat(), format);
}

void writeTable(QTextCursor &cursor, double dpi) {
    int rows = 0;
    for (Section section : sections)
        rows += rowsOf(section);
    TableWriter writer(cursor.insertTable(rows, columnCount, tableFormat(dpi)), dpi);
    for (Section section : sections)
        writer.writeSection(section);
}

void writeLines(QTextCursor &cursor, const QStringList &lines,
                void (*writeLine)(QTextCursor &, int, const QString &)) {
    for (int i = 0; i < lines.size(); ++i) {
        if (i > 0)
            cursor.insertText(QString(QChar::LineSeparator));
        writeLine(cursor, i, lines[i]);
    }
}

void writeCodeNote(QTextCursor &cursor) {
    cursor.insertText(QStringLiteral("* "), serifFormat(textPoints, true));
    writeLines(cursor, codeNoteLines(), [](QTextCursor &c, int, const QString &line) {
        c.insertText(line, serifFormat(textPoints));
    });
}

void writeKeyNote(QTextCursor &cursor) {
    writeLines(cursor, keyNoteLines(), [](QTextCursor &c, int index, const QString &line) {
        QTextCharFormat italic = serifFormat(textPoints);
        italic.setFontItalic(true);
        QTextCharFormat boldItalic = serifFormat(textPoints, true);
        boldItalic.setFontItalic(true);

        QString rest = line;
        if (index == 0 && rest.startsWith(keyNoteLeadWord())) {
            c.insertText(keyNoteLeadWord(), serifFormat(textPoints, true));
            rest.remove(0, keyNoteLeadWord().size());
        }
        // The "^" that stands for Ctrl stands out from the words around it.
        const QStringList pieces = rest.split(QLatin1Char('^'));
        for (int i = 0; i < pieces.size(); ++i) {
            if (i > 0)
                c.insertText(QStringLiteral("^"), boldItalic);
            if (!pieces[i].isEmpty())
                c.insertText(pieces[i], italic);
        }
    });
}

} // namespace

void fillCodeTableDocument(QTextDocument &document, double dpi) {
    document.clear();
    QTextCursor cursor(&document);
    cursor.beginEditBlock();

    const QTextCharFormat plain = sansFormat(textPoints);
    const QTextCharFormat serif = serifFormat(textPoints);

    writeSourceLine(cursor);
    newParagraph(cursor, plain);
    QTextCharFormat headingFormat = serifFormat(headingPoints, true);
    newParagraph(cursor, headingFormat);
    cursor.insertText(heading(), headingFormat);
    // Inserting the table splits this empty paragraph: one half stays before
    // the table, the other follows it.
    newParagraph(cursor, plain);
    writeTable(cursor, dpi);

    // The block after the table is the first of the two empty paragraphs.
    cursor.movePosition(QTextCursor::End);
    cursor.setBlockCharFormat(serif);
    newParagraph(cursor, serif);
    newParagraph(cursor, serif);
    writeCodeNote(cursor);
    newParagraph(cursor, serif);
    newParagraph(cursor, serif);
    writeKeyNote(cursor);
    newParagraph(cursor, serif);

    cursor.endEditBlock();
}

} // namespace codetable
