// The cliche check, its fixes and code page conversion on a cliche of 10K and
// on 1 MiB of cliche text, and on 1 MiB of random bytes (a finding almost
// every byte). The check must stay under a millisecond per KiB.

#include "clichecheck.h"
#include "clichefixes.h"
#include "recode.h"
#include "registermodels.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <iconv.h>

namespace {

volatile qsizetype sink;

// Fastest of ten rounds of at least 30 ms each, in milliseconds per run:
// other work on the machine only ever slows a round down.
double millisecondsPerRun(const std::function<qsizetype()> &run) {
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
    return double(best) / double(repetitions) / 1e6;
}

QByteArray toCp1251(const char *utf8) {
    iconv_t cd = iconv_open("CP1251", "UTF-8");
    QByteArray in(utf8);
    QByteArray out(in.size(), Qt::Uninitialized);
    char *inPtr = in.data();
    char *outPtr = out.data();
    size_t inLeft = in.size();
    size_t outLeft = out.size();
    iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    out.truncate(outPtr - out.data());
    return out;
}

// A cliche of the usual kind, with a too-wide line, small letters and
// characters the 866 group has no code for, repeated to the size.
QByteArray clicheText(qsizetype size) {
    const QByteArray block = toCp1251("ООО \"РОМАШКА\"\r\n"
                                      "г. Москва, ул. Ленина, д. 15\r\n"
                                      "ИНН 7701234567  ККМ 00012345\r\n"
                                      "СПАСИБО ЗА ПОКУПКУ!\r\n"
                                      "Магазин «Ёлочка» №1\r\n");
    QByteArray text;
    while (text.size() < size)
        text += block;
    text.truncate(size);
    return text;
}

} // namespace

int main() {
    const cliche::RegisterModel mercuryF = *cliche::findRegisterModel(toCp1251("МЕРКУРИЙ Ф"));
    const cliche::RegisterModel wab = *cliche::findRegisterModel(toCp1251("WAB 04RK"));
    QByteArray random(1 << 20, Qt::Uninitialized);
    QRandomGenerator(20240607).fillRange(reinterpret_cast<quint32 *>(random.data()),
                                         random.size() / 4);
    struct Input {
        const char *name;
        QByteArray bytes;
    };
    const Input inputs[] = {
        {"cliche 10239 B", clicheText(cliche::textLimit - 1)},
        {"cliche 1 MiB", clicheText(1 << 20)},
        {"random 1 MiB", random},
    };

    std::printf("Milliseconds per run (fastest of ten rounds), and per KiB of input.\n\n");
    std::printf("%-34s %-16s %10s %10s %10s\n", "", "input", "findings", "ms", "ms/KiB");
    for (const Input &input : inputs) {
        const double kib = double(input.bytes.size()) / 1024.0;
        for (const auto *model : {&mercuryF, &wab}) {
            const qsizetype count = cliche::check(input.bytes, *model).size();
            const double ms =
                millisecondsPerRun([&] { return cliche::check(input.bytes, *model).size(); });
            std::printf("%-34s %-16s %10lld %10.3f %10.4f\n",
                        model == &mercuryF ? "check, MERCURY F (866, capitals)"
                                           : "check, WAB 04RK (1251, 6 lines)",
                        input.name, static_cast<long long>(count), ms, ms / kib);
        }
        const struct {
            const char *name;
            std::function<qsizetype()> run;
        } others[] = {
            {"toCapitals", [&] { return cliche::toCapitals(input.bytes).size(); }},
            {"replaceUnprintable866",
             [&] { return cliche::replaceUnprintable866(input.bytes).size(); }},
            {"recode 1251 -> 866", [&] { return recode::cp1251ToCp866(input.bytes).bytes.size(); }},
        };
        for (const auto &other : others) {
            const double ms = millisecondsPerRun(other.run);
            std::printf("%-34s %-16s %10s %10.3f %10.4f\n", other.name, input.name, "", ms,
                        ms / kib);
        }
    }
    return 0;
}
