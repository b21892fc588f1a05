// The command line on 64 MiB files, as a script runs it: wall and CPU time
// and peak memory of kktview --check and --print, the fastest of three runs,
// with iconv and xxd over the same bytes for comparison; then --check of
// every model once. --check must stay within 1.5 s of CPU and 100 MiB on
// 64 MiB of text, and its memory must not grow with the file.

#include "benchtools.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QStringList>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Measure {
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKiB = 0;
    int status = -1;
};

// Runs the program with standard output to /dev/null.
Measure runOnce(const QStringList &command) {
    std::vector<QByteArray> arguments;
    for (const QString &argument : command)
        arguments.push_back(argument.toUtf8());
    std::vector<char *> argv;
    for (QByteArray &argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);

    QElapsedTimer timer;
    timer.start();
    const pid_t child = ::fork();
    if (child == 0) {
        const int null = ::open("/dev/null", O_WRONLY);
        ::dup2(null, STDOUT_FILENO);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    int status = 0;
    rusage usage{};
    ::wait4(child, &status, 0, &usage);
    Measure m;
    m.seconds = double(timer.nsecsElapsed()) / 1e9;
    m.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    m.peakKiB = usage.ru_maxrss;
    m.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return m;
}

Measure fastestOfThree(const QStringList &command) {
    Measure best = runOnce(command);
    for (int i = 0; i < 2; ++i) {
        const Measure m = runOnce(command);
        if (m.seconds < best.seconds)
            best = m;
    }
    return best;
}

} // namespace

int main() {
    const QString program = QStringLiteral(KKTVIEW_BINARY);
    QTemporaryDir dir;
    const QString text = dir.filePath("text-64.txt");
    const QString text16 = dir.filePath("text-16.txt");
    const QString random = dir.filePath("random-64.bin");
    bench::writeFile(text, bench::clicheText(64 << 20));
    bench::writeFile(text16, bench::clicheText(16 << 20));
    bench::writeFile(random, bench::randomBytes(64 << 20, 64));

    struct Row {
        const char *name;
        QStringList command;
    };
    const Row rows[] = {
        {"--check ШТРИХ-МИНИ-К, text 64 MiB", {program, "--check", "ШТРИХ-МИНИ-К", text}},
        {"--check МЕРКУРИЙ Ф, text 16 MiB", {program, "--check", "МЕРКУРИЙ Ф", text16}},
        {"--check МЕРКУРИЙ Ф, text 64 MiB", {program, "--check", "МЕРКУРИЙ Ф", text}},
        {"--check 1251:24, random 64 MiB", {program, "--check", "1251:24", random}},
        {"--print 1251, text 64 MiB", {program, "--print", "1251", text}},
        {"iconv cp1251 -> utf-8, text 64 MiB", {"iconv", "-f", "CP1251", "-t", "UTF-8", text}},
        {"--print hex, text 64 MiB", {program, "--print", "hex", text}},
        {"xxd -p, text 64 MiB", {"xxd", "-p", text}},
    };
    std::printf("Fastest of three runs; output to /dev/null.\n\n");
    std::printf("%-38s %8s %8s %10s %7s\n", "", "wall s", "CPU s", "peak MiB", "status");
    for (const Row &row : rows) {
        const Measure m = fastestOfThree(row.command);
        std::printf("%-38s %8.2f %8.2f %10.1f %7d\n", row.name, m.seconds, m.cpuSeconds,
                    double(m.peakKiB) / 1024.0, m.status);
    }

    // Every model the program knows, on the same text, once each.
    QProcess models;
    models.start(program, {"--models"});
    models.waitForFinished(-1);
    std::printf("\n--check of every model, text 64 MiB, one run each; load average: %s\n",
                bench::loadAverage().constData());
    double slowestCpu = 0;
    for (const QString &model :
         QString::fromUtf8(models.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts)) {
        const Measure m = runOnce({program, "--check", model, text});
        slowestCpu = std::max(slowestCpu, m.cpuSeconds);
        std::printf("  %-36s %8.2f %8.2f %10.1f %7d\n", qPrintable(model), m.seconds, m.cpuSeconds,
                    double(m.peakKiB) / 1024.0, m.status);
    }
    std::printf("  the most CPU: %.2f s\n", slowestCpu);
    return 0;
}
