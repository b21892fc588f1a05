#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

// Fires once the pokes have stopped for a delay, or at the latest a longer
// while after the first poke of a run: typing without a pause still has it
// fire now and then.
class Debouncer : public QObject {
    Q_OBJECT

public:
    Debouncer(int delayMs, int longestMs, QObject *parent = nullptr);

    void setDelays(int delayMs, int longestMs);
    void poke();
    void cancel() { timer.stop(); }

signals:
    void fired();

private:
    QTimer timer;
    QElapsedTimer firstPoke;
    int delay;
    int longest;
};
