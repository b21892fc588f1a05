// The editor's undo groups and its CR LF rule, driven through the editor
// alone, without a window: each row is a run of edits on "XY\r\nZ", the
// bytes it leaves, where the last edit puts the caret and what one undo
// takes back.

#include "document/byteeditor.h"

#include <QTest>

namespace {

// t<c>@n types c at n; o<c>@n types c over byte n; i<c>@n types c at n with
// a character that had no byte; r<c>@n pastes c at n; b@n and d@n are
// Backspace and Delete at n; h<c>@n / l<c>@n the high / low hex digit of
// byte n; m@s-e>t moves [s, e) to t; u undoes; e moves the caret away.
qint64 run(ByteEditor &editor, const QString &edit) {
    const QChar kind = edit[0];
    const QString where = edit.section(u'@', 1);
    const qint64 at = where.section(u'-', 0, 0).toLongLong();
    const QByteArray ch(1, edit.size() > 1 ? edit[1].toLatin1() : '\0');
    switch (kind.unicode()) {
    case u't':
        return editor.type(at, at, ch);
    case u'o':
        return editor.type(at, at + 1, ch);
    case u'i':
        return editor.type(at, at, ch, false);
    case u'r':
        return editor.replace(at, at, ch);
    case u'b':
        return editor.backspace(at);
    case u'd':
        return editor.deleteForward(at);
    case u'h':
    case u'l':
        return editor.typeNibble(at, kind == u'l', ch.toInt(nullptr, 16)) ? at : -1;
    case u'm': {
        const qint64 end = where.section(u'-', 1).section(u'>', 0, 0).toLongLong();
        const ByteEditor::Range moved =
            editor.moveBytes(at, end, where.section(u'>', 1).toLongLong());
        return moved.offset + moved.length;
    }
    case u'u':
        return editor.undo().value_or(-1);
    case u'e':
        editor.endRun();
        return -1;
    }
    return -1;
}

} // namespace

class TestByteEditor : public QObject {
    Q_OBJECT

private slots:
    void stepsAndCaret_data() {
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QByteArray>("after");
        QTest::addColumn<qint64>("caret");
        QTest::addColumn<QByteArray>("afterUndo");
        const QByteArray start("XY\r\nZ");
        QTest::newRow("a run of typing") << "ta@0 tb@1" << QByteArray("abXY\r\nZ") << 2LL << start;
        QTest::newRow("typing over a byte")
            << "ta@0 ob@1" << QByteArray("abY\r\nZ") << 2LL << QByteArray("aXY\r\nZ");
        QTest::newRow("typing a character without a byte")
            << "ta@0 ib@1" << QByteArray("abXY\r\nZ") << 2LL << QByteArray("aXY\r\nZ");
        QTest::newRow("a paste after typing")
            << "ta@0 rb@1" << QByteArray("abXY\r\nZ") << 2LL << QByteArray("aXY\r\nZ");
        QTest::newRow("typing after a moved caret")
            << "ta@0 e tb@1" << QByteArray("abXY\r\nZ") << 2LL << QByteArray("aXY\r\nZ");
        QTest::newRow("Backspace takes a pair") << "b@4" << QByteArray("XYZ") << 2LL << start;
        QTest::newRow("Delete takes a pair") << "d@2" << QByteArray("XYZ") << 2LL << start;
        QTest::newRow("Backspace at the start") << "b@0" << start << 0LL << QByteArray();
        QTest::newRow("Delete at the end") << "d@5" << start << 5LL << QByteArray();
        QTest::newRow("Backspaces are one run") << "b@5 b@4 b@2" << QByteArray("X") << 1LL << start;
        QTest::newRow("a hex byte") << "h1@0 l2@0" << QByteArray("\x12Y\r\nZ") << 0LL << start;
        QTest::newRow("the next hex byte")
            << "h1@0 l2@0 h3@1" << QByteArray("\x12\x39\r\nZ") << 1LL << QByteArray("\x12Y\r\nZ");
        QTest::newRow("a high digit the byte had")
            << "ta@0 h5@1 l1@1" << QByteArray("aQY\r\nZ") << 1LL << QByteArray("aXY\r\nZ");
        QTest::newRow("an edit between the digits")
            << "h1@0 tq@2 l2@0" << QByteArray("\x12Yq\r\nZ") << 0LL << QByteArray("\x18Yq\r\nZ");
        QTest::newRow("an undo between the digits")
            << "ta@0 h1@0 u l2@0" << QByteArray("bXY\r\nZ") << 0LL << QByteArray("aXY\r\nZ");
        QTest::newRow("a digit past the end") << "h1@5" << start << -1LL << QByteArray();
        QTest::newRow("a move") << "m@0-2>5" << QByteArray("\r\nZXY") << 5LL << start;
        QTest::newRow("an undo puts the caret after what came back")
            << "b@4 u" << start << 4LL << QByteArray();
        QTest::newRow("an undone insertion leaves the caret where it was")
            << "ta@1 u" << start << 1LL << QByteArray();
        QTest::newRow("a move back") << "m@4-5>0" << QByteArray("ZXY\r\n") << 1LL << start;
    }
    void stepsAndCaret() {
        QFETCH(QString, edits);
        QFETCH(QByteArray, after);
        QFETCH(qint64, caret);
        QFETCH(QByteArray, afterUndo);
        ByteDocument document;
        document.load("XY\r\nZ");
        ByteEditor editor(&document);
        qint64 last = -1;
        for (const QString &edit : edits.split(u' '))
            last = run(editor, edit);
        QCOMPARE(document.read(0, document.size()), after);
        QCOMPARE(last, caret);
        // An empty afterUndo: the edits made no step at all.
        QCOMPARE(editor.undo().has_value(), !afterUndo.isEmpty());
        if (!afterUndo.isEmpty())
            QCOMPARE(document.read(0, document.size()), afterUndo);
    }

    // A rewrite replaces only what differs, and never half of a pair.
    void rewriteReplacesTheDifference_data() {
        QTest::addColumn<QByteArray>("result");
        QTest::addColumn<qint64>("offset");
        QTest::addColumn<qint64>("length");
        QTest::newRow("one byte") << QByteArray("aXc\r\nd") << 1LL << 1LL;
        QTest::newRow("a CR of a pair") << QByteArray("abc\nd") << 3LL << 1LL;
        QTest::newRow("the same") << QByteArray("abc\r\nd") << -1LL << 0LL;
    }
    void rewriteReplacesTheDifference() {
        QFETCH(QByteArray, result);
        QFETCH(qint64, offset);
        QFETCH(qint64, length);
        ByteDocument document;
        document.load("--abc\r\nd");
        ByteEditor editor(&document);
        const auto range = editor.rewrite(2, document.size() - 2, result);
        QCOMPARE(range.has_value(), offset >= 0);
        QCOMPARE(document.read(2, document.size()), result);
        if (range) {
            QCOMPARE(range->offset, 2 + offset);
            QCOMPARE(range->length, length);
            QVERIFY(editor.undo());
            QVERIFY(!document.canUndo());
        }
    }
};

QTEST_GUILESS_MAIN(TestByteEditor)
#include "tst_byteeditor.moc"
