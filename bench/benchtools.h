#pragma once

// What the benchmarks share: timing a run, a process or a peer program, the
// memory a process takes, and the bytes and files they measure on.

#include "codepages/cp1251text.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QtGlobal>

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace bench {

// Where each run's result goes, so the compiler cannot drop the run.
inline volatile qsizetype sink;

// Seconds per run: a round of runs grows until it lasts 30 ms, then the
// fastest of ten rounds counts. Other work on the machine only ever slows a
// round down, so the fastest one is the closest to the code's own speed.
inline double fastestSecondsPerRun(const std::function<qsizetype()> &run) {
    QElapsedTimer timer;
    qint64 repetitions = 1;
    qint64 best = 0;
    for (;;) {
        timer.start();
        for (qint64 i = 0; i < repetitions; ++i)
            sink = run();
        best = timer.nsecsElapsed();
        if (best >= 30'000'000)
            break;
        repetitions *= 2;
    }
    for (int round = 0; round < 10; ++round) {
        timer.start();
        for (qint64 i = 0; i < repetitions; ++i)
            sink = run();
        best = std::min(best, timer.nsecsElapsed());
    }
    return double(best) / double(repetitions) / 1e9;
}

// The middle of a few timings: one slowed down by other work does not move it.
inline double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The fastest of a few runs of something too long to repeat many times, in
// seconds.
inline double fastestOf(int runs, const std::function<void()> &run) {
    double best = -1;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        run();
        const double seconds = double(timer.nsecsElapsed()) / 1e9;
        best = best < 0 ? seconds : std::min(best, seconds);
    }
    return best;
}

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

// Programs run by turns, so a load that comes and goes slows each alike:
// the median seconds of each, negative for one that is missing or fails.
// The output goes to outputFile, as for fastestProcessSeconds.
inline std::vector<double>
medianProcessSecondsByTurns(const std::vector<std::pair<QString, QStringList>> &commands, int runs,
                            const QString &outputFile = QProcess::nullDevice()) {
    std::vector<std::vector<double>> times(commands.size());
    for (int run = 0; run < runs; ++run) {
        for (std::size_t i = 0; i < commands.size(); ++i)
            times[i].push_back(
                fastestProcessSeconds(commands[i].first, commands[i].second, outputFile, 1));
    }
    std::vector<double> medians;
    for (const std::vector<double> &each : times) {
        const bool failed = std::any_of(each.begin(), each.end(), [](double s) { return s < 0; });
        medians.push_back(failed ? -1 : median(each));
    }
    return medians;
}

// The load average of the last minute, five and fifteen minutes, for a
// report: figures taken on a busy machine say so.
inline QByteArray loadAverage() {
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return "?";
    return file.readAll().split(' ').mid(0, 3).join(' ');
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

// A figure of a running process's memory in MiB, from /proc/PID/status
// ("self" for this one): "VmRSS:" now, "VmHWM:" the most so far. Negative
// when it cannot be read.
inline double statusMiB(const QString &pid, const char *field) {
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toDouble() /
                   1024;
    return -1;
}

// The same bytes for the same seed, in every run.
inline QByteArray randomBytes(qsizetype length, quint32 seed) {
    QByteArray bytes(length, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(bytes.data()), length / 4);
    return bytes;
}

// A cliche of the usual kind, with a too-wide line, small letters and
// characters the 866 group has no code for, repeated to the size.
inline QByteArray clicheText(qsizetype size) {
    const QByteArray block = cp1251text::text("ООО \"РОМАШКА\"\r\n"
                                              "г. Москва, ул. Ленина, д. 15\r\n"
                                              "ИНН 7701234567  ККМ 00012345\r\n"
                                              "СПАСИБО ЗА ПОКУПКУ!\r\n"
                                              "Магазин «Ёлочка» №1\r\n");
    QByteArray text;
    text.reserve(size + block.size());
    while (text.size() < size)
        text += block;
    text.truncate(size);
    return text;
}

// Writes the bytes into the file; a benchmark without its input stops.
inline void writeFile(const QString &path, const QByteArray &bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The bytes as a file of that name in dir; returns its path.
inline QString writeFile(const QTemporaryDir &dir, const char *name, const QByteArray &bytes) {
    const QString path = dir.filePath(QString::fromLatin1(name));
    writeFile(path, bytes);
    return path;
}

} // namespace bench
