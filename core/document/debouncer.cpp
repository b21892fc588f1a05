#include "document/debouncer.h"

#include <algorithm>

Debouncer::Debouncer(int delayMs, int longestMs, QObject *parent)
    : QObject(parent), delay(delayMs), longest(longestMs) {
    timer.setSingleShot(true);
    connect(&timer, &QTimer::timeout, this, &Debouncer::fired);
}

void Debouncer::setDelays(int delayMs, int longestMs) {
    delay = delayMs;
    longest = longestMs;
}

void Debouncer::poke() {
    if (!timer.isActive())
        firstPoke.start();
    const qint64 left = std::max<qint64>(0, longest - firstPoke.elapsed());
    timer.start(int(std::min<qint64>(delay, left)));
}
