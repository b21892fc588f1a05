#include "sumprinter.h"

#include "checks/checksums.h"
#include "io/document.h"
#include "printedname.h"

#include <QFile>

namespace sumprinter {
namespace {

constexpr qint64 pieceSize = 256 * 1024;

// The checksums of everything file holds, or the reason they are not.
std::optional<std::vector<checksums::Result>> checksumsOf(QFile &file, QString &error) {
    checksums::Accumulator accumulator;
    QByteArray piece(pieceSize, Qt::Uninitialized);
    for (;;) {
        const qint64 length = file.read(piece.data(), pieceSize);
        if (length < 0) {
            error = file.errorString();
            return std::nullopt;
        }
        if (length == 0)
            return accumulator.results();
        accumulator.add(QByteArrayView(piece.constData(), length));
    }
}

} // namespace

int print(const QStringList &files, QIODevice &out,
          const std::function<void(const QString &)> &complain) {
    if (files.isEmpty()) {
        complain(QStringLiteral("не указан файл для --sum."));
        return 2;
    }
    int status = 0;
    for (const QString &path : files) {
        QFile file;
        QString error;
        std::optional<std::vector<checksums::Result>> results;
        if (const auto refused = document::openForReading(path, file))
            error = *refused;
        else
            results = checksumsOf(file, error);
        if (!results) {
            complain(shownName(path) + QStringLiteral(": ") + error);
            status = 1;
            continue;
        }
        const PrintedName name = printedName(path);
        QByteArray lines;
        for (const checksums::Result &result : *results)
            lines += name.linePrefix + result.tag.toUtf8() + " (" + name.name +
                     ") = " + result.value.toUtf8() + '\n';
        if (out.write(lines) != lines.size()) {
            complain(QStringLiteral("не удалось записать вывод: %1").arg(out.errorString()));
            return 1;
        }
    }
    return status;
}

} // namespace sumprinter
