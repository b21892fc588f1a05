// The manual pages against the program, so neither drifts from the other:
// every option the parser knows has a section of its own in each page, no
// section names an option the parser lacks, and every view --print takes and
// every model --check knows is described.

#include "clicheprinter.h"
#include "commandline.h"
#include "viewprinter.h"

#include <QFile>
#include <QRegularExpression>
#include <QtTest>

namespace {

QString pageText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

// The lines that head a section of a tagged list: those after ".TP".
QStringList headings(const QString &page) {
    QStringList found;
    const QStringList lines = page.split(u'\n');
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines.at(i).trimmed() == QLatin1String(".TP"))
            found << lines.at(i + 1);
    }
    return found;
}

// The option names in roff's spelling, "\-\-print" or "\-p", without dashes.
QStringList optionNamesIn(const QString &heading) {
    static const QRegularExpression option(
        QStringLiteral(R"(\\-\\-([A-Za-z0-9][A-Za-z0-9-]*)|\\-([A-Za-z0-9])(?![A-Za-z0-9]))"));
    QStringList names;
    for (const QRegularExpressionMatch &match : option.globalMatch(heading))
        names << (match.hasCaptured(1) ? match.captured(1) : match.captured(2));
    return names;
}

} // namespace

class ManPagesTest : public QObject {
    Q_OBJECT

    static void addPages() {
        QTest::addColumn<QString>("page");
        QTest::newRow("English") << pageText(QStringLiteral(KKTVIEW_MANPAGE_EN));
        QTest::newRow("Russian") << pageText(QStringLiteral(KKTVIEW_MANPAGE_RU));
    }

private slots:
    void everyOptionHasASectionOfItsOwn_data() { addPages(); }
    void everyOptionHasASectionOfItsOwn() {
        QFETCH(QString, page);
        const QStringList declared = CommandLine({QStringLiteral("kktview")}).declaredOptionNames();
        QVERIFY(declared.contains(QStringLiteral("help")));

        QStringList documented;
        for (const QString &heading : headings(page))
            documented << optionNamesIn(heading);
        for (const QString &name : declared)
            QVERIFY2(documented.contains(name), qPrintable("no section for option " + name));
        for (const QString &name : documented)
            QVERIFY2(declared.contains(name), qPrintable("a section for unknown option " + name));
    }

    void everyViewAndModelIsDescribed_data() { addPages(); }
    void everyViewAndModelIsDescribed() {
        QFETCH(QString, page);
        const QStringList sections = headings(page);
        for (const QString &view : viewprinter::viewNames())
            QVERIFY2(sections.contains(QStringLiteral(".B ") + view),
                     qPrintable("no section for view " + view));
        for (const QString &model : clicheprinter::modelNames())
            QVERIFY2(page.contains(u'\n' + model + u' '), qPrintable("model not listed: " + model));
    }
};

QTEST_GUILESS_MAIN(ManPagesTest)
#include "tst_manpages.moc"
