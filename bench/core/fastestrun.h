#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

#include <algorithm>
#include <functional>

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

} // namespace bench
