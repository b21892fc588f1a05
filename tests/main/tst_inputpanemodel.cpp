// The input pane in the main window against a plain byte array: random edits
// (keys, paste, cut, fonts, undo, redo, clear, reload, edits and selections
// made by other windows) on documents with long runs without a line break,
// which the pane's layout cuts into segments. After every step the
// document's bytes, panels 1 and 3, the pane's caret and selection in bytes,
// and its rows and hit-testing agree with the model.
//
// KKTVIEW_MODEL_STEPS=100000 KKTVIEW_MODEL_SEED=7 run it longer or with
// another seed (the default is a few seconds over three fixed seeds).

#include "../testfonts.h"
#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "inputpane.h"
#include "mainwindow.h"
#include "objectnames.h"
#include "windowdriver.h"

#include <QAction>
#include <QClipboard>
#include <QRandomGenerator>
#include <QScrollBar>

namespace {

QByteArray randomDocument(QRandomGenerator &random) {
    QByteArray bytes;
    const int pieces = random.bounded(1, 5);
    for (int i = 0; i < pieces; ++i) {
        switch (random.bounded(4)) {
        case 0:
            bytes += QByteArray(random.bounded(1000, 14000), random.bounded(2) ? '\xFF' : '\0');
            break;
        case 1:
            for (int n = random.bounded(500, 9000); n > 0; --n) {
                const char byte = char(random.bounded(256));
                bytes += byte == '\r' || byte == '\n' ? 'r' : byte;
            }
            break;
        case 2:
            for (int lines = random.bounded(5, 80); lines > 0; --lines)
                bytes += QByteArray(random.bounded(0, 70), 'a' + char(random.bounded(26))) + "\r\n";
            break;
        default:
            for (int n = random.bounded(100, 3000); n > 0; --n)
                bytes += char(random.bounded(256));
        }
    }
    return bytes;
}

QString randomPaste(QRandomGenerator &random) {
    static const QString pieces[] = {QStringLiteral("\r\n"), QStringLiteral("\n"),
                                     QStringLiteral("₽"), QStringLiteral("\U0001F600"),
                                     QStringLiteral("e\u0301")};
    QString text;
    const int length = random.bounded(8) == 0 ? random.bounded(3000, 12000) : random.bounded(1, 40);
    while (text.size() < length) {
        if (random.bounded(20) == 0)
            text += pieces[random.bounded(5)];
        else
            text += cp1251::toChar(uchar(random.bounded(256)));
    }
    return text;
}

bool insidePair(const QByteArray &bytes, qint64 offset) {
    return offset > 0 && offset < bytes.size() && bytes[offset - 1] == '\r' &&
           bytes[offset] == '\n';
}

} // namespace

class InputPaneModelTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        form = new MainWindow;
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form));
        pane = child<InputPane>(form, objectnames::inputPane);
        doc = pane->document();
        sel = pane->selection();
        pane->setFocus();
    }
    void cleanup() { delete form; }

    void randomEditsKeepTheBytes_data() {
        QTest::addColumn<quint32>("seed");
        const quint32 seed = qEnvironmentVariableIntValue("KKTVIEW_MODEL_SEED");
        for (const quint32 s : seed ? QList<quint32>{seed} : QList<quint32>{1, 2, 3})
            QTest::addRow("seed %u", s) << s;
    }
    void randomEditsKeepTheBytes() {
        QFETCH(quint32, seed);
        const int steps = qEnvironmentVariableIsSet("KKTVIEW_MODEL_STEPS")
                              ? qEnvironmentVariableIntValue("KKTVIEW_MODEL_STEPS")
                              : 700;
        QRandomGenerator random(seed);
        mismatch.clear();
        reload(randomDocument(random));
        for (int step = 0; step < steps; ++step) {
            const int op = random.bounded(100);
            QString what;
            expectedCaret = -1;
            if (op < 6) {
                what = "jump to a segment's cut";
                jumpToCut(random);
            } else if (op < 22) {
                what = "type";
                const uchar byte = uchar(random.bounded(256));
                replaceSelection(QByteArray(1, char(byte)));
                QTest::sendKeyEvent(QTest::Click, pane, Qt::Key_unknown,
                                    QString(cp1251::toChar(byte)), Qt::NoModifier);
            } else if (op < 26) {
                what = "Enter";
                replaceSelection("\r\n");
                QTest::keyClick(pane, Qt::Key_Return);
            } else if (op < 34) {
                what = "Backspace";
                deleteOne(false);
                QTest::keyClick(pane, Qt::Key_Backspace);
            } else if (op < 40) {
                what = "Delete";
                deleteOne(true);
                QTest::keyClick(pane, Qt::Key_Delete);
            } else if (op < 56) {
                what = "move";
                move(random);
            } else if (op < 62) {
                what = "paste";
                const QString text = randomPaste(random);
                const QByteArray bytes = *cp1251::fromPaneText(cp1251::toPaneInput(text).text);
                // Text that is left out whole changes nothing, not even the selection.
                if (!bytes.isEmpty())
                    replaceSelection(bytes);
                QGuiApplication::clipboard()->setText(text);
                QTest::keyClick(pane, Qt::Key_V, Qt::ControlModifier);
            } else if (op < 66) {
                what = "cut";
                const QByteArray cut = pane->selectedBytes();
                if (!cut.isEmpty())
                    replaceSelection({});
                QTest::keyClick(pane, Qt::Key_X, Qt::ControlModifier);
                if (!cut.isEmpty())
                    QCOMPARE(cp1251::fromPaneText(
                                 cp1251::toPaneInput(QGuiApplication::clipboard()->text()).text),
                             std::optional<QByteArray>(cut));
            } else if (op < 70) {
                what = "Font";
                QTextCharFormat format;
                format.setFontPointSize(random.bounded(6, 20));
                format.setFontWeight(random.bounded(2) ? QFont::Bold : QFont::Normal);
                pane->mergeCurrentCharFormat(format);
            } else if (op < 80) {
                what = "undo";
                undo();
            } else if (op < 85) {
                what = "redo";
                redo();
            } else if (op < 87) {
                what = "clear";
                replaceAll({});
                child<QAction>(form, objectnames::clearCommand)->trigger();
            } else if (op < 88) {
                what = "reload";
                reload(randomDocument(random));
            } else if (op < 94) {
                what = "an edit by another window";
                const qint64 offset = random.bounded(int(model.size()) + 2);
                const qint64 length = random.bounded(random.bounded(10) ? 4 : 9000);
                const QByteArray bytes = random.bounded(6) ? QByteArray(random.bounded(3), 'h')
                                                           : randomDocument(random).left(7000);
                const qint64 from = std::min<qint64>(offset, model.size());
                const qint64 to = std::clamp<qint64>(offset + length, from, model.size());
                edit(model.left(from) + bytes + model.mid(to));
                doc->replace(offset, length, bytes);
            } else if (op < 98) {
                what = "a selection by another window";
                const qint64 offset = random.bounded(int(model.size()) + 1);
                const qint64 length = random.bounded(6000);
                pane->selectBytes(offset, length);
                QCOMPARE(sel->start(), offset);
                QCOMPARE(sel->length(), std::min<qint64>(length, model.size() - offset));
            } else {
                what = "select all";
                child<QAction>(form, objectnames::selectAllCommand)->trigger();
                QCOMPARE(sel->length(), qint64(model.size()));
            }
            QCoreApplication::processEvents();
            if (!doc->canRedo())
                redone.clear();
            const QString wrong = disagreement(random);
            QVERIFY2(wrong.isEmpty(), qPrintable(QStringLiteral("seed %1, step %2 (%3): %4")
                                                     .arg(seed)
                                                     .arg(step)
                                                     .arg(what, wrong)));
        }
    }

    // Every edit right at a segment's cut, from either side of it (the
    // caret at the end of one row or at the start of the next), does to the
    // bytes what it does anywhere else, and Ctrl+Z takes it back.
    void editsAtASegmentsCut_data() {
        QTest::addColumn<bool>("rowEnd");
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<QByteArray>("replaced"); // "<" before the cut, ">" after it
        QTest::addColumn<QByteArray>("by");
        const auto shift = [](int key) { return int(Qt::ShiftModifier) | key; };
        for (const bool rowEnd : {false, true}) {
            const char *side = rowEnd ? "end of a row" : "start of a row";
            QTest::addRow("%s: type", side)
                << rowEnd << QList<int>{Qt::Key_X} << QByteArray() << QByteArray("x");
            QTest::addRow("%s: Enter", side)
                << rowEnd << QList<int>{Qt::Key_Return} << QByteArray() << QByteArray("\r\n");
            QTest::addRow("%s: Backspace", side)
                << rowEnd << QList<int>{Qt::Key_Backspace} << QByteArray("<") << QByteArray();
            QTest::addRow("%s: Delete", side)
                << rowEnd << QList<int>{Qt::Key_Delete} << QByteArray(">") << QByteArray();
            QTest::addRow("%s: Shift+Right, type", side)
                << rowEnd << QList<int>{shift(Qt::Key_Right), Qt::Key_X} << QByteArray(">")
                << QByteArray("x");
            QTest::addRow("%s: Shift+Left twice, Delete", side)
                << rowEnd << QList<int>{shift(Qt::Key_Left), shift(Qt::Key_Left), Qt::Key_Delete}
                << QByteArray("<<") << QByteArray();
            QTest::addRow("%s: Right, Backspace", side)
                << rowEnd << QList<int>{Qt::Key_Right, Qt::Key_Backspace} << QByteArray(">")
                << QByteArray();
        }
    }
    void editsAtASegmentsCut() {
        QFETCH(bool, rowEnd);
        QFETCH(QList<int>, keys);
        QFETCH(QByteArray, replaced);
        QFETCH(QByteArray, by);
        // One long run of digits, which all have the same width: marking the
        // bytes around the first cut with other digits moves no row, and the
        // check sees which bytes an edit took.
        QByteArray bytes(3 * 4096, '0');
        form->setDocument(bytes);
        const qint64 at = firstCut();
        bytes.replace(at - 2, 4, "1289");
        form->setDocument(bytes);
        QCOMPARE(firstCut(), at);
        sel->moveCaret(at);
        if (rowEnd)
            QTest::keyClick(pane, Qt::Key_Up);
        QTest::keyClick(pane, rowEnd ? Qt::Key_End : Qt::Key_Home);
        QCOMPARE(sel->caret(), at);

        for (const int key : keys)
            QTest::keyClick(pane, Qt::Key(key & ~Qt::KeyboardModifierMask),
                            Qt::KeyboardModifiers(key & Qt::KeyboardModifierMask));
        QByteArray expected = bytes;
        const qint64 from = replaced.startsWith('<') ? at - replaced.size() : at;
        expected.replace(from, replaced.size(), by);
        QCOMPARE(form->document(), expected);
        QCOMPARE(form->panelText(1), QString::number(expected.size()));
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(form->document(), bytes);
    }

    // As loaded, every row that does not end a line is full: the next glyph
    // would not have fit, so no cut of the layout shows; the scroll bar
    // counts the rows.
    void loadedRowsEndWhereTheyWrap_data() {
        QTest::addColumn<QByteArray>("bytes");
        QRandomGenerator random(10);
        QByteArray binary(256 * 1024, Qt::Uninitialized);
        for (char &byte : binary)
            byte = char(random.bounded(256));
        QByteArray text;
        while (text.size() < 256 * 1024)
            text += QByteArray(random.bounded(0, 300), 'a' + char(random.bounded(26))) + ' ' +
                    (random.bounded(4) ? "" : "\r\n");
        QTest::newRow("0xFF") << QByteArray(256 * 1024, '\xFF');
        QTest::newRow("0x00") << QByteArray(256 * 1024, '\0');
        QTest::newRow("random bytes") << binary;
        QTest::newRow("words and lines") << text;
    }
    void loadedRowsEndWhereTheyWrap() {
        QFETCH(QByteArray, bytes);
        form->setDocument(bytes);
        const RowLayout &rows = pane->rowLayout();
        QVERIFY(rows.segmentCount() > 10);
        for (qint64 r = 0; r + 1 < rows.rowCount(); ++r) {
            const RowLayout::Row row = rows.row(r);
            if (row.lineBreak)
                continue;
            const qint32 width = rows.xOf(row, row.end);
            const int style = 0;
            QVERIFY2(width + rows.advancesOf(style)[uchar(bytes[row.end])] > rows.width(),
                     qPrintable(QStringLiteral("row %1 ends early").arg(r)));
            QVERIFY(!rows.endsShort(r));
        }
        const QScrollBar *bar = pane->verticalScrollBar();
        QCOMPARE(bar->maximum() + bar->pageStep(), rows.rowCount());
    }

private:
    // The first row start past 4096 bytes, where the layout cut the run.
    qint64 firstCut() const {
        const RowLayout &rows = pane->rowLayout();
        for (qint64 r = 0; r < rows.rowCount(); ++r)
            if (rows.row(r).start >= 4096)
                return rows.row(r).start;
        return -1;
    }

    // The model's side of an edit on the selection (or at the caret): the
    // caret then stands after the new bytes.
    void replaceSelection(const QByteArray &bytes) {
        const InputPane::Range shown = pane->shownSelection();
        edit(model.left(shown.start) + bytes + model.mid(shown.end));
        expectedCaret = shown.start + bytes.size();
    }
    void replaceAll(const QByteArray &bytes) { edit(bytes); }
    void edit(const QByteArray &bytes) {
        model = bytes;
        history.push_back(model);
    }

    // Backspace or Delete without a selection removes the character next to
    // the caret: one byte, or the two of a line break.
    void deleteOne(bool forward) {
        const InputPane::Range shown = pane->shownSelection();
        if (shown.start < shown.end) {
            replaceSelection({});
            return;
        }
        const qint64 at = shown.start;
        qint64 from = at, to = at;
        if (forward && at < model.size())
            to = at + (model.mid(at, 2) == "\r\n" ? 2 : 1);
        else if (!forward && at > 0)
            from = at - (at >= 2 && model.mid(at - 2, 2) == "\r\n" ? 2 : 1);
        if (from == to)
            return;
        edit(model.left(from) + model.mid(to));
        expectedCaret = from;
    }

    void move(QRandomGenerator &random) {
        static const int keys[] = {Qt::Key_Left, Qt::Key_Right, Qt::Key_Up,     Qt::Key_Down,
                                   Qt::Key_Home, Qt::Key_End,   Qt::Key_PageUp, Qt::Key_PageDown};
        const int key = keys[random.bounded(8)];
        if (random.bounded(2))
            QTest::keyClick(pane, Qt::Key(key), Qt::ShiftModifier);
        else
            stepOneCharacter(key);
    }

    // Left and Right without a selection move by one character: one byte,
    // or the two of a line break.
    void stepOneCharacter(int key) {
        const bool step = (key == Qt::Key_Left || key == Qt::Key_Right) && sel->isEmpty();
        const qint64 before = pane->shownSelection().start;
        QTest::keyClick(pane, Qt::Key(key));
        if (!step)
            return;
        const bool right = key == Qt::Key_Right;
        const bool atEnd = right ? before == model.size() : before == 0;
        const bool pair = model.mid(right ? before : before - 2, 2) == "\r\n";
        expectedCaret = atEnd ? before : right ? before + (pair ? 2 : 1) : before - (pair ? 2 : 1);
    }

    void jumpToCut(QRandomGenerator &random) {
        const qint64 cut = firstCut();
        if (cut < 0)
            return;
        sel->moveCaret(cut - random.bounded(2));
        if (random.bounded(2))
            stepOneCharacter(random.bounded(2) ? Qt::Key_Left : Qt::Key_Right);
    }

    // Typed characters join one undo step, so an undo goes back to some
    // earlier state; redo comes back to the state before the undo.
    void undo() {
        const bool undoable = doc->canUndo();
        QTest::keyClick(pane, Qt::Key_Z, Qt::ControlModifier);
        if (!undoable)
            return;
        redone.push_back(model);
        model = form->document();
        for (int k = int(history.size()) - 1; k >= 0; --k) {
            if (history[k] == model) {
                history.resize(k + 1);
                return;
            }
        }
        mismatch = "undo gave no earlier state";
    }
    void redo() {
        QTest::keyClick(pane, Qt::Key_Y, Qt::ControlModifier);
        if (redone.empty())
            return;
        model = redone.back();
        redone.pop_back();
        history.push_back(model);
    }

    void reload(const QByteArray &bytes) {
        form->setDocument(bytes);
        model = bytes;
        history = {model};
        redone.clear();
    }

    // The document, the panels, the caret and the selection, and the rows
    // agree with the model. Names what does not.
    QString disagreement(QRandomGenerator &random) const {
        if (form->document() != model)
            return "bytes";
        if (form->panelText(1) != QString::number(model.size()))
            return "panel 1";
        if (form->panelText(3) != QString::number(sel->length()))
            return "panel 3";
        const InputPane::Range shown = pane->shownSelection();
        if (pane->selectedBytes() != model.mid(shown.start, shown.end - shown.start) ||
            (!sel->isEmpty() && (shown.start > sel->start() || shown.end < sel->end())) ||
            insidePair(model, shown.start) || insidePair(model, shown.end))
            return "the selection shown";
        if (expectedCaret >= 0 && (sel->caret() != expectedCaret || !sel->isEmpty()))
            return QStringLiteral("caret at %1, not %2").arg(sel->caret()).arg(expectedCaret);
        const RowLayout &rows = pane->rowLayout();
        if (rows.size() != model.size() || rows.row(rows.rowCount() - 1).end != model.size())
            return "rows";
        for (int i = 0; i < 20 && !model.isEmpty(); ++i) {
            const qint64 offset = random.bounded(model.size() + 1);
            if (insidePair(model, offset))
                continue;
            const qint64 row = rows.rowOf(offset);
            const RowLayout::Hit hit = rows.hit(row, rows.xOf(rows.row(row), offset));
            if (hit.offset != offset)
                return QStringLiteral("offset %1 hit as %2").arg(offset).arg(hit.offset);
        }
        const QScrollBar *bar = pane->verticalScrollBar();
        if (bar->maximum() != std::max<qint64>(0, rows.rowCount() - bar->pageStep()))
            return "scroll bar";
        return mismatch;
    }

    MainWindow *form = nullptr;
    InputPane *pane = nullptr;
    ByteDocument *doc = nullptr;
    ByteSelection *sel = nullptr;
    QByteArray model;
    std::vector<QByteArray> history;
    std::vector<QByteArray> redone;
    qint64 expectedCaret = -1;
    QString mismatch;
};

KKTVIEW_TEST_MAIN(InputPaneModelTest)
#include "tst_inputpanemodel.moc"
