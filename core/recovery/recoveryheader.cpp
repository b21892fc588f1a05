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
const QByteArray firstLineOfEdits = QByteArrayLiteral("KKTVIEW RECOVERY 3");

// The shortest and longest line of a piece in an edits copy's list, its own
// bytes aside: "b 1\n" and "f OFFSET LENGTH\n" with 19 digits each.
constexpr qint64 shortestPieceLine = 4;
constexpr qint64 longestPieceLine = 42;

QString byteCount(qint64 count) {
    static const QLocale russian(QLocale::Russian, QLocale::Russia);
    return russian.toString(count) + u' ' +
           (russiancount::formOf(count) == russiancount::Form::Few ? QStringLiteral("байта")
                                                                   : QStringLiteral("байт"));
}

// The damage that an edits copy's header tells by itself, with the file's size.
QString damageOfEditsHeader(const Header &header, qint64 fileSize) {
    if (!header.checksum)
        return damaged(QStringLiteral("в заголовке нет контрольной суммы"));
    const Original &original = *header.original;
    if (original.path.isEmpty() || original.identity.size < 0 || header.pieces < 0 ||
        header.inlineBytes < 0)
        return damaged(QStringLiteral("в заголовке нет исходного файла правок"));
    const qint64 body = fileSize - header.bytesStart;
    if (body > sizebounds::recoveryCopyAtMost)
        return damaged(QStringLiteral("после заголовка в файле %1, больше, чем программа "
                                      "хранит в копии (%2)")
                           .arg(byteCount(body), byteCount(sizebounds::recoveryCopyAtMost)));
    if (header.pieces > body || header.inlineBytes > body ||
        header.inlineBytes + header.pieces * shortestPieceLine > body ||
        header.inlineBytes + header.pieces * longestPieceLine < body)
        return damaged(QStringLiteral("в заголовке указано частей: %1, своих байтов: %2, а после "
                                      "заголовка в файле %3")
                           .arg(header.pieces)
                           .arg(byteCount(header.inlineBytes), byteCount(body)));
    if (header.size - header.inlineBytes > original.identity.size)
        return damaged(QStringLiteral("в заголовке указан размер %1, больше исходного файла "
                                      "и своих байтов копии вместе")
                           .arg(byteCount(header.size)));
    return {};
}

// The damage that the header tells by itself, with the file's size.
QString damageOfHeader(const Header &header, bool withChecksum, qint64 fileSize) {
    if (header.original)
        return damageOfEditsHeader(header, fileSize);
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

QString damaged(const QString &why) {
    return QStringLiteral("Копия повреждена: %1.").arg(why);
}

QByteArray editsHeaderOf(qint64 size, const QString &origin, const QDateTime &written,
                         const Original &original, qint64 pieces, qint64 inlineBytes,
                         QByteArrayView body) {
    const auto encoded = [](const QString &path) {
        return nativename::encode(path).toPercentEncoding("/");
    };
    const FileSource::Identity &identity = original.identity;
    const QByteArray before = firstLineOfEdits + "\nwritten " +
                              written.toUTC().toString(Qt::ISODateWithMs).toLatin1() + "\nsize " +
                              QByteArray::number(size);
    const QByteArray after =
        "\norigin " + encoded(origin) + "\noriginal " + encoded(original.path) +
        "\noriginal-size " + QByteArray::number(identity.size) + "\noriginal-modified " +
        QByteArray::number(identity.modified) + "\noriginal-device " +
        QByteArray::number(identity.device) + "\noriginal-inode " +
        QByteArray::number(identity.inode) + "\npieces " + QByteArray::number(pieces) +
        "\ninline " + QByteArray::number(inlineBytes);
    const quint32 checksum =
        checksumOf(checksumUpdate(checksumUpdate(checksumStart, before + after), body));
    return before + "\ncrc32c " +
           QByteArray::number(checksum, 16).toUpper().rightJustified(8, '0') + after + "\n\n";
}

std::optional<Header> parseHeader(QByteArrayView head, qint64 fileSize) {
    const qsizetype end = head.first(std::min(head.size(), longestHeader)).indexOf("\n\n");
    if (end < 0)
        return std::nullopt;
    const QList<QByteArray> lines = head.first(end).toByteArray().split('\n');
    const bool edits = lines.constFirst() == firstLineOfEdits;
    const bool withChecksum = edits || lines.constFirst() == firstLine;
    if (!withChecksum && lines.constFirst() != firstLineWithoutChecksum)
        return std::nullopt;
    Header header;
    header.size = -1;
    if (edits) {
        header.original.emplace();
        header.original->identity.size = -1;
        header.pieces = -1;
        header.inlineBytes = -1;
    }
    for (const QByteArray &line : lines) {
        if (edits && !line.startsWith("crc32c "))
            header.covered += (header.covered.isEmpty() ? "" : "\n") + line;
    }
    // A number of an edits copy's header; -1 where it is none.
    const auto count = [](const QByteArray &value) {
        bool ok = false;
        const qint64 number = value.toLongLong(&ok);
        return ok && number >= 0 ? number : -1;
    };
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
        } else if (edits) {
            FileSource::Identity &identity = header.original->identity;
            if (key == "original")
                header.original->path = nativename::decode(QByteArray::fromPercentEncoding(value));
            else if (key == "original-size")
                identity.size = count(value);
            else if (key == "original-modified")
                identity.modified = value.toLongLong();
            else if (key == "original-device")
                identity.device = value.toULongLong();
            else if (key == "original-inode")
                identity.inode = value.toULongLong();
            else if (key == "pieces")
                header.pieces = count(value);
            else if (key == "inline")
                header.inlineBytes = count(value);
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
