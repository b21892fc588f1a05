#pragma once

#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QTest>
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#endif

// The faces the window suites measure text in, loaded from the files that
// scripts/setup.sh installs (fonts-dejavu-core, fonts-liberation2) rather than
// found by the machine's font configuration: what other fonts a machine has,
// or lacks, changes no width, row or hit a suite measures. The faces the
// program asks for by name and the application's default face come out as
// these.
namespace testfonts {

inline const QString sans = QStringLiteral("DejaVu Sans");
inline const QString mono = QStringLiteral("DejaVu Sans Mono");

// False, saying which, when a file is missing.
inline bool load() {
    static const char *const files[] = {
        "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSansMono-Bold.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSerif.ttf",
        "/usr/share/fonts/truetype/dejavu/DejaVuSerif-Bold.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSans-Italic.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSans-BoldItalic.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSerif-Regular.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSerif-Bold.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSerif-Italic.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationSerif-BoldItalic.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationMono-Regular.ttf",
        "/usr/share/fonts/truetype/liberation2/LiberationMono-Bold.ttf",
    };
    bool all = true;
    for (const char *file : files) {
        QString path = QString::fromLatin1(file);
#ifdef Q_OS_WIN
        // The Windows suites run under wine, which shows the Linux root as Z:.
        path.prepend(QStringLiteral("Z:"));
#endif
        if (QFontDatabase::addApplicationFont(path) < 0) {
            qCritical("Font file %s is missing: scripts/setup.sh installs it.", file);
            all = false;
        }
    }
    // The faces the program names, and the metric twins of the ones the
    // code table names.
    QFont::insertSubstitution(QStringLiteral("Lucida Console"), mono);
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), sans);
    QFont::insertSubstitution(QStringLiteral("Arial"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));
    QFont font = QGuiApplication::font();
    font.setFamilies({sans});
#ifdef QT_WIDGETS_LIB
    QApplication::setFont(font);
#else
    QGuiApplication::setFont(font);
#endif
    return all;
}

} // namespace testfonts

// QTEST_MAIN with the faces above loaded before the first test.
#define KKTVIEW_TEST_MAIN(TestObject)                                                              \
    QTEST_MAIN_WRAPPER(TestObject, QTEST_MAIN_SETUP() if (!testfonts::load()) return 1;)
