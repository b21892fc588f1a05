#include "../testfonts.h"
#include "appicon.h"

#include <QGuiApplication>
#include <QImage>
#include <QTest>

// The icon every window of the program shows, whether or not Qt's SVG icon
// engine is installed.
class TestAppIcon : public QObject {
    Q_OBJECT

private slots:
    void pngFallbacksAreCompiledIn_data() {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128})
            QTest::addRow("%d", size) << QStringLiteral(":/icons/kktview-%1.png").arg(size) << size;
    }
    void pngFallbacksAreCompiledIn() {
        QFETCH(QString, path);
        QFETCH(int, size);
        const QImage image(path);
        QCOMPARE(image.size(), QSize(size, size));
        QVERIFY(image.hasAlphaChannel());
    }

    void iconGivesAPictureAtEveryCommonSize_data() {
        QTest::addColumn<int>("size");
        for (int size : {16, 32, 48, 64, 128, 256})
            QTest::addRow("%d", size) << size;
    }
    void iconGivesAPictureAtEveryCommonSize() {
        QFETCH(int, size);
        const QPixmap pixmap = kktview::applicationIcon().pixmap(QSize(size, size));
        QVERIFY(!pixmap.isNull());
        QVERIFY(pixmap.width() <= size && pixmap.width() >= qMin(size, 64));
    }
};

KKTVIEW_TEST_MAIN(TestAppIcon)
#include "tst_appicon.moc"
