#include "recovery/documentrecovery.h"

#include "document/bytedocument.h"
#include "document/debouncer.h"

DocumentRecovery::DocumentRecovery(ByteDocument *followed, const QString &directory,
                                   QObject *parent)
    : QObject(parent), document(followed), copies(directory),
      debounce(new Debouncer(defaultDelayMs, longestDelayMs, this)) {
    connect(followed, &ByteDocument::changed, this, &DocumentRecovery::documentChanged);
    connect(followed, &ByteDocument::modifiedChanged, this,
            &DocumentRecovery::documentModifiedChanged);
    connect(debounce, &Debouncer::fired, this, [this] {
        if (document && document->isModified() && stale)
            writeNow();
    });
}

DocumentRecovery::~DocumentRecovery() {
    if (document)
        keep();
    worker.waitUntilIdle();
}

void DocumentRecovery::setDelays(int delayMs, int longestMs) {
    debounce->setDelays(delayMs, longestMs);
}

void DocumentRecovery::documentChanged() {
    if (!document->isModified()) {
        documentModifiedChanged(false);
        return;
    }
    stale = true;
    debounce->poke();
}

void DocumentRecovery::documentModifiedChanged(bool modified) {
    if (modified)
        return;
    debounce->cancel();
    stale = false;
    if (hasCopy)
        removeCopy();
}

void DocumentRecovery::writeNow() {
    debounce->cancel();
    stale = false;
    // An empty document has nothing to restore.
    if (document->isEmpty()) {
        if (hasCopy)
            removeCopy();
        return;
    }
    hasCopy = true;
    // The pieces are copied here; the bytes they point to are never written
    // again nor freed while the snapshot holds them.
    worker.post([this, snapshot = document->snapshot(), origin = document->file().path,
                 dir = copies.directory(), written = QDateTime::currentDateTimeUtc(),
                 removalsBefore = removals.load(), write = ++writes] {
        if (removals.load() != removalsBefore) {
            lastError.clear();
            return;
        }
        const QString error = held.write(dir, snapshot, origin, written);
        lastError = error;
        QMetaObject::invokeMethod(
            this, [this, write, error] { reportWrite(write, error); }, Qt::QueuedConnection);
    });
}

void DocumentRecovery::removeCopy() {
    hasCopy = false;
    ++removals;
    worker.post([this] { held.remove(); });
}

QString DocumentRecovery::secure() {
    if (!document || !document->isModified())
        return {};
    if (stale || failedAtSecure)
        writeNow();
    worker.waitUntilIdle();
    // The caller says what failed; the reports on their way say nothing more.
    taken = writes;
    // An empty document has no copy and nothing to lose.
    failedAtSecure = hasCopy && !lastError.isEmpty();
    failing = failedAtSecure;
    return failedAtSecure ? lastError : QString();
}

void DocumentRecovery::keep() {
    if (document && document->isModified() && stale)
        writeNow();
    debounce->cancel();
    stale = false;
    failedAtSecure = false;
    if (hasCopy) {
        hasCopy = false;
        worker.post([this] {
            held.release();
            copies.prune();
        });
    }
    // A program killed right after the drop still leaves the copy.
    worker.waitUntilIdle();
}

std::optional<recovery::CopyInfo> DocumentRecovery::restore(const QString &id, QString *error) {
    if (!document)
        return std::nullopt;
    std::optional<recovery::TakenCopy> taken = copies.take(id, error);
    if (!taken)
        return std::nullopt;
    keep();
    if (taken->edits)
        document->loadUnsaved(std::move(*taken->edits));
    else
        document->loadUnsaved(std::move(taken->bytes));
    // The copy holds these bytes already.
    debounce->cancel();
    stale = false;
    hasCopy = true;
    document->setFile(FileIdentity::of(taken->info.origin));
    auto adopted = std::make_shared<recovery::HeldCopy>(std::move(taken->copy));
    worker.post([this, adopted] { held = std::move(*adopted); });
    return taken->info;
}

void DocumentRecovery::waitForWrites() {
    worker.waitUntilIdle();
}

void DocumentRecovery::reportWrite(quint64 write, const QString &error) {
    if (write <= taken)
        return;
    if (error.isEmpty()) {
        failing = false;
        return;
    }
    // Tried again at the next edit, or when the document is dropped.
    if (document && document->isModified())
        stale = true;
    if (!failing) {
        failing = true;
        emit writeFailed(error);
    }
}
