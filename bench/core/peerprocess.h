#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <algorithm>

namespace bench {

// The fastest of a few runs of a program, in seconds, its output written to
// outputFile (not /dev/null: cmp -l stops at the first difference when its
// output goes nowhere); a negative value when the program is not installed
// or fails.
inline double fastestProcessSeconds(const QString &program, const QStringList &arguments,
                                    const QString &outputFile = QProcess::nullDevice(),
                                    int runs = 3) {
    if (QStandardPaths::findExecutable(program).isEmpty() && !program.contains(u'/'))
        return -1;
    double best = -1;
    for (int i = 0; i < runs; ++i) {
        QProcess process;
        process.setStandardOutputFile(outputFile);
        QElapsedTimer timer;
        timer.start();
        process.start(program, arguments);
        if (!process.waitForFinished(-1) || process.exitStatus() != QProcess::NormalExit ||
            process.exitCode() > 1)
            return -1;
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

// The peak resident memory of one run in MB, as GNU time measures it: a
// process started from a large one counts that one's pages until it
// replaces itself, so only a small program in between measures fairly.
// Negative without /usr/bin/time.
inline double peakMegabytes(const QString &program, const QStringList &arguments,
                            const QString &outputFile = QProcess::nullDevice()) {
    const QString time = QStringLiteral("/usr/bin/time");
    if (!QFile::exists(time))
        return -1;
    QProcess process;
    process.setStandardOutputFile(outputFile);
    process.start(time, QStringList{"-f", "%M", program} + arguments);
    if (!process.waitForFinished(-1))
        return -1;
    const QList<QByteArray> lines = process.readAllStandardError().trimmed().split('\n');
    bool ok = false;
    const double kilobytes = lines.constLast().toDouble(&ok);
    return ok ? kilobytes / 1e3 : -1;
}

} // namespace bench
