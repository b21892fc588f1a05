#include "../testfonts.h"
#include "objectnames.h"
#include "ruler.h"
#include "twips.h"
#include "windowfixture.h"
#include "windowgeometry.h"

#include <QAction>
#include <QFontDialog>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextLayout>
#include <QToolBar>
#include <QToolButton>

namespace layout = windowgeometry;

// The window's parts, their names and places, both layouts and the resize
// rule. Places are given in twips and checked in pixels, one pixel of
// rounding allowed; the resulting sizes are the design's own figures.
class TestWindowLayout : public WindowFixture {
    Q_OBJECT

private slots:
    void init() { QVERIFY(openWindow()); }
    void cleanup() { closeWindow(); }

    // Captions are compared as shown, without the access key's marker.
    void menusHoldEveryCommandWithItsCaptionAndKey_data() {
        QTest::addColumn<int>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QKeySequence>("shortcut");
        const struct {
            int menu;
            const char *name, *caption, *shortcut;
        } items[] = {
            {0, objectnames::openCommand, "Открыть", "Ctrl+O"},
            {0, objectnames::saveCommand, "Сохранить", "Ctrl+S"},
            {0, objectnames::restoreCommand, "Восстановить несохранённое…", ""},
            {0, objectnames::compareCommand, "Сравнить с файлом…", ""},
            {0, objectnames::fontCommand, "Фонт", ""},
            {0, objectnames::exitCommand, "Выход", ""},
            {1, objectnames::selectAllCommand, "Выделить все", ""},
            {1, objectnames::clearCommand, "Очистить окно ввода", ""},
            {1, objectnames::findCommand, "Найти…", "Ctrl+F"},
            {1, objectnames::findNextCommand, "Найти далее", "F9"},
            {1, objectnames::goToCommand, "Перейти к смещению…", "Ctrl+G"},
            {1, objectnames::recodeTo1251Command, "Перекодировать 866 → 1251", ""},
            {1, objectnames::recodeTo866Command, "Перекодировать 1251 → 866", ""},
            {1, objectnames::checksumsCommand, "Контрольные суммы…", ""},
            {1, objectnames::nextDifferenceCommand, "Следующее различие", "Alt+Down"},
            {1, objectnames::previousDifferenceCommand, "Предыдущее различие", "Alt+Up"},
            {2, objectnames::controlNamesCommand, "Просмотр команд", "F2"},
            {2, objectnames::cp866Command, "кодировка 866 DOS", "F3"},
            {2, objectnames::cp1251Command, "кодировка 1251 Win", "F4"},
            {2, objectnames::hexEditCommand, "HexEdit mode", "F5"},
            {2, objectnames::wholeDocumentCommand, "Весь документ (HexEdit)", "Shift+F5"},
            {2, objectnames::normalLayoutCommand, "Нормальный вид", "F6"},
            {2, objectnames::valuesCommand, "Значения", ""},
            {3, objectnames::listing1251Command, "Группа ККМ 1251", "F7"},
            {3, objectnames::listing866Command, "Группа ККМ 866", "F8"},
            {3, objectnames::clicheCheckCommand, "Проверка клише…", "Ctrl+K"},
            {4, objectnames::helpCommand, "Инструкция", "F1"},
            {4, objectnames::codeTableCommand, "Таблицы", "Ctrl+T"},
            {4, objectnames::aboutCommand, "О программе", ""},
        };
        for (const auto &item : items)
            QTest::newRow(item.name) << item.menu << QString::fromUtf8(item.caption)
                                     << QKeySequence(QString::fromLatin1(item.shortcut));
    }
    void menusHoldEveryCommandWithItsCaptionAndKey() {
        QFETCH(int, menu);
        QFETCH(QString, caption);
        QFETCH(QKeySequence, shortcut);
        const char *menus[][2] = {{objectnames::fileMenu, "Файл"},
                                  {objectnames::editMenu, "Правка"},
                                  {objectnames::viewMenu, "Вид"},
                                  {objectnames::clicheMenu, "Клише ККМ"},
                                  {objectnames::helpMenu, "Помощь"}};
        auto *qmenu = child<QMenu>(form, menus[menu][0]);
        QCOMPARE(shownCaption(qmenu->title()), QString::fromUtf8(menus[menu][1]));
        QCOMPARE(form->menuBar()->actions().indexOf(qmenu->menuAction()), menu);
        auto *action = child<QAction>(form, QTest::currentDataTag());
        QVERIFY(qmenu->actions().contains(action));
        QCOMPARE(shownCaption(action->text()), caption);
        QCOMPARE(action->shortcut(), shortcut);
        // The steps through differences wait for a comparison; the values
        // panel is shown or not.
        const QString name = QTest::currentDataTag();
        QCOMPARE(action->isEnabled(), !name.endsWith("Diff"));
        QCOMPARE(action->isCheckable(), name == objectnames::valuesCommand);
        QVERIFY(action->isVisible());
    }

    // Every command and menu has an access key, none twice in one menu.
    void accessKeysDifferWithinEachMenu() {
        QList<const QWidget *> bars = {form->menuBar()};
        for (const QMenu *menu : form->findChildren<QMenu *>())
            bars << menu;
        for (const QWidget *bar : bars) {
            QList<QKeySequence> keys;
            for (const QAction *action : bar->actions()) {
                if (action->isSeparator())
                    continue;
                const QKeySequence key = QKeySequence::mnemonic(action->text());
                QVERIFY2(!key.isEmpty() && !keys.contains(key), qPrintable(action->text()));
                keys << key;
            }
        }
    }

    void startsEmptyWithTheCountersAtZero() {
        QCOMPARE(form->windowTitle(), QStringLiteral("Просмотр бинарных файлов"));
        QVERIFY(!form->isMaximized());
        const QStringList expected = {"0", "", "0", "0"};
        for (int i = 0; i < 4; ++i)
            QCOMPARE(child<QLabel>(form, statusPanelName(i + 1))->text(), expected[i]);
        const QLocale russian(QLocale::Russian);
        QVERIFY(russian.toTime(panel(5)->text(), QLocale::ShortFormat).isValid());
        QVERIFY(russian.toDate(panel(6)->text(), QLocale::ShortFormat).isValid());
        QCOMPARE(panel(7)->text(), QStringLiteral("     программа работы с бинарными файлами ККТ"));
        QCOMPARE(panel(8)->text(), QString());
        for (int i = 1; i <= 7; ++i)
            QVERIFY2(shownWhole(i), qPrintable(panel(i)->text()));
        for (int i = 1; i <= 8; ++i)
            QCOMPARE(form->findChild<QLabel *>(QLatin1String(statusPanelName(i)))->parent(),
                     child<QStatusBar>(form, objectnames::statusBar));
        QCOMPARE(QApplication::focusWidget(), child<QWidget>(form, objectnames::inputPane));
        QVERIFY(inFront(objectnames::inputPane));
        QVERIFY(!child<QLabel>(form, objectnames::ruler)->isVisible());
        QCOMPARE(
            child<QLabel>(form, objectnames::ruler)->text(),
            QStringLiteral(" 0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F   "));
        auto *toolbar = child<QToolBar>(form, objectnames::pathBar);
        QCOMPARE(form->toolBarArea(toolbar), Qt::BottomToolBarArea);
        QVERIFY(!toolbar->isMovable());
    }

    // Sparse files would be one paragraph of 16 MiB, slow to lay out; lines
    // of 60 bytes open fast.
    void countersShowWholeNumbers_data() {
        QTest::addColumn<int>("size");
        for (int size : {1, 10699, 1048576, 16777216})
            QTest::addRow("%d", size) << size;
    }
    void countersShowWholeNumbers() {
        QFETCH(int, size);
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("kkm_dump.bin")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write((QByteArray(58, 'a') + "\r\n").repeated(size / 60 + 1).left(size)) ==
                size);
        file.close();
        QVERIFY(form->openFile(file.fileName()));
        child<QAction>(form, objectnames::selectAllCommand)->trigger();
        form->setPanelText(4, QString::number(size)); // as long as a selection in the hex pane
        for (int i : {1, 3, 4}) {
            QCOMPARE(panel(i)->text(), QString::number(size));
            QVERIFY2(shownWhole(i), qPrintable(QStringLiteral("panel %1").arg(i)));
        }
        QVERIFY(shownWhole(2) && shownWhole(5) && shownWhole(6));
    }

    void aNarrowWindowElidesPanelSevenButNoNumber() {
        form->setPanelText(1, QStringLiteral("16777216"));
        form->resize(form->width() - x(1500), form->height());
        QTRY_VERIFY(panel(7)->text().endsWith(QChar(0x2026)));
        QVERIFY(shownWhole(7));
        QVERIFY(QStringLiteral("     программа работы с бинарными файлами ККТ")
                    .startsWith(panel(7)->text().chopped(1)));
        QCOMPARE(form->panelText(7),
                 QStringLiteral("     программа работы с бинарными файлами ККТ"));
        for (int i = 1; i <= 6; ++i)
            QVERIFY2(shownWhole(i), qPrintable(QStringLiteral("panel %1").arg(i)));
    }

    // A path with an underscore, descenders and a comma; one too long for
    // the window; a larger font.
    void barsShowTheirTextsWhole_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qreal>("points");
        const QString path = QStringLiteral("/tmp/образцы_урд,для/kkm_dump.bin");
        QTest::newRow("underscore and descenders") << path << 0.0;
        QTest::newRow("short") << QStringLiteral("/tmp/shots/dlg/klishe") << 0.0;
        QTest::newRow("long path")
            << QStringLiteral("/tmp/%1%2").arg(QString(120, u'д'), path) << 0.0;
        QTest::newRow("14 points") << path << 14.0;
    }
    void barsShowTheirTextsWhole() {
        QFETCH(QString, path);
        QFETCH(qreal, points);
        if (points > 0) {
            QFont font = form->font();
            font.setPointSizeF(points);
            form->setFont(font);
        }
        const int width = form->width();
        form->setToolbarCaption(QStringLiteral("  ") + path);
        auto *toolbar = child<QToolBar>(form, objectnames::pathBar);
        auto *button = child<QToolButton>(form, objectnames::pathButton);
        QTRY_VERIFY(button->text().endsWith(QLatin1Char('/') + path.section(QLatin1Char('/'), -1)));

        const QFontMetrics metrics(button->font());
        const int frame =
            button->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, button);
        QVERIFY(button->height() - 2 * frame >= metrics.ascent() + metrics.descent());
        QVERIFY(toolbar->rect().contains(button->geometry()));
        QVERIFY(metrics.horizontalAdvance(button->text()) < button->width());
        // A long path is elided in the middle and never widens the window.
        QCOMPARE(button->text() == QStringLiteral("  ") + path, path.size() < 100);
        QCOMPARE(form->width(), width);
        QCOMPARE(form->toolbarCaption(), QStringLiteral("  ") + path);
        for (int i = 1; i <= 7; ++i)
            QVERIFY2(shownWhole(i), qPrintable(QStringLiteral("panel %1").arg(i)));
    }

    void panesFollowTheLayoutAndTheWindowWidth_data() {
        QTest::addColumn<bool>("hexEdit");
        QTest::addColumn<int>("wider");
        QTest::addColumn<int>("outputWidth");
        QTest::newRow("normal, start size") << false << 0 << 4790;
        QTest::newRow("normal, 1000 wider") << false << 1000 << 5790;
        QTest::newRow("hex-edit, start size") << true << 0 << 2690;
        QTest::newRow("hex-edit, 1000 wider") << true << 1000 << 3690;
    }
    void panesFollowTheLayoutAndTheWindowWidth() {
        QFETCH(bool, hexEdit);
        QFETCH(int, wider);
        QFETCH(int, outputWidth);
        if (hexEdit)
            QTest::keyClick(form, Qt::Key_F5);
        if (wider) {
            const int width = form->width() + x(wider);
            form->resize(width, form->height());
            QTRY_COMPARE(form->width(), width);
        }
        const layout::Layout &design = hexEdit ? layout::hexEdit : layout::normal;
        auto *inputPane = child<QWidget>(form, objectnames::inputPane);
        auto *hexPane = child<QWidget>(form, objectnames::hexPane);
        auto *outputPane = child<QWidget>(form, objectnames::outputPane);
        QCOMPARE(form->height() - form->menuBar()->height(), y(layout::clientHeight));
        // 4530 twips under a toolbar of its designed height; one that its
        // caption makes higher takes the difference from the panes.
        const int toolbarGrowth =
            child<QWidget>(form, objectnames::pathBar)->height() - y(layout::toolBarHeight);
        QVERIFY(toolbarGrowth >= -1);
        for (QWidget *pane : {inputPane, hexPane, outputPane}) {
            QVERIFY(near(pane->height(), y(4530) - toolbarGrowth));
            QCOMPARE(pane->y(), y(layout::paneTop));
        }
        QVERIFY(near(inputPane->geometry(), QRect(x(layout::paneLeft), y(layout::paneTop),
                                                  x(layout::inputWidth), inputPane->height())));
        QCOMPARE(hexPane->x(), inputPane->x());
        // The hex pane widens where its offsets and 16 groups need it; the
        // output pane gives way by as much and keeps its right margin.
        const int widening = hexPane->width() - x(design.hexWidth);
        QVERIFY(hexEdit ? widening >= -1 && widening < x(1000) : near(widening, 0));
        QVERIFY(near(outputPane->x(), x(design.outputLeft) + widening));
        QVERIFY(near(outputPane->width(), x(outputWidth) - widening));
        const int toolbarTop =
            child<QWidget>(form, objectnames::pathBar)->mapTo(form, QPoint()).y();
        QVERIFY(near(toolbarTop - inputPane->mapTo(form, QPoint(0, inputPane->height())).y(),
                     y(layout::paneBottomGap)));
    }

    void normalLayoutRestoresEverythingButTheTexts() {
        auto *inputPane = child<InputPane>(form, objectnames::inputPane);
        typeText(inputPane, "AB");
        QTest::keyClick(form, Qt::Key_F5);
        QVERIFY(inFront(objectnames::hexPane));
        QVERIFY(child<QLabel>(form, objectnames::ruler)->isVisible());
        const QString hex = child<TokenView>(form, objectnames::hexPane)->toPlainText();
        const QString output = child<TokenView>(form, objectnames::outputPane)->toPlainText();
        QTest::keyClick(form, Qt::Key_F6);
        QVERIFY(
            near(child<QWidget>(form, objectnames::hexPane)->width(), x(layout::normal.hexWidth)));
        QVERIFY(
            near(child<QWidget>(form, objectnames::outputPane)->x(), x(layout::normal.outputLeft)));
        QVERIFY(near(child<QWidget>(form, objectnames::outputPane)->width(), x(4790)));
        QVERIFY(inFront(objectnames::inputPane));
        QVERIFY(!child<QLabel>(form, objectnames::ruler)->isVisible());
        QCOMPARE(form->document(), QByteArray("AB"));
        QCOMPARE(child<TokenView>(form, objectnames::hexPane)->toPlainText(), hex);
        QCOMPARE(child<TokenView>(form, objectnames::outputPane)->toPlainText(), output);
    }

    void aWindowTooSmallLeavesThePanesAsTheyWere() {
        QList<QSize> before;
        for (const char *name :
             {objectnames::inputPane, objectnames::hexPane, objectnames::outputPane})
            before << child<QWidget>(form, name)->size();
        form->resize(x(3000), form->menuBar()->height() + y(900));
        // Too narrow for the output pane, too low for any pane.
        QTRY_VERIFY(form->width() <
                    x(layout::normal.outputLeft + layout::normal.outputRightMargin));
        QCOMPARE(QList<QSize>({child<QWidget>(form, objectnames::inputPane)->size(),
                               child<QWidget>(form, objectnames::hexPane)->size(),
                               child<QWidget>(form, objectnames::outputPane)->size()}),
                 before);
    }

    // Whatever font the Font command gave the dump: each full row holds 16
    // groups, all of them in sight where the window has room, and ruler digit
    // k stands over the second digit of group k. The bytes vary so a
    // proportional font's digits of different widths show.
    void hexRowsHoldSixteenGroupsUnderTheRuler_data() {
        QTest::addColumn<QString>("family");
        QTest::addColumn<int>("pointSize");
        QTest::addColumn<int>("bytes");
        QTest::addColumn<int>("windowWidth");
        QTest::addColumn<bool>("allInSight");
        QTest::newRow("pane's own font, 16") << QString() << 0 << 16 << 0 << true;
        QTest::newRow("pane's own font, 17") << QString() << 0 << 17 << 0 << true;
        QTest::newRow("pane's own font, 10699") << QString() << 0 << 10699 << 0 << true;
        QTest::newRow("larger monospace, 40") << "DejaVu Sans Mono" << 16 << 40 << 1400 << true;
        QTest::newRow("larger monospace, narrow window")
            << "DejaVu Sans Mono" << 16 << 40 << 0 << false;
        QTest::newRow("proportional sans, 40") << "Liberation Sans" << 11 << 40 << 0 << true;
        QTest::newRow("small proportional serif, 40") << "DejaVu Serif" << 7 << 40 << 0 << true;
    }
    void hexRowsHoldSixteenGroupsUnderTheRuler() {
        QFETCH(QString, family);
        QFETCH(int, pointSize);
        QFETCH(int, bytes);
        QFETCH(int, windowWidth);
        QFETCH(bool, allInSight);
        if (windowWidth) {
            form->resize(windowWidth, form->height());
            QTRY_COMPARE(form->width(), windowWidth);
        }
        QByteArray document(bytes, Qt::Uninitialized);
        for (int i = 0; i < bytes; ++i)
            document[i] = char(i * 37 + 0x11);
        form->setDocument(document);
        if (!family.isEmpty()) {
            child<QAction>(form, objectnames::selectAllCommand)->trigger();
            chooseFont(QFont(family, pointSize));
        }
        child<QAction>(form, objectnames::hexEditCommand)->trigger();
        QCoreApplication::processEvents(); // a wider font widens the pane after the command

        auto *hexPane = child<HexPane>(form, objectnames::hexPane);
        QCOMPARE(hexPane->toPlainText().size(), 4 * bytes);
        if (!family.isEmpty())
            QCOMPARE(hexPane->charFormatAt(0).font().family(), family);
        QCOMPARE(hexPane->rowCount(), (bytes + 15) / 16);
        const int viewportWidth = hexPane->viewport()->width();
        for (qsizetype row = 0; row < hexPane->rowCount(); ++row) {
            QCOMPARE(hexPane->rowStart(row), 64 * row);
            const qsizetype groups = qMin<qsizetype>(16, bytes - 16 * row);
            const qreal top = hexPane->positionRect(64 * row).y();
            for (qsizetype k = 0; k < groups; ++k)
                QCOMPARE(hexPane->positionRect(64 * row + 4 * k + 1).y(), top);
            // A full row's last digits end inside the pane.
            if (groups == 16)
                QCOMPARE(hexPane->positionRect(64 * row + 62).x() <= viewportWidth, allInSight);
        }

        auto *ruler = child<Ruler>(form, objectnames::ruler);
        for (int k = 0; k < 16 && k < bytes; ++k) {
            // The middle of the second digit's cell, as the pane places it.
            const qreal paneX =
                (hexPane->positionRect(4 * k + 1).x() + hexPane->positionRect(4 * k + 2).x()) / 2;
            if (paneX > viewportWidth)
                break;
            const qreal inForm = hexPane->viewport()->mapTo(form, QPointF(paneX, 0)).x();
            const qreal rulerX = ruler->mapTo(form, QPointF(ruler->digitCentre(k), 0)).x();
            QVERIFY2(
                qAbs(inForm - rulerX) <= 1.5,
                qPrintable(
                    QStringLiteral("digit %1: pane %2, ruler %3").arg(k).arg(inForm).arg(rulerX)));
            QVERIFY(ruler->digitCentre(k) < ruler->width());
        }
    }

private:
    QLabel *panel(int i) const { return child<QLabel>(form, statusPanelName(i)); }
    // The panel's text fits inside its frame, and the panel inside the bar
    // beside the ones before it.
    bool shownWhole(int i) const {
        QLabel *label = panel(i);
        const QWidget *bar = label->parentWidget();
        const QFontMetrics metrics = label->fontMetrics();
        const bool fits =
            metrics.horizontalAdvance(label->text()) <= label->contentsRect().width() &&
            metrics.height() <= label->contentsRect().height();
        const bool inBar = label->isVisible() && label->geometry().right() < bar->width();
        const bool afterPrevious = i == 1 || panel(i - 1)->geometry().right() < label->x();
        return fits && inBar && afterPrevious;
    }
    int x(int across) const { return twips::toPixelsX(*form, across); }
    int y(int down) const { return twips::toPixelsY(*form, down); }
    static bool near(int actual, int expected) { return qAbs(actual - expected) <= 1; }
    static bool near(const QRect &actual, const QRect &expected) {
        return near(actual.x(), expected.x()) && near(actual.y(), expected.y()) &&
               near(actual.width(), expected.width()) && near(actual.height(), expected.height());
    }
    // Chooses a font in the Font command's dialog; the dialog is closed
    // whatever happens.
    void chooseFont(const QFont &font) {
        QTimer answer;
        answer.callOnTimeout([&] {
            if (auto *dialog = qobject_cast<QFontDialog *>(QApplication::activeModalWidget())) {
                dialog->setCurrentFont(font);
                dialog->accept();
            }
        });
        answer.start(5);
        child<QAction>(form, objectnames::fontCommand)->trigger();
    }

    bool inFront(const char *name) const {
        return WindowFixture::inFront(child<QWidget>(form, name));
    }
};

KKTVIEW_TEST_MAIN(TestWindowLayout)
#include "tst_windowlayout.moc"
