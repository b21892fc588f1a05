#include "../testfonts.h"
#include "codepages/views.h"
#include "objectnames.h"
#include "ruler.h"
#include "windowfixture.h"

#include <QAction>
#include <QClipboard>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleHints>

namespace {

// Where a listing or view may break its rows, read off its text by its own
// grammar (not by the core's token ends): after the new-line mark, after a
// number and its "_", after a full stop, after a control name, after a line
// break.
QList<qsizetype> tokenBoundaries(const QString &text, const QStringList &names = {}) {
    QStringList alternatives = {QStringLiteral("нов\\.стр\\."), QStringLiteral("\\d+_"),
                                QStringLiteral("\\."), QStringLiteral("\\n")};
    for (const QString &name : names)
        alternatives.prepend(QRegularExpression::escape(name));
    const QRegularExpression token(QStringLiteral("\\G(?:%1)").arg(alternatives.join('|')));
    QList<qsizetype> ends;
    qsizetype at = 0;
    while (at < text.size()) {
        const QRegularExpressionMatch match = token.match(text, at);
        if (!match.hasMatch())
            return {};
        at += match.capturedLength();
        ends << at;
    }
    return ends;
}

QByteArray cp1251(const char *utf8) {
    QByteArray bytes;
    for (const QChar ch : QString::fromUtf8(utf8)) {
        const char16_t u = ch.unicode();
        bytes += char(u >= 0x410 && u <= 0x44F ? u - 0x410 + 0xC0 : u);
    }
    return bytes;
}

// Seven lines of a receipt header, as a user types them.
QByteArray cliche() {
    return cp1251("ООО \"РОМАШКА\"\r\nМАГАЗИН N 25\r\nг. Тверь, ул. Советская, 12\r\n"
                  "ИНН 6901234567\r\nКАССИР: ИВАНОВА\r\nТЕЛ. 8-800-555-35-35\r\n"
                  "СПАСИБО ЗА ПОКУПКУ!");
}

} // namespace

// The output pane's rows and text, and the hex-edit layout as a byte editor:
// offsets, linked selection, editing in hex, undo.
class TestPanes : public WindowFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void listingsBreakRowsBetweenCodesAndKeepTheirText_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("names");
        QTest::newRow("1251 listing") << cliche() << objectnames::listing1251Command << false;
        QTest::newRow("866 listing") << cliche() << objectnames::listing866Command << false;
        QTest::newRow("control names")
            << QByteArray("\x01\x02\r\n\x1f\x15.\x16\x17\x18x\x19").repeated(5)
            << objectnames::controlNamesCommand << true;
    }
    void listingsBreakRowsBetweenCodesAndKeepTheirText() {
        QFETCH(QByteArray, document);
        QFETCH(QString, command);
        QFETCH(bool, names);
        form->setDocument(document);
        child<QAction>(form, qPrintable(command))->trigger();

        const views::View view =
            command == objectnames::listing1251Command  ? views::clicheListing1251
            : command == objectnames::listing866Command ? views::clicheListing866
                                                        : views::controlNames;
        QCOMPARE(outputPane->toPlainText(), decoded(view(document, nullptr)));

        QStringList controlNames;
        if (names) {
            for (int b = 0; b < 32; ++b)
                controlNames << decoded(views::controlNames(QByteArray(1, char(b)), nullptr));
        }
        const QString text = outputPane->toPlainText();
        const QList<qsizetype> boundaries = tokenBoundaries(text, controlNames);
        QVERIFY(!boundaries.isEmpty());
        QVERIFY(outputPane->rowCount() > 10); // the pane is narrow for these lines
        const int width = outputPane->viewport()->width();
        for (qsizetype row = 1; row < outputPane->rowCount(); ++row) {
            const qsizetype start = outputPane->rowStart(row);
            QVERIFY2(boundaries.contains(start),
                     qPrintable(QStringLiteral("row %1 starts inside \"%2\"")
                                    .arg(row)
                                    .arg(text.mid(start - 6, 12))));
            // Whatever ends the row stands inside the pane.
            QVERIFY(outputPane->positionRect(start - 1).x() < width);
        }

        // Copying gives the listing, no character added.
        outputPane->setFocus();
        QTest::keyClick(outputPane, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(outputPane, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
    }

    void selectionDumpShowsItsRealOffsets() {
        QByteArray document(0x8000, '\0');
        for (int i = 0; i < document.size(); ++i)
            document[i] = char(i);
        form->setDocument(document);
        inputPane->selectBytes(0x1234, 40);
        QCOMPARE(form->panelText(3), QStringLiteral("40"));
        QTest::keyClick(form, Qt::Key_F5);

        QCOMPARE(hexPane->toPlainText(), decoded(views::hexDump(document.mid(0x1234, 40))));
        QCOMPARE(hexPane->offsetText(0), QStringLiteral("001234"));
        QCOMPARE(hexPane->offsetText(2), QStringLiteral("001254"));
        // The margin moved the columns, and the ruler with them.
        auto *ruler = child<Ruler>(form, objectnames::ruler);
        const qreal group0 =
            hexPane->viewport()->mapTo(form, hexPane->positionRect(1).topLeft()).x();
        QVERIFY(group0 > hexPane->fontMetrics().horizontalAdvance(QStringLiteral("001234")));
        QVERIFY(qAbs(ruler->mapTo(form, QPointF(ruler->digitCentre(0), 0)).x() - group0) <
                hexPane->fontMetrics().horizontalAdvance('0'));
    }

    // Typed over the group, every byte compared before and after; one undo
    // in the hex pane takes the byte back; other keys change nothing.
    void hexDigitsOverwriteOneByteAsOneUndoStep_data() {
        QTest::addColumn<QByteArray>("document");
        QTest::addColumn<int>("group");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QString>("text");
        QTest::newRow("41 over group 0")
            << QByteArray("xyz") << 0 << "41" << QByteArray("Ayz") << "Ayz";
        QTest::newRow("lower case, last group")
            << QByteArray("xyz") << 2 << "e0" << QByteArray("xy\xE0") << "xyа";
        QTest::newRow("over the CR of a CR LF")
            << QByteArray("a\r\nb") << 1 << "41" << QByteArray("aA\nb") << "aA.b";
        QTest::newRow("over the LF of a CR LF") << QByteArray("a\r\nb") << 2 << "7F"
                                                << QByteArray("a\r\x7f"
                                                              "b")
                                                << "a..b";
        QTest::newRow("makes a CR LF")
            << QByteArray("a\rxb") << 2 << "0A" << QByteArray("a\r\nb") << "a..b";
        QTest::newRow("one nibble") << QByteArray("xyz") << 1 << "3" << QByteArray("x9z") << "x9z";
    }
    void hexDigitsOverwriteOneByteAsOneUndoStep() {
        QFETCH(QByteArray, document);
        QFETCH(int, group);
        QFETCH(QString, typed);
        QFETCH(QByteArray, edited);
        QFETCH(QString, text);
        form->setDocument(document);
        QTest::keyClick(form, Qt::Key_F5);
        QCOMPARE(QApplication::focusWidget(), hexPane);
        hexPane->setSelection(4 * group, 4 * group);
        for (const int key : {Qt::Key_Backspace, Qt::Key_Delete, Qt::Key_Return, Qt::Key_X})
            QTest::keyClick(hexPane, Qt::Key(key));
        QTest::keyClick(hexPane, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(form->document(), document);
        typeText(hexPane, typed);

        QCOMPARE(form->document(), edited);
        QCOMPARE(form->panelText(1), QString::number(edited.size()));
        QCOMPARE(hexPane->toPlainText(), decoded(views::hexDump(edited)));
        QCOMPARE(outputPane->toPlainText(), text);
        QCOMPARE(hexPane->cursorPosition(), typed.size() == 2 ? 4 * group + 4 : 4 * group + 1);

        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), document);
        QTRY_COMPARE(hexPane->toPlainText(), decoded(views::hexDump(document)));
        QCOMPARE(outputPane->toPlainText(), decoded(views::cp1251Column(document)));
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(form->document(), edited);
        QTRY_COMPARE(outputPane->toPlainText(), text);
    }

    // Typed over again, a high nibble is a step of its own: the byte's first
    // digit typed, the caret back on it, the byte typed whole, two undos.
    void retypedHighNibbleIsAnUndoStepOfItsOwn() {
        form->setDocument("xyz");
        QTest::keyClick(form, Qt::Key_F5);
        QTest::keyClick(hexPane, Qt::Key_Home, Qt::ControlModifier);
        typeText(hexPane, "4");
        QCOMPARE(form->document(), QByteArray("Hyz"));
        QTest::keyClick(hexPane, Qt::Key_Left);
        typeText(hexPane, "5");
        QCOMPARE(form->document(), QByteArray("Xyz"));
        typeText(hexPane, "1");
        QCOMPARE(form->document(), QByteArray("Qyz"));

        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), QByteArray("Hyz"));
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), QByteArray("xyz"));
    }

    // Two bytes typed whole, one Ctrl+Z: only the second comes back, whichever
    // of its nibbles the typing left as they were.
    void eachByteTypedInHexIsOneUndoStep_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QByteArray>("edited");
        QTest::addColumn<QByteArray>("undone");
        QTest::newRow("high nibbles kept") << "4242" << QByteArray("BB") << QByteArray("BA");
        QTest::newRow("low nibbles kept") << "5151" << QByteArray("QQ") << QByteArray("QA");
        QTest::newRow("both nibbles new") << "5253" << QByteArray("RS") << QByteArray("RA");
        QTest::newRow("first byte as it was") << "4142" << QByteArray("AB") << QByteArray("AA");
    }
    void eachByteTypedInHexIsOneUndoStep() {
        QFETCH(QString, typed);
        QFETCH(QByteArray, edited);
        QFETCH(QByteArray, undone);
        form->setDocument("AA");
        QTest::keyClick(form, Qt::Key_F5);
        QTest::keyClick(hexPane, Qt::Key_Home, Qt::ControlModifier);
        typeText(hexPane, typed);
        QCOMPARE(form->document(), edited);
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), undone);
    }

    // Fonts the Font command gave parts of the dump and of the text beside
    // it stay on their bytes while hex digits overwrite others.
    void fontsStayOnTheirBytesThroughHexEdits() {
        form->setDocument("abcdef");
        QTest::keyClick(form, Qt::Key_F5);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        hexPane->setSelection(4, 12);
        hexPane->mergeCurrentCharFormat(bold);
        outputPane->setSelection(1, 3);
        outputPane->mergeCurrentCharFormat(bold);
        hexPane->setSelection(16, 16);
        typeText(hexPane, "7A");
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        hexPane->setSelection(0, 0);
        typeText(hexPane, "7");
        QCOMPARE(form->document(), QByteArray("qbcdef"));
        for (TokenView *pane : {static_cast<TokenView *>(hexPane), outputPane}) {
            const int group = pane == hexPane ? 4 : 1;
            QVERIFY(pane->charFormatAt(0).fontWeight() != QFont::Bold);
            QCOMPARE(pane->charFormatAt(group).fontWeight(), int(QFont::Bold));
            QCOMPARE(pane->charFormatAt(3 * group - 1).fontWeight(), int(QFont::Bold));
            QVERIFY(pane->charFormatAt(4 * group).fontWeight() != QFont::Bold);
        }
    }

    // Undo reaches edits made before the dump: the panes then show what the
    // document holds at the dumped offsets, nothing stale.
    void undoBehindTheDumpLeavesNoStaleBytes() {
        form->setDocument("abc");
        inputPane->setFocus();
        QTest::keyClick(inputPane, Qt::Key_Home);
        typeText(inputPane, "X");
        QTest::keyClick(form, Qt::Key_F5);
        QCOMPARE(hexPane->toPlainText(), QStringLiteral("58  61  62  63  "));
        QTest::keyClick(hexPane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), QByteArray("abc"));
        QTRY_COMPARE(hexPane->toPlainText(), QStringLiteral("61  62  63  "));
        QCOMPARE(outputPane->toPlainText(), QStringLiteral("abc"));
        QCOMPARE(outputPane->tokensPerRow(), 16); // still beside the dump, still linked
        typeText(hexPane, "4");
        QCOMPARE(form->document(), QByteArray("Abc"));
        QCOMPARE(outputPane->toPlainText(), QStringLiteral("Abc"));
    }

    // Beside the dump the 866 or 1251 text is a hex editor's text column: one
    // character a byte in cells of one width, control bytes and delete as
    // ".", each row level with its row of the dump, whole at the window's
    // size. The normal layout's views and face come back after it.
    void textBesideTheDumpIsOneCellAByte_data() {
        QTest::addColumn<bool>("whole");
        QTest::addColumn<bool>("cp866");
        QTest::newRow("F5, 1251") << false << false;
        QTest::newRow("Shift+F5, 1251") << true << false;
        QTest::newRow("F5, 866") << false << true;
    }
    void textBesideTheDumpIsOneCellAByte() {
        QFETCH(bool, whole);
        QFETCH(bool, cp866);
        const auto restore =
            qScopeGuard([&] { child<QAction>(form, objectnames::beside1251Command)->trigger(); });
        child<QAction>(form, cp866 ? objectnames::beside866Command : objectnames::beside1251Command)
            ->trigger();
        // Wide letters, narrow ones, and the bytes the views write as names.
        const QByteArray document = QByteArray(16, '\xD9') + QByteArray(16, 'i') +
                                    QByteArray("\x7f\x01\xab\xbb\r\n\0 Mw\xc6\xe6\xc0\xe0#%", 16) +
                                    QByteArray(40, '\xC6');
        form->setDocument(document);
        const QFont face = outputPane->font();
        QTest::keyClick(form, Qt::Key_F5, whole ? Qt::ShiftModifier : Qt::NoModifier);
        QVERIFY(form->isHexEditLayout());

        const views::View column = cp866 ? views::cp866Column : views::cp1251Column;
        QCOMPARE(outputPane->toPlainText(), decoded(column(document, nullptr)));
        QCOMPARE(outputPane->toPlainText().size(), document.size());
        QCOMPARE(outputPane->toPlainText().mid(32, 2), QStringLiteral(".."));
        const qreal left = outputPane->positionRect(0).x();
        const qreal pitch = outputPane->positionRect(1).x() - left;
        QVERIFY(pitch > 0);
        const int width = outputPane->viewport()->width();
        for (int k = 0; k < document.size(); ++k) {
            const QRectF cell = outputPane->positionRect(k);
            QCOMPARE(cell.x(), left + (k % 16) * pitch);
            QVERIFY(cell.x() + pitch <= width);
            // Level with the dump's row: the same top, height and baseline.
            const QRectF group = hexPane->positionRect(4 * k);
            QCOMPARE(outputPane->viewport()->mapToGlobal(cell.topLeft()).y(),
                     hexPane->viewport()->mapToGlobal(group.topLeft()).y());
            QCOMPARE(cell.height(), group.height());
        }
        QCOMPARE(outputPane->layout().ascent(), hexPane->layout().ascent());
        QCOMPARE(outputPane->horizontalScrollBar()->maximum(), 0);

        QTest::keyClick(form, Qt::Key_F6);
        QCOMPARE(outputPane->font(), face);
        QTest::keyClick(form, Qt::Key_F4);
        QCOMPARE(outputPane->toPlainText(), decoded(views::cp1251Glyphs(document, nullptr)));
    }

    // Delete and the guillemets, which the 1251 view writes wider than one
    // character: positions after them meet the same bytes in all three panes.
    void selectionsMeetTheSameBytesInAllThreePanes_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("count");
        QTest::newRow("the byte after delete") << 2 << 1;
        QTest::newRow("guillemets") << 4 << 2;
        QTest::newRow("across the rows") << 14 << 6;
    }
    void selectionsMeetTheSameBytesInAllThreePanes() {
        QFETCH(int, from);
        QFETCH(int, count);
        QByteArray document = QByteArray("a\x7f"
                                         "bc\xab\xbb") +
                              QByteArray(20, 'q') + "\x7f\x7f";
        form->setDocument(document);
        QTest::keyClick(form, Qt::Key_F5);
        const QString wanted = decoded(views::cp1251Column(document.mid(from, count)));
        auto check = [&](const char *source) {
            QVERIFY2(inputPane->selectedBytes() == document.mid(from, count), source);
            QCOMPARE(hexPane->selectionStart(), 4 * from);
            QCOMPARE(hexPane->selectionEnd(), 4 * (from + count));
            QCOMPARE(outputPane->selectedText(), wanted);
            QCOMPARE(form->panelText(3), QString::number(count));
            QCOMPARE(form->panelText(4), QString::number(4 * count));
        };
        inputPane->selectBytes(from, count);
        check("input pane");
        inputPane->selectBytes(0, 0);
        const qsizetype start = views::cp1251Column(document.left(from), nullptr).size();
        outputPane->setSelection(start, start + wanted.size());
        check("output pane");
        inputPane->selectBytes(0, 0);
        QTest::mouseClick(hexPane->viewport(), Qt::LeftButton, {}, digitCentre(from, 0));
        QTest::mouseClick(hexPane->viewport(), Qt::LeftButton, Qt::ShiftModifier,
                          digitCentre(from + count - 1, 1));
        check("hex pane");
    }

    // As Find and Go to offset set it: the hex pane scrolls to the group and
    // the text pane keeps the same rows in sight.
    void inputSelectionScrollsTheLinkedPanesToIt() {
        QByteArray document(64 * 1024, 'z');
        form->setDocument(document);
        inputPane->selectBytes(0x1230, 10000);
        QTest::keyClick(form, Qt::Key_F5);
        QCOMPARE(outputPane->tokensPerRow(), 16);
        QCOMPARE(hexPane->rowCount(), outputPane->rowCount());

        inputPane->selectBytes(0x1230 + 9000, 4);
        QCOMPARE(hexPane->selectionStart(), 4 * 9000);
        QCOMPARE(hexPane->selectionEnd(), 4 * 9004);
        const qsizetype row = 9000 / 16;
        QVERIFY(hexPane->firstVisibleRow() <= row);
        QVERIFY(hexPane->positionRect(4 * 9000).bottom() <= hexPane->viewport()->height());
        QCOMPARE(outputPane->firstVisibleRow(), hexPane->firstVisibleRow());
        QCOMPARE(outputPane->selectionStart(), 9000);

        // Outside the dump: no stale highlight.
        inputPane->selectBytes(10, 2);
        QVERIFY(!hexPane->hasSelection());
        QVERIFY(!outputPane->hasSelection());

        outputPane->verticalScrollBar()->setValue(100);
        QCOMPARE(hexPane->firstVisibleRow(), 100);
        QCOMPARE(hexPane->rowHeight(), outputPane->rowHeight());
    }

    // Where the platform asks for a steady caret (a flash time of 0), a
    // focused pane draws its caret at every look: the display panes as the
    // input pane.
    void aCaretAskedNotToBlinkStaysDrawn_data() {
        QTest::addColumn<QString>("pane");
        QTest::newRow("input pane") << objectnames::inputPane;
        QTest::newRow("output pane") << objectnames::outputPane;
        QTest::newRow("hex pane") << objectnames::hexPane;
    }
    void aCaretAskedNotToBlinkStaysDrawn() {
        QFETCH(QString, pane);
        QStyleHints *hints = QGuiApplication::styleHints();
        const int flashTime = hints->cursorFlashTime();
        const auto restore = qScopeGuard([&] { hints->setCursorFlashTime(flashTime); });
        hints->setCursorFlashTime(0);

        // The caret after the last character, where nothing else is drawn.
        const QByteArray text("caret");
        form->setDocument(text);
        if (pane != objectnames::inputPane)
            QTest::keyClick(form, Qt::Key_F5); // the hex-edit layout
        QAbstractScrollArea *area = child<QAbstractScrollArea>(form, qPrintable(pane));
        QPoint caret; // a pixel of the caret, drawn one pixel wide
        if (area == inputPane) {
            inputPane->selectBytes(text.size(), 0);
            caret = inputPane->caretRect().center();
        } else {
            auto *view = static_cast<TokenView *>(area);
            const qsizetype end = view->toPlainText().size();
            view->setSelection(end, end);
            const QRectF at = view->positionRect(end);
            caret = QPoint(qRound(at.x()), qRound(at.center().y()));
        }
        area->setFocus();
        QTRY_VERIFY(area->hasFocus());
        const QRgb textColor = area->palette().color(QPalette::Active, QPalette::Text).rgb();
        for (int look = 0; look < 6; ++look) {
            QTest::qWait(60);
            QCOMPARE(area->viewport()->grab().toImage().pixel(caret), textColor);
        }
    }

private:
    static QString decoded(const QByteArray &view) {
        QString text;
        for (qsizetype i = 0; i < view.size(); ++i) {
            const auto b = static_cast<unsigned char>(view[i]);
            if (b == '\r' && i + 1 < view.size() && view[i + 1] == '\n')
                continue;
            text += b >= 0xC0 ? QChar(0x410 + b - 0xC0) : QChar(b);
        }
        return text;
    }
    QPoint digitCentre(int group, int digit) const {
        const QRectF left = hexPane->positionRect(4 * group + digit);
        const QRectF right = hexPane->positionRect(4 * group + digit + 1);
        return QPoint(qRound((left.x() + right.x()) / 2), qRound(left.center().y()));
    }
};

KKTVIEW_TEST_MAIN(TestPanes)
#include "tst_panes.moc"
