// Throughput of every byte view and of the pane codec, against glibc iconv
// converting the same bytes from code page 866 to UTF-8.

#include "benchtools.h"
#include "codepages/cp1251codec.h"
#include "codepages/views.h"

#include <QString>

#include <cstdio>
#include <functional>
#include <iconv.h>
#include <vector>

namespace {

double megabytesPerSecond(qsizetype inputBytes, const std::function<qsizetype()> &run) {
    return double(inputBytes) / bench::fastestSecondsPerRun(run) / 1e6;
}

qsizetype iconv866ToUtf8(iconv_t cd, const QByteArray &input, QByteArray &output) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char *in = const_cast<char *>(input.constData());
    char *out = output.data();
    size_t inLeft = input.size();
    size_t outLeft = output.size();
    if (iconv(cd, &in, &inLeft, &out, &outLeft) == size_t(-1))
        std::perror("iconv");
    return out - output.constData();
}

struct Subject {
    const char *name;
    std::function<qsizetype(const QByteArray &, const QString &)> run;
};

} // namespace

int main() {
    const QByteArray big = bench::randomBytes(16 << 20, 20240607);
    const QByteArray small = big.left(10700);
    const QByteArray inputs[] = {small, big};
    const QString paneTexts[] = {cp1251::toPaneText(small), cp1251::toPaneText(big)};

    iconv_t cd = iconv_open("UTF-8", "CP866");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        std::perror("iconv_open CP866 to UTF-8");
        return 1;
    }
    QByteArray iconvOut(big.size() * 3, Qt::Uninitialized);

    const std::vector<Subject> subjects = {
        {"hexDump", [](auto &b, auto &) { return views::hexDump(b).size(); }},
        {"cp866Glyphs", [](auto &b, auto &) { return views::cp866Glyphs(b).size(); }},
        {"cp1251Glyphs", [](auto &b, auto &) { return views::cp1251Glyphs(b).size(); }},
        {"controlNames", [](auto &b, auto &) { return views::controlNames(b).size(); }},
        {"clicheListing866", [](auto &b, auto &) { return views::clicheListing866(b).size(); }},
        {"clicheListing1251", [](auto &b, auto &) { return views::clicheListing1251(b).size(); }},
        {"cp1251::toPaneText", [](auto &b, auto &) { return cp1251::toPaneText(b).size(); }},
        {"cp1251::fromPaneText",
         [](auto &, auto &t) { return cp1251::fromPaneText(t).value_or(QByteArray()).size(); }},
    };

    double iconvRate[2];
    for (int i = 0; i < 2; ++i) {
        iconvRate[i] = megabytesPerSecond(inputs[i].size(),
                                          [&] { return iconv866ToUtf8(cd, inputs[i], iconvOut); });
    }
    iconv_close(cd);

    std::printf(
        "Throughput in MB/s of input bytes (1 MB = 10^6 bytes); random bytes, fixed seed.\n");
    std::printf(
        "Ratio: the view's throughput over glibc iconv CP866->UTF-8 on the same input.\n\n");
    std::printf("%-22s %12s %8s %12s %8s\n", "", "10700 B", "ratio", "16 MiB", "ratio");
    std::printf("%-22s %12.0f %8s %12.0f %8s\n", "iconv CP866->UTF-8", iconvRate[0], "1.00",
                iconvRate[1], "1.00");
    for (const Subject &s : subjects) {
        double rate[2];
        for (int i = 0; i < 2; ++i) {
            rate[i] = megabytesPerSecond(inputs[i].size(),
                                         [&] { return s.run(inputs[i], paneTexts[i]); });
        }
        std::printf("%-22s %12.0f %8.2f %12.0f %8.2f\n", s.name, rate[0], rate[0] / iconvRate[0],
                    rate[1], rate[1] / iconvRate[1]);
    }
    return 0;
}
