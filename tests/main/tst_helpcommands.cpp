// The help and font commands of the main window: the About and Help
// messages, the code table window, and the font dialog over the panes.

#include "../testfonts.h"
#include "codetablewindow.h"
#include "objectnames.h"
#include "russianqt.h"
#include "windowfixture.h"

#include <QAction>
#include <QComboBox>
#include <QFontDialog>
#include <functional>

class HelpCommandsTest : public WindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() { QVERIFY(useRussianForQt()); }
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    void aboutAndHelpReadWordForWord();
    void fontAppliesToTheSelectionOfEveryPane();
    void cancelledFontDialogChangesNothing();
    void codeTableOpensOnceAndClosesWithTheMainWindow();
};

void HelpCommandsTest::aboutAndHelpReadWordForWord() {
    MessageCatcher catcher;
    child<QAction>(form, objectnames::aboutCommand)->trigger();
    child<QAction>(form, objectnames::helpCommand)->trigger();
    QCOMPARE(catcher.messages.size(), 2);

    QCOMPARE(catcher.messages[0].text, QStringLiteral("         Version 1.0.3\n"
                                                      "          Автор: ЕЛ\n"
                                                      "Благодарю К.Сурминова"));
    const QStringList help = catcher.messages[1].text.split(QLatin1Char('\n'));
    QCOMPARE(help.size(), 15);
    QCOMPARE(help[0], QStringLiteral("Кодировка Win1251 годится для ККМ:"));
    QCOMPARE(help[5], QStringLiteral("АМС 200Ф "));
    QCOMPARE(help[9], QStringLiteral("WAB 04RK (6 строк) 24  знака"));
    QCOMPARE(help[10], QStringLiteral(" "));
    QCOMPARE(help[12], QStringLiteral("МЕРКУРИЙ Ф 24 знака(большие русские буквы)"));
    QCOMPARE(help[14], QStringLiteral("Текст клише не должен превышать 10К!"));
    for (const MessageCatcher::Message &message : catcher.messages) {
        QCOMPARE(message.icon, QMessageBox::NoIcon);
        QCOMPARE(message.buttonCount, 1);
    }
}

void HelpCommandsTest::fontAppliesToTheSelectionOfEveryPane() {
    form->setDocument("abcdef");
    hexPane->append(views::hexDump, PieceTable(QByteArray("ABC")));
    outputPane->append(views::cp1251Glyphs, PieceTable(QByteArray("abc")));
    inputPane->selection()->select(1, 2);
    outputPane->setSelection(1, 2);
    hexPane->setSelection(0, 2);

    QFont chosen(QStringLiteral("DejaVu Serif"));
    chosen.setPointSize(10);
    chosen.setBold(true);
    chosen.setUnderline(true);
    DialogAnswer<QFontDialog> answer([&](QFontDialog *dialog) {
        dialog->setCurrentFont(chosen);
        auto *colors = dialog->findChild<QComboBox *>(QLatin1String(objectnames::fontColorList));
        QVERIFY(colors);
        colors->setCurrentIndex(colors->findData(QColor(Qt::red)));
        dialog->accept();
    });
    child<QAction>(form, objectnames::fontCommand)->trigger();
    QVERIFY(answer.seen);

    // The format of the character before a position, as the panes show it.
    using FormatBefore = std::function<QTextCharFormat(int)>;
    const FormatBefore input = [this](int position) {
        return inputPane->charFormatAt(position - 1);
    };
    const FormatBefore hex = [this](int position) { return hexPane->charFormatAt(position - 1); };
    const FormatBefore output = [this](int position) {
        return outputPane->charFormatAt(position - 1);
    };
    struct Check {
        FormatBefore formatBefore;
        int inside, outside;
    };
    for (const Check &check : {Check{input, 2, 4}, Check{hex, 2, 4}, Check{output, 2, 3}}) {
        const QTextCharFormat in = check.formatBefore(check.inside);
        QCOMPARE(in.fontFamilies().toStringList().value(0), chosen.family());
        QCOMPARE(in.fontPointSize(), 10.0);
        QCOMPARE(in.fontWeight(), int(QFont::Bold));
        QVERIFY(in.fontUnderline());
        QCOMPARE(in.foreground().color(), QColor(Qt::red));
        const QTextCharFormat out = check.formatBefore(check.outside);
        QVERIFY(out.fontWeight() != QFont::Bold);
        QVERIFY(out.foreground().color() != QColor(Qt::red));
    }
    QCOMPARE(form->document(), QByteArray("abcdef"));
}

void HelpCommandsTest::cancelledFontDialogChangesNothing() {
    form->setDocument("abc");
    inputPane->selectAll();
    DialogAnswer<QFontDialog> answer([](QFontDialog *dialog) {
        QFont bold = dialog->currentFont();
        bold.setBold(true);
        dialog->setCurrentFont(bold);
        dialog->reject();
    });
    child<QAction>(form, objectnames::fontCommand)->trigger();
    QVERIFY(answer.seen);

    QVERIFY(inputPane->charFormatAt(1).fontWeight() != QFont::Bold);
}

void HelpCommandsTest::codeTableOpensOnceAndClosesWithTheMainWindow() {
    auto tables = [] {
        QList<CodeTableWindow *> found;
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (auto *table = qobject_cast<CodeTableWindow *>(widget); table && table->isVisible())
                found << table;
        }
        return found;
    };
    QTest::keyClick(form, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClick(form, Qt::Key_T, Qt::ControlModifier);
    QCOMPARE(tables().size(), 1);
    CodeTableWindow *table = tables().constFirst();
    QCOMPARE(table->windowTitle(), QStringLiteral("Таблицы"));
    // Beside the main window, not owned by it and not blocking it.
    QVERIFY(table->isWindow() && !table->parentWidget());
    QCOMPARE(QApplication::activeModalWidget(), nullptr);
    form->setDocument("AB");
    child<QAction>(form, objectnames::hexEditCommand)->trigger();
    QCOMPARE(hexPane->toPlainText(), QStringLiteral("41  42  "));

    // Closed by the user, it is made anew on the next command.
    QPointer<CodeTableWindow> first = tables().constFirst();
    first->close();
    QTRY_VERIFY(first.isNull());
    child<QAction>(form, objectnames::codeTableCommand)->trigger();
    QCOMPARE(tables().size(), 1);

    QPointer<CodeTableWindow> second = tables().constFirst();
    form->close();
    QTRY_VERIFY(second.isNull());
}

KKTVIEW_TEST_MAIN(HelpCommandsTest)
#include "tst_helpcommands.moc"
