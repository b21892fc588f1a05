// Every window reaches the window system under exactly the title it sets:
// Qt appends the application's display name to every title when one is set.

#include "appsetup.h"
#include "form1.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QWindow>
#include <QtTest>

namespace {

// The title a window handed to the window system.
QString platformTitle(QWidget *widget) {
    return widget && widget->windowHandle() ? widget->windowHandle()->title() : QString();
}

// Notes the title of each modal window that opens and closes it, so a
// failing check never leaves a test waiting on a dialog.
class ModalCloser : public QObject {
public:
    ModalCloser() {
        connect(&timer, &QTimer::timeout, this, [this] {
            QWidget *modal = QApplication::activeModalWidget();
            if (!modal)
                return;
            titles << platformTitle(modal);
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
        });
        timer.start(5);
    }
    QStringList titles;

private:
    QTimer timer;
};

} // namespace

class WindowTitlesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { appsetup::configureApplication(); }
    void noDisplayNameIsSet();
    void windowsAndDialogsCarryTheirOwnTitles();
};

void WindowTitlesTest::noDisplayNameIsSet() {
    // Without a display name of its own, Qt reports the application name.
    const QString name = QCoreApplication::applicationName();
    QCoreApplication::setApplicationName(QStringLiteral("probe"));
    const QString displayName = QGuiApplication::applicationDisplayName();
    QCoreApplication::setApplicationName(name);
    QCOMPARE(displayName, QStringLiteral("probe"));
}

void WindowTitlesTest::windowsAndDialogsCarryTheirOwnTitles() {
    Form1 window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(platformTitle(&window), QStringLiteral("Просмотр бинарных файлов"));

    window.findChild<QAction *>(QStringLiteral("mnuTable"))->trigger();
    QWidget *table = nullptr;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (widget->objectName() == QLatin1String("FrmTabl") && widget->isVisible())
            table = widget;
    }
    QCOMPARE(platformTitle(table), QStringLiteral("Таблицы"));

    ModalCloser closer;
    window.findChild<QAction *>(QStringLiteral("mnuSave"))->trigger();
    window.findChild<QAction *>(QStringLiteral("mnuAbout"))->trigger();
    // Message boxes carry the program's name as their title.
    QCOMPARE(closer.titles, (QStringList{"Save As", "kktview"}));
}

QTEST_MAIN(WindowTitlesTest)
#include "tst_windowtitles.moc"
