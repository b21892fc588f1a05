#pragma once

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>

class QIODevice;

// The program's command line. With no option it opens the window, and in it
// the one file given, if any; every option runs without a window and ends
// the program. A name that starts with "-" follows "--".
//
// A new option is declared in the constructor through declare() and handled
// in runWithoutWindow(); whatever is set sends the program down that path.
// An option given twice is a wrong command line, whatever the option. The
// manual pages (data/man) give every option a section of its own; a test
// holds them to declaredOptionNames().
class CommandLine {
public:
    // Parses the arguments, the program's name first, as
    // nativename::decode gives them (so a file name that is not UTF-8
    // keeps its bytes). Qt's own messages about them are Russian when its
    // translation is installed beforehand.
    explicit CommandLine(const QStringList &arguments);

    bool opensWindow() const;
    // The file the window opens at start, or an empty string.
    QString fileToOpen() const;

    // Does what the options ask, writing to `out` and `err`, and returns the
    // exit status: 0 done, 1 a file could not be read or written, 2 a wrong
    // command line; --diff answers as cmp does (diffprinter.h).
    int runWithoutWindow(QIODevice &out, QIODevice &err) const;

    // Every name of every option the parser knows, short and long, without
    // dashes ("h", "help", ...), in the order they were declared.
    QStringList declaredOptionNames() const;

private:
    void declare(const QCommandLineOption &option);
    // The message for a wrong combination of options, or an empty string.
    QString misuse() const;
    QString helpText() const;
    int printViews(QIODevice &out, QIODevice &err) const;
    int checkFiles(QIODevice &out, QIODevice &err) const;

    QCommandLineParser parser;
    QCommandLineOption helpOption;
    QCommandLineOption versionOption;
    QCommandLineOption printOption;
    QCommandLineOption checkOption;
    QCommandLineOption modelsOption;
    QCommandLineOption sumOption;
    QCommandLineOption diffOption;
    QList<QCommandLineOption> declared;
    bool parsed = false;
};
