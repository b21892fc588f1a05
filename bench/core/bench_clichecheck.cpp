// The cliche check, its fixes and code page conversion on a cliche of 10K and
// on 1 MiB of cliche text, and on 1 MiB of random bytes (a finding almost
// every byte). The check must stay under a millisecond per KiB.

#include "benchtools.h"
#include "checks/clichecheck.h"
#include "checks/clichefixes.h"
#include "checks/registermodels.h"
#include "codepages/recode.h"

#include <cstdio>
#include <functional>

namespace {

double millisecondsPerRun(const std::function<qsizetype()> &run) {
    return bench::fastestSecondsPerRun(run) * 1e3;
}

} // namespace

int main() {
    const cliche::RegisterModel mercuryF = *cliche::findRegisterModel(u"МЕРКУРИЙ Ф");
    const cliche::RegisterModel wab = *cliche::findRegisterModel(u"WAB 04RK");
    const QByteArray random = bench::randomBytes(1 << 20, 20240607);
    struct Input {
        const char *name;
        QByteArray bytes;
    };
    const Input inputs[] = {
        {"cliche 10239 B", bench::clicheText(cliche::textLimit - 1)},
        {"cliche 1 MiB", bench::clicheText(1 << 20)},
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
