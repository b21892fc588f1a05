#pragma once

#include "recovery/recoverystore.h"
#include "recovery/serialworker.h"

#include <QObject>
#include <QPointer>

#include <atomic>
#include <memory>
#include <optional>

class ByteDocument;
class Debouncer;

// Keeps a recovery copy of a document while it differs from its file, so an
// unsaved edit survives the document being dropped or the program being
// killed. The copy is written a few seconds after the last edit (at the
// latest every half minute while the typing goes on), at once when the
// document is dropped, and removed when the document is saved or undone back
// to what was saved. An unmodified or empty document has none.
//
// Writing a copy costs the document's thread only a snapshot of its piece
// table (its pieces, not its bytes: 0.1 ms for 64 MiB after 1000 edits);
// the bytes are written from the snapshot on a thread of the recovery's own,
// one write or removal after the other. A large document read on demand is
// written as its edits to its file (recoveryedits.h): milliseconds whatever
// its size, so that keeping it before a drop is as quick.
class DocumentRecovery : public QObject {
    Q_OBJECT

public:
    static constexpr int defaultDelayMs = 3000;
    static constexpr int longestDelayMs = 30000;

    explicit DocumentRecovery(ByteDocument *document,
                              const QString &directory = recovery::defaultDirectory(),
                              QObject *parent = nullptr);
    // Keeps the document (see keep()) if it is still there, and waits for
    // the writes.
    ~DocumentRecovery() override;

    void setDelays(int delayMs, int longestMs);

    // Brings a modified document's copy up to date at once and waits for
    // it: before a drop, which may not go ahead unasked when the copy fails,
    // and before the program ends unasked. Returns the reason the copy could
    // not be written, or an empty string when the document's edits are safe
    // (or there are none to keep). A failed copy is tried again at the next
    // call or edit; keep() alone does not try it again.
    QString secure();

    // The one thing to call before the document is dropped: the window
    // closes, the program ends, another file or a restored copy replaces
    // it, or the pane is cleared. A modified document's copy is brought up to
    // date and left for the next start; whatever the document does next gets
    // a copy of its own. Returns once the copy is written and left.
    void keep();

    // Makes a copy the document: its bytes as an unsaved document, the file
    // it came from as the document's file. The document before it is kept first. The
    // copy leaves the list and goes on as the document's own, so nothing is
    // lost should the program be killed before the next edit. Nothing, with
    // the reason, when the copy cannot be taken.
    std::optional<recovery::CopyInfo> restore(const QString &id, QString *error = nullptr);

    const recovery::Store &store() const { return copies; }

    // Returns once every write asked for so far is done.
    void waitForWrites();

signals:
    // A copy could not be written: said once, and again only after a write
    // succeeded in between. A failure that secure() returns is its caller's
    // to say.
    void writeFailed(const QString &reason);

private:
    void documentChanged();
    void documentModifiedChanged(bool modified);
    // Posts a write of the document as it is now.
    void writeNow();
    void removeCopy();
    void reportWrite(quint64 write, const QString &error);

    QPointer<ByteDocument> document;
    recovery::Store copies;
    Debouncer *debounce;
    // What the worker has been asked for: a copy exists (or is being
    // written), and the document changed after the last write asked for.
    bool hasCopy = false;
    bool stale = false;
    bool failing = false;
    // The last write that secure() waited for failed: the next secure()
    // tries again, keep() does not (the user chose to drop the edits).
    bool failedAtSecure = false;
    // Writes asked for, and the last one whose outcome secure() took: the
    // queued report of a write up to it says nothing new.
    quint64 writes = 0;
    quint64 taken = 0;

    // Touched by the worker only, and read by the document's thread once
    // it waited for the writes. Declared before it, so they outlive it.
    recovery::HeldCopy held;
    QString lastError;
    // A write is skipped when a removal was asked for after it.
    std::atomic<quint64> removals{0};
    SerialWorker worker;
};
