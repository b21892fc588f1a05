#include "recovery/recoverystore.h"

#include "base/sizebounds.h"
#include "document/bytesnapshot.h"
#include "document/piecetable.h"
#include "io/largebytes.h"
#include "io/nativename.h"
#include "io/recoveryfiles.h"
#include "io/statepaths.h"
#include "recovery/recoveryedits.h"
#include "recovery/recoveryheader.h"

#include <QDir>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <new>
#include <thread>
#include <utility>

namespace recovery {
namespace {

const QByteArray suffix = QByteArrayLiteral(".kktrecovery");
// The program's directory in the user's state directory; the copies are in
// its subdirectory "recovery".
const QByteArray programDirectory = QByteArrayLiteral("kktview");

using recoveryfiles::Handle;
using recoveryfiles::noHandle;
using recoveryfiles::Outcome;

bool isCopyName(const QByteArray &name) {
    return name.endsWith(suffix) && name.size() > suffix.size() && !name.startsWith('.');
}

// The hidden new file a write makes beside a copy: ".NAME.kktrecovery-RANDOM".
bool isNewFileName(const QByteArray &name) {
    return name.startsWith('.') && name.contains(suffix + '-');
}

QByteArray newCopyName() {
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd-HHmmss")).toLatin1() +
           '-' + QByteArray::number(recoveryfiles::processId()) + '-' +
           QByteArray::number(QRandomGenerator::global()->generate(), 36) + suffix;
}

// The copy's header as its file has it now, with its size; nothing for a
// file that is no copy. Only the header's bytes are read.
std::optional<Header> parse(Handle file) {
    const qint64 size = recoveryfiles::sizeOf(file);
    if (size < 0)
        return std::nullopt;
    QByteArray head(std::min<qint64>(longestHeader, size), Qt::Uninitialized);
    const qint64 got = recoveryfiles::readAt(file, 0, head.data(), head.size());
    if (got < 0)
        return std::nullopt;
    head.truncate(got);
    return parseHeader(head, size);
}

CopyInfo infoOf(const QByteArray &name, const Header &header) {
    return {QString::fromLatin1(name.chopped(suffix.size())),
            header.written,
            header.size,
            header.origin,
            header.damage,
            QString()};
}

// What a listing tells of a copy: a copy kept as edits is looked at against
// its original file too (its identity only, nothing of it read).
CopyInfo listedInfoOf(const QByteArray &name, const Header &header) {
    CopyInfo info = infoOf(name, header);
    if (header.original && header.damage.isEmpty())
        info.originalChanged = originalChange(*header.original);
    return info;
}

// A file of the directory, opened without following a link and locked
// while the name still leads to it (recoveryfiles::openLocked).
class LockedEntry {
public:
    LockedEntry(const QString &directory, const QByteArray &name, recoveryfiles::Lock lock) {
        const recoveryfiles::Opened opened = recoveryfiles::openLocked(directory, name, lock);
        outcome = opened.outcome;
        file = opened.file;
    }
    ~LockedEntry() { recoveryfiles::close(file); }
    LockedEntry(const LockedEntry &) = delete;
    LockedEntry &operator=(const LockedEntry &) = delete;

    // The open file, which the caller now closes.
    Handle release() { return std::exchange(file, noHandle); }

    Outcome outcome = Outcome::Gone;
    Handle file = noHandle;
};

// Another instance listing the directory holds a shared lock for a moment,
// which patient callers wait out.
std::unique_ptr<LockedEntry> lockExclusively(const QString &directory, const QByteArray &name,
                                             bool patient = true) {
    for (int attempt = 0;; ++attempt) {
        auto entry = std::make_unique<LockedEntry>(directory, name, recoveryfiles::Lock::Exclusive);
        if (entry->outcome != Outcome::Held || !patient || attempt == 10)
            return entry;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

bool removeUnheld(const QString &directory, const QByteArray &name, bool patient = true) {
    const auto entry = lockExclusively(directory, name, patient);
    return entry->outcome == Outcome::Locked && recoveryfiles::removeEntry(directory, name);
}

struct Entry {
    CopyInfo info;
    bool held = false;
};

// Every copy in the directory, newest first; new files that no write holds
// any more are removed.
std::vector<Entry> scan(const QString &path, bool withHeld) {
    std::vector<Entry> entries;
    for (const QByteArray &name : recoveryfiles::entries(path)) {
        if (isNewFileName(name)) {
            removeUnheld(path, name, false);
            continue;
        }
        if (!isCopyName(name))
            continue;
        LockedEntry entry(path, name, recoveryfiles::Lock::Shared);
        if (entry.outcome == Outcome::Gone)
            continue;
        const bool held = entry.outcome == Outcome::Held;
        if (held && !withHeld)
            continue;
        if (const auto header = parse(entry.file))
            entries.push_back({listedInfoOf(name, *header), held});
    }
    std::sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        return a.info.written != b.info.written ? a.info.written > b.info.written
                                                : a.info.id > b.info.id;
    });
    return entries;
}

bool isPlainId(const QString &id) {
    return !id.isEmpty() && !id.startsWith(u'.') && !id.contains(u'/') && !id.contains(u'\\');
}

} // namespace

QString defaultDirectory() {
#ifdef Q_OS_WIN
    if (const QString portable = statepaths::portableFolder(); !portable.isEmpty())
        return portable + QStringLiteral("/recovery");
    QString local = qEnvironmentVariable("LOCALAPPDATA");
    if (local.isEmpty())
        local = QDir::homePath() + QStringLiteral("/AppData/Local");
    return QDir::fromNativeSeparators(local) + u'/' + QString::fromLatin1(programDirectory) +
           QStringLiteral("/recovery");
#else
    QByteArray state = qgetenv("XDG_STATE_HOME");
    if (!state.startsWith('/')) {
        QByteArray home = qgetenv("HOME");
        if (!home.startsWith('/'))
            home = nativename::encode(QDir::homePath());
        state = home + "/.local/state";
    }
    while (state.size() > 1 && state.endsWith('/'))
        state.chop(1);
    return nativename::decode(state + '/' + programDirectory + "/recovery");
#endif
}

HeldCopy::HeldCopy(QString directory, QByteArray name, std::intptr_t lock)
    : directory(std::move(directory)), name(std::move(name)), lock(lock) {}

HeldCopy::~HeldCopy() {
    release();
}

HeldCopy::HeldCopy(HeldCopy &&other) noexcept
    : directory(std::move(other.directory)), name(std::move(other.name)),
      lock(std::exchange(other.lock, noHandle)) {}

HeldCopy &HeldCopy::operator=(HeldCopy &&other) noexcept {
    if (this != &other) {
        release();
        directory = std::move(other.directory);
        name = std::move(other.name);
        lock = std::exchange(other.lock, noHandle);
    }
    return *this;
}

QString HeldCopy::id() const {
    return isHeld() ? QString::fromLatin1(name.chopped(suffix.size())) : QString();
}

QString HeldCopy::write(const QString &directoryPath, const ByteSnapshot &bytes,
                        const QString &origin, const QDateTime &written) {
    if (!isHeld()) {
        directory = directoryPath;
        name = newCopyName();
    }
    // Made again should someone have removed it meanwhile.
    if (const QString error = recoveryfiles::makePrivateDirectory(directory); !error.isEmpty())
        return error;
    QByteArray header;
    const std::optional<Edits> edits = editsOf(bytes.pieces());
    if (edits) {
        header = editsHeaderOf(bytes.size(), origin, written, edits->original, edits->pieces,
                               edits->inlineBytes, edits->body);
    } else {
        // A longer copy would be refused when it is restored.
        if (bytes.size() > sizebounds::recoveryCopyAtMost)
            return QStringLiteral("документ больше %1 МиБ, а больше программа не восстанавливает")
                .arg(sizebounds::inMebibytes(sizebounds::recoveryCopyAtMost));
        quint32 checksum = checksumStart;
        bytes.forEachChunk(0, bytes.size(),
                           [&](QByteArrayView part) { checksum = checksumUpdate(checksum, part); });
        header = headerOf(bytes.size(), checksumOf(checksum), origin, written);
    }
    const filesave::Parts parts =
        edits ? filesave::Parts{header, edits->body} : filesave::Parts(bytes.pieces(), {header});

    // A listing removes a new file that it finds unlocked: the one place it
    // can find ours so is between its creation and its lock, and then ours
    // is made again.
    for (int attempt = 0; attempt < 4; ++attempt) {
        const QByteArray newName =
            '.' + name + '-' + QByteArray::number(QRandomGenerator::global()->generate(), 36);
        QString error;
        bool exists = false;
        const Handle file = recoveryfiles::createLocked(directory, newName, &error, &exists);
        if (file == noHandle) {
            if (exists)
                continue;
            return error;
        }
        error = recoveryfiles::writeAndFlush(file, parts);
        if (error.isEmpty())
            error = recoveryfiles::renameOver(directory, newName, name, lock);
        if (!error.isEmpty()) {
            recoveryfiles::removeEntry(directory, newName);
            recoveryfiles::close(file);
            return error;
        }
        lock = file;
        return {};
    }
    return QStringLiteral("Не удалось создать новый файл копии.");
}

void HeldCopy::remove() {
    if (!isHeld())
        return;
    recoveryfiles::removeEntry(directory, name);
    release();
}

void HeldCopy::release() {
    recoveryfiles::close(lock);
    lock = noHandle;
    name.clear();
}

Store::Store(QString directory) : dir(std::move(directory)) {}

std::vector<CopyInfo> Store::list() const {
    std::vector<CopyInfo> copies;
    for (Entry &entry : scan(dir, false))
        copies.push_back(std::move(entry.info));
    return copies;
}

void Store::prune(int keep) const {
    int left = 0;
    for (const Entry &entry : scan(dir, true)) {
        if (entry.held || left++ < keep)
            continue;
        removeUnheld(dir, entry.info.id.toLatin1() + suffix);
    }
}

bool Store::remove(const QString &id) const {
    if (!isPlainId(id))
        return false;
    return removeUnheld(dir, id.toLatin1() + suffix);
}

std::optional<TakenCopy> Store::take(const QString &id, QString *error) const {
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return std::nullopt;
    };
    if (!isPlainId(id))
        return fail(QStringLiteral("Копии больше нет."));
    const QByteArray name = id.toLatin1() + suffix;
    const auto entry = lockExclusively(dir, name);
    if (entry->outcome == Outcome::Gone)
        return fail(QStringLiteral("Копии больше нет."));
    if (entry->outcome == Outcome::Held)
        return fail(QStringLiteral("Этот документ открыт в другом окне программы."));
    const auto header = parse(entry->file);
    if (!header)
        return fail(QStringLiteral("Копия повреждена."));
    if (!header->damage.isEmpty())
        return fail(header->damage);

    // What follows the header: the document's bytes, or an edits copy's
    // list; either is what the file holds, and at most what a copy holds.
    const qint64 length =
        header->original
            ? std::clamp<qint64>(recoveryfiles::sizeOf(entry->file) - header->bytesStart, 0,
                                 sizebounds::recoveryCopyAtMost)
            : header->size;
    ByteText bytes;
    try {
        bytes = uninitializedLargeBytes(length);
    } catch (const std::bad_alloc &) {
        return fail(QStringLiteral("Не хватает памяти."));
    }
    for (qint64 done = 0; done < length;) {
        const qint64 got = recoveryfiles::readAt(entry->file, header->bytesStart + done,
                                                 bytes.data() + done, length - done);
        if (got < 0)
            return fail(QStringLiteral("Копию не удалось прочитать."));
        if (got == 0)
            return fail(QStringLiteral("Копия повреждена."));
        done += got;
    }
    std::optional<PieceTable> edits;
    if (header->original) {
        QString reason;
        edits = restoreEdits(*header, bytes, &reason);
        if (!edits)
            return fail(reason);
        bytes.clear();
    } else if (const QString damage = damageOfBytes(*header, bytes); !damage.isEmpty()) {
        return fail(damage);
    }
    return TakenCopy{infoOf(name, *header), std::move(bytes), HeldCopy(dir, name, entry->release()),
                     std::move(edits)};
}

} // namespace recovery
