// libFuzzer target: each input is a recovery copy's file, read by the parser
// and listed and taken from the store, and the bytes of a document written
// as a copy and read back, then with one bit changed.

#include "recoverychecks.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    // A RAM disk where there is one: a written copy is synced.
    static const QTemporaryDir scratch((QDir(QStringLiteral("/dev/shm")).exists()
                                            ? QStringLiteral("/dev/shm")
                                            : QDir::tempPath()) +
                                       QStringLiteral("/fuzz_recovery-XXXXXX"));
    const QByteArrayView file(data, qsizetype(size));
    QString failure = recoverychecks::checkHeader(file);
    if (failure.isEmpty())
        failure = recoverychecks::checkCopyFile(file, scratch.path());
    if (failure.isEmpty())
        failure = recoverychecks::checkWrittenCopy(file, scratch.path());
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
