#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

// Qt's parser, which lists only the options found on a command line, keeping
// the names of every option it is given as well, whichever way they come:
// the manual pages are checked against them. Options are added through this
// type, never through a QCommandLineParser reference.
class OptionParser : public QCommandLineParser {
public:
    bool addOption(const QCommandLineOption &option) {
        names += option.names();
        return QCommandLineParser::addOption(option);
    }
    bool addOptions(const QList<QCommandLineOption> &options) {
        bool added = true;
        for (const QCommandLineOption &option : options)
            added = addOption(option) && added;
        return added;
    }
    QCommandLineOption addHelpOption() { return noted(QCommandLineParser::addHelpOption()); }
    QCommandLineOption addVersionOption() { return noted(QCommandLineParser::addVersionOption()); }

    // Short and long names without dashes ("h", "help"), as declared.
    const QStringList &declaredNames() const { return names; }

private:
    QCommandLineOption noted(const QCommandLineOption &option) {
        names += option.names();
        return option;
    }

    QStringList names;
};
