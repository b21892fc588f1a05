#include "../testfonts.h"
#include "mainwindow.h"
#include "objectnames.h"
#include "windowdriver.h"
#include "windowplacement.h"

#include <QAction>
#include <QDir>
#include <QScreen>
#include <QTemporaryFile>

// Where the code table and the cliche check window open: over the main
// window, wholly on its screen. The offscreen platform is given two screens
// of 1280×800 pixels side by side, the second at scale factor 2 (so 640×400
// in the windows' own units).
class TestWindowPlacement : public QObject {
    Q_OBJECT

public:
    static void initMain() {
#ifdef Q_OS_WIN
        // The platform's options are split at colons, so a drive letter
        // cannot stand in them: the file goes beside, named relatively.
        static QTemporaryFile config(QStringLiteral("screens-XXXXXX.json"));
#else
        static QTemporaryFile config;
#endif
        if (!config.open())
            qFatal("no temporary file for the screens");
        config.write(R"({"screens": [
            {"name": "left", "x": 0, "y": 0, "width": 1280, "height": 800,
             "logicalDpi": 96, "logicalBaseDpi": 96},
            {"name": "right, scale 2", "x": 1280, "y": 0, "width": 1280, "height": 800,
             "logicalDpi": 192, "logicalBaseDpi": 96}]})");
        config.flush();
        qputenv("QT_QPA_PLATFORM",
                "offscreen:configfile=" +
                    QFile::encodeName(QDir::current().relativeFilePath(config.fileName())));
    }

private slots:
    void initTestCase() {
        QCOMPARE(QGuiApplication::screens().size(), 2);
    }
    void cleanup() {
        if (form)
            form->close(); // the code table closes with it
        delete form;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Cases the windows below do not reach: an owner off the area, a window
    // whose minimum is larger than the area.
    void centredOnTheOwnerWithinTheArea_data() {
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1280, 800);
        const QMargins frame(2, 30, 2, 2);
        QTest::newRow("owner off the top left")
            << QRect(-500, -300, 600, 400) << screen << QSize(300, 200) << QSize() << frame
            << QRect(2, 30, 300, 200);
        QTest::newRow("minimum over the area: top left corner in it")
            << QRect(0, 0, 640, 400) << QRect(0, 0, 640, 400) << QSize(800, 600) << QSize(700, 450)
            << frame << QRect(2, 30, 700, 450);
    }
    void centredOnTheOwnerWithinTheArea() {
        QFETCH(QRect, owner);
        QFETCH(QRect, available);
        QFETCH(QSize, size);
        QFETCH(QSize, minimum);
        QFETCH(QMargins, frame);
        QFETCH(QRect, placed);
        QCOMPARE(windowplacement::centredOn(owner, available, size, minimum, frame), placed);
    }

    void windowsOpenWhollyOnTheMainWindowsScreen_data() {
        QTest::addColumn<int>("screen");
        QTest::addColumn<bool>("inTheCorner");
        QTest::addColumn<QString>("window");
        QTest::addColumn<int>("key"); // with Ctrl
        for (int screen : {0, 1}) {
            for (bool corner : {false, true}) {
                const char *where =
                    corner ? "main window in the bottom right corner" : "main window in the middle";
                QTest::addRow("screen %d, %s, check", screen, where)
                    << screen << corner << QString(objectnames::clicheCheckWindow)
                    << int(Qt::Key_K);
                QTest::addRow("screen %d, %s, code table", screen, where)
                    << screen << corner << QString(objectnames::codeTableWindow) << int(Qt::Key_T);
            }
        }
    }
    void windowsOpenWhollyOnTheMainWindowsScreen() {
        QFETCH(int, screen);
        QFETCH(bool, inTheCorner);
        QFETCH(QString, window);
        QFETCH(int, key);
        const QRect area = QGuiApplication::screens().at(screen)->availableGeometry();
        form = new MainWindow;
        const QPoint middle = area.center() - form->rect().center();
        form->move(inTheCorner ? area.bottomRight() - QPoint(200, 150) : middle);
        form->show();
        QVERIFY(QTest::qWaitForWindowActive(form));
        QCOMPARE(form->screen(), QGuiApplication::screens().at(screen));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::ControlModifier);

        QWidget *opened = topLevel(window);
        QVERIFY(opened);
        QCOMPARE(opened->screen(), form->screen());
        const QRect frame = opened->frameGeometry();
        QVERIFY2(area.contains(frame), qPrintable(QStringLiteral("%1,%2 %3×%4")
                                                      .arg(frame.x())
                                                      .arg(frame.y())
                                                      .arg(frame.width())
                                                      .arg(frame.height())));
        // Where there is room around it, it stands in the middle of the main window.
        if (!inTheCorner && frame.width() < area.width() && frame.height() < area.height()) {
            const QPoint offCentre = frame.center() - form->frameGeometry().center();
            QVERIFY(offCentre.manhattanLength() <= 2);
        }
    }

private:
    static QWidget *topLevel(const QString &name) {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            if (widget->objectName() == name && widget->isVisible())
                return widget;
        }
        return nullptr;
    }

    MainWindow *form = nullptr;
};

KKTVIEW_TEST_MAIN(TestWindowPlacement)
#include "tst_windowplacement.moc"
