#include "recovery/recoveryheader.h"

#include "base/russiancount.h"
#include "base/sizebounds.h"
#include "checks/crc.h"
#include "io/nativename.h"

#include <QList>
#include <QLocale>

namespace recovery {
namespace {

const QByteArray firstLine = QByteArrayLiteral("KKTVIEW RECOVERY 2");
const QByteArray firstLineWithoutChecksum = QByteArrayLiteral("KKTVIEW RECOVERY 1");

QString byteCount(qint64 count) {
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    return russian.toString(count) + u' ' +
           (russiancount::formOf(count) == russiancount::Form::Few ? QStringLiteral("байта")
                                                                   : QStringLiteral("байт"));
}

QString damaged(const QString &why) {
    return QStringLiteral("Копия повреждена: %1.").arg(why);
}

// The damage that the header tells by itself, with the file's size.
QString damageOfHeader(const Header &header, bool withChecksum, qint64 fileSize) {
    if (withChecksum && !header.checksum)
        return damaged(QStringLiteral("в заголовке нет контрольной суммы"));
    if (header.size > sizebounds::recoveryCopyAtMost)
        return damaged(QStringLiteral("в заголовке указан размер %1, больше, чем программа "
                                      "открывает (%2)")
                           .arg(byteCount(header.size), byteCount(sizebounds::recoveryCopyAtMost)));
    if (header.size != fileSize - header.bytesStart)
        return damaged(QStringLiteral("в заголовке указан размер %1, а после заголовка в файле %2")
                           .arg(byteCount(header.size), byteCount(fileSize - header.bytesStart)));
    return {};
}

} // namespace

quint32 checksumUpdate(quint32 reg, QByteArrayView part) {
    return crc::updateCrc32c(reg, part);
}

QByteArray headerOf(qint64 size, quint32 checksum, const QString &origin,
                    const QDateTime &written) {
    return firstLine + "\nwritten " + written.toUTC().toString(Qt::ISODateWithMs).toLatin1() +
           "\nsize " + QByteArray::number(size) + "\ncrc32c " +
           QByteArray::number(checksum, 16).toUpper().rightJustified(8, '0') + "\norigin " +
           nativename::encode(origin).toPercentEncoding("/") + "\n\n";
}

std::optional<Header> parseHeader(QByteArrayView head, qint64 fileSize) {
    const qsizetype end = head.first(std::min(head.size(), longestHeader)).indexOf("\n\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = head.first(end).toByteArray().split('\n');
    const bool withChecksum = lines.constFirst() == firstLine;
    if (!withChecksum && lines.constFirst() != firstLineWithoutChecksum)
        return std::nullopt;
    Header header;
    header.size = -1;
    for (const QByteArray &line : lines.mid(1)) {
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = line.left(space);
        const QByteArray value = space < 0 ? QByteArray() : line.mid(space + 1);
        bool ok = false;
        if (key == "written") {
            header.written = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
        } else if (key == "size") {
            header.size = value.toLongLong(&ok);
            if (!ok)
                header.size = -1;
        } else if (key == "crc32c" && withChecksum) {
            const quint32 checksum = value.toUInt(&ok, 16);
            header.checksum = ok && value.size() == 8 ? std::optional(checksum) : std::nullopt;
        } else if (key == "origin") {
            header.origin = nativename::decode(QByteArray::fromPercentEncoding(value));
        }
    }
    if (!header.written.isValid() || header.size < 0)
        return std::nullopt;
    header.bytesStart = end + 2;
    header.damage = damageOfHeader(header, withChecksum, fileSize);
    return header;
}

QString damageOfBytes(const Header &header, QByteArrayView bytes) {
    if (header.checksum && checksumOf(checksumUpdate(checksumStart, bytes)) != *header.checksum)
        return damaged(QStringLiteral("её байты не сходятся с контрольной суммой, записанной "
                                      "вместе с ними"));
    return {};
}

} // namespace recovery
