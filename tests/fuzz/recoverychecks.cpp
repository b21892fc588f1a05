#include "recoverychecks.h"

#include "../testfiles.h"

#include "base/sizebounds.h"
#include "document/piecetable.h"
#include "io/nativename.h"
#include "recovery/recoveryheader.h"
#include "recovery/recoverystore.h"

#include <QDir>
#include <QFile>
#include <QHash>

namespace recoverychecks {
namespace {

const QString damaged = QStringLiteral("Копия повреждена: ");

QString describe(QByteArrayView file) {
    return QStringLiteral(" for %1 bytes starting %2")
        .arg(file.size())
        .arg(QString::fromLatin1(
            file.first(std::min<qsizetype>(file.size(), 48)).toByteArray().toHex(' ')));
}

std::optional<recovery::Header> headerOf(QByteArrayView file) {
    return recovery::parseHeader(file.first(std::min(file.size(), recovery::longestHeader)),
                                 file.size());
}

QString checkListedAndTaken(const recovery::Store &store, QByteArrayView file,
                            const recovery::Header &header) {
    const std::vector<recovery::CopyInfo> copies = store.list();
    if (copies.size() != 1)
        return QStringLiteral("a copy is not listed once");
    const recovery::CopyInfo &listed = copies.front();
    if (listed.damage != header.damage || listed.size != header.size ||
        nativename::encode(listed.origin) != nativename::encode(header.origin))
        return QStringLiteral("a copy is listed other than its header says");
    QString reason;
    const std::optional<recovery::TakenCopy> taken = store.take(listed.id, &reason);
    if (!header.damage.isEmpty())
        return taken || reason != header.damage ? QStringLiteral("a damaged copy is taken")
                                                : QString();
    // A copy of edits comes back as large as its header says, or not at all.
    if (header.original) {
        if (!taken)
            return reason.startsWith(damaged) || reason == listed.originalChanged
                       ? QString()
                       : QStringLiteral("a copy of edits is refused for no reason: ") + reason;
        return taken->edits && taken->edits->size() == header.size
                   ? QString()
                   : QStringLiteral("a copy of edits is taken at another size");
    }
    if (!taken)
        return header.checksum && reason.startsWith(damaged)
                   ? QString()
                   : QStringLiteral("a whole copy without checksum is not taken: ") + reason;
    if (taken->bytes != file.sliced(header.bytesStart))
        return QStringLiteral("a copy is taken with other bytes than its file's");
    if (header.checksum && recovery::checksumOf(recovery::checksumUpdate(
                               recovery::checksumStart, taken->bytes)) != *header.checksum)
        return QStringLiteral("a copy is taken with bytes that disagree with its checksum");
    return {};
}

} // namespace

QString checkHeader(QByteArrayView file) {
    const std::optional<recovery::Header> header = headerOf(file);
    if (!header)
        return {};
    QString failure;
    if (header->bytesStart < 2 ||
        header->bytesStart > std::min(file.size(), recovery::longestHeader))
        failure = QStringLiteral("the bytes start outside the header read");
    else if (!header->damage.isEmpty() && !header->damage.startsWith(damaged))
        failure = QStringLiteral("a damaged copy does not say so: ") + header->damage;
    else if (header->damage.isEmpty() && header->original &&
             file.size() - header->bytesStart > sizebounds::recoveryCopyAtMost)
        failure = QStringLiteral("a whole copy of edits is larger than a copy holds");
    // A copy of edits has the document's size, which its list gives.
    else if (!header->original && header->damage.isEmpty() &&
             header->size != file.size() - header->bytesStart)
        failure = QStringLiteral("a whole copy's size is not what follows its header");
    else if (!header->original && header->damage.isEmpty() &&
             header->size > sizebounds::recoveryCopyAtMost)
        failure = QStringLiteral("a whole copy is larger than a copy holds");
    else if (header->damage.isEmpty() && file.startsWith("KKTVIEW RECOVERY 2\n") &&
             !header->checksum)
        failure = QStringLiteral("a whole copy of format 2 has no checksum");
    if (failure.isEmpty() && header->checksum && !header->original) {
        const QByteArray again =
            recovery::headerOf(header->size, *header->checksum, header->origin, header->written) +
            file.sliced(header->bytesStart).toByteArray();
        const std::optional<recovery::Header> reread = headerOf(again);
        if (!reread || reread->written != header->written || reread->size != header->size ||
            reread->checksum != header->checksum ||
            nativename::encode(reread->origin) != nativename::encode(header->origin) ||
            reread->damage.isEmpty() != header->damage.isEmpty())
            failure = QStringLiteral("a header written back reads otherwise");
    }
    return failure.isEmpty() ? failure : failure + describe(file);
}

QString checkCopyFile(QByteArrayView file, const QString &directory) {
    const QString path = directory + QStringLiteral("/20240101-000000-1-fuzz.kktrecovery");
    if (!writeFile(path, file))
        return QStringLiteral("cannot write ") + path;
    const recovery::Store store(directory);
    const std::optional<recovery::Header> header = headerOf(file);
    QString failure;
    if (!header) {
        if (!store.list().empty() || store.take(QStringLiteral("20240101-000000-1-fuzz")))
            failure = QStringLiteral("a file that is no copy is listed or taken");
    } else {
        failure = checkListedAndTaken(store, file, *header);
    }
    QFile::remove(path);
    return failure.isEmpty() ? failure : failure + describe(file);
}

QString checkWrittenCopy(QByteArrayView bytes, const QString &directory) {
    const QString origin = nativename::decode(bytes.first(std::min<qsizetype>(bytes.size(), 64)));
    recovery::HeldCopy copy;
    QString failure = copy.write(directory, PieceTable(bytes.toByteArray()), origin,
                                 QDateTime::currentDateTimeUtc());
    if (!failure.isEmpty())
        return QStringLiteral("cannot write a copy: ") + failure;
    const QString path = directory + u'/' + copy.id() + QStringLiteral(".kktrecovery");
    copy.release();
    const recovery::Store store(directory);
    const std::vector<recovery::CopyInfo> copies = store.list();
    std::optional<recovery::TakenCopy> taken;
    if (copies.size() == 1)
        taken = store.take(copies.front().id);
    if (!taken || taken->bytes != bytes ||
        nativename::encode(taken->info.origin) != nativename::encode(origin))
        failure = QStringLiteral("a copy written does not come back");
    taken.reset();

    QFile file(path);
    if (failure.isEmpty() && !bytes.isEmpty() && file.open(QIODevice::ReadWrite)) {
        const qint64 bit = qint64(qHash(bytes) % size_t(bytes.size() * 8));
        const qint64 at = file.size() - bytes.size() + bit / 8;
        char byte = 0;
        if (file.seek(at) && file.getChar(&byte) && file.seek(at) &&
            file.putChar(char(byte ^ (1 << (bit % 8))))) {
            file.close();
            QString reason;
            if (store.take(copies.front().id, &reason) || !reason.startsWith(damaged))
                failure = QStringLiteral("a copy with a bit changed is taken");
        } else {
            failure = QStringLiteral("cannot change a bit of ") + path;
        }
    }
    QFile::remove(path);
    return failure.isEmpty() ? failure : failure + describe(bytes);
}

QString checkAll(QByteArrayView file, const QString &directory) {
    QString failure = checkHeader(file);
    if (failure.isEmpty())
        failure = checkCopyFile(file, directory);
    if (failure.isEmpty())
        failure = checkWrittenCopy(file, directory);
    return failure;
}

} // namespace recoverychecks
