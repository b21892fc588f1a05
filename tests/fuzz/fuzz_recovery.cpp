// libFuzzer target: each input is a recovery copy's file, read by the parser
// and listed and taken from the store, and the bytes of a document written
// as a copy and read back, then with one bit changed.

#include "recoverychecks.h"
#include "scratch.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const QTemporaryDir scratch(
        fuzzscratch::folderTemplate(QStringLiteral("fuzz_recovery")));
    const QString failure =
        recoverychecks::checkAll(QByteArrayView(data, qsizetype(size)), scratch.path());
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
