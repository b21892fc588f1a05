// libFuzzer target: each input is a document for every view, the pane codec
// and a save then load, and, read as UTF-16, a text typed into the pane.

#include "corechecks.h"
#include "scratch.h"

#include <QTemporaryDir>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    static const QTemporaryDir scratch(fuzzscratch::folderTemplate(QStringLiteral("fuzz_core")));
    const QByteArrayView bytes(data, qsizetype(size));
    QString failure =
        corechecks::checkDocument(bytes, scratch.filePath(QStringLiteral("document")));
    if (failure.isEmpty()) {
        QString text(qsizetype(size / 2), Qt::Uninitialized);
        std::memcpy(text.data(), data, text.size() * sizeof(QChar));
        failure = corechecks::checkPaneText(text);
    }
    if (!failure.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(failure));
        std::abort();
    }
    return 0;
}
