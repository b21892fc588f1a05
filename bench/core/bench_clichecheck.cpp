// The cliche check, its fixes and code page conversion on a cliche of 10K and
// on 1 MiB of cliche text, and on 1 MiB of random bytes (a finding almost
// every byte). The check must stay under a millisecond per KiB.

#include "clichecheck.h"
#include "clichefixes.h"
#include "cp1251text.h"
#include "fastestrun.h"
#include "recode.h"
#include "registermodels.h"

#include <QRandomGenerator>

#include <cstdio>
#include <functional>

namespace {

double millisecondsPerRun(const std::function<qsizetype()> &run) {
    return bench::fastestSecondsPerRun(run) * 1e3;
}

// A cliche of the usual kind, with a too-wide line, small letters and
// characters the 866 group has no code for, repeated to the size.
QByteArray clicheText(qsizetype size) {
    const QByteArray block = cp1251text::text("ООО \"РОМАШКА\"\r\n"
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
    const cliche::RegisterModel mercuryF = *cliche::findRegisterModel(u"МЕРКУРИЙ Ф");
    const cliche::RegisterModel wab = *cliche::findRegisterModel(u"WAB 04RK");
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
