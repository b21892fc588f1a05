#pragma once

#include "base/bytetext.h"
#include "document/bytesnapshot.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <vector>

// Recovery copies: the bytes of a modified document that was dropped
// unsaved (the window closed, another file opened, the pane cleared) or
// whose program was killed, kept in a directory of the user's state for the
// next start to offer.
//
// A copy is one file, NAME.kktrecovery: a header that says when it was
// written, its size, its bytes' checksum and the file the document came
// from, then exactly the document's bytes (recoveryheader.h); a large
// document read on demand from its file is kept as its edits to that file
// instead (recoveryedits.h), restored only while the file is unchanged. It is written
// as a new hidden file beside it, synced and renamed over it, so the name
// always holds a whole copy.
//
// A running program holds its copies: each is locked (flock) from the moment
// its new file is made until the document is dropped. The lock belongs to
// the open file, so a killed program loses it with its process, and its
// copies are offered at the next start; another instance of the program
// never offers, removes nor prunes a copy that is held. A hidden file that
// no one holds is what a killed write left, and the next listing removes it.
//
// Files are private to the user: the directory and the program's state
// directory above it (kktview) 0700, the copies 0600.
namespace recovery {

// What a user needs to recognise a copy.
struct CopyInfo {
    QString id;        // the file's name without its suffix
    QDateTime written; // when its bytes were last written, in UTC
    qint64 size = 0;   // the document's size in bytes
    // The file the document was opened from or last saved to, as
    // nativename::decode gives its bytes; empty for a typed document.
    QString origin;
    // Why it cannot be restored, in Russian ("Копия повреждена: ..."), when
    // its header disagrees with its file; empty otherwise. Its bytes are
    // checked against their checksum only when it is taken.
    QString damage;
    // Why a copy kept as edits to its original file cannot be restored now
    // (the file was changed or removed since), in Russian; empty while the
    // file is the one it was made against. The copy stays: the file may be
    // put back.
    QString originalChanged;
};

// $XDG_STATE_HOME/kktview/recovery, or ~/.local/state/kktview/recovery when
// XDG_STATE_HOME is unset, empty or relative (a relative one is ignored, as
// desktop programs do), as nativename::decode gives it.
QString defaultDirectory();

// Left copies kept: the newest five. Each is as large as its document (a
// few KiB for a cliche, at most sizebounds::recoveryCopyAtMost for a dump)
// or as its edits to a large file (the same bound); so five bound the directory, and they are more
// than a user drops between two starts without restoring them.
constexpr int keptCopies = 5;

// A copy that this program holds, for one document: created by its first
// write, locked while it lives. Used by one thread at a time.
class HeldCopy {
public:
    HeldCopy() = default;
    // Releases the copy (see release()).
    ~HeldCopy();
    HeldCopy(HeldCopy &&other) noexcept;
    HeldCopy &operator=(HeldCopy &&other) noexcept;
    HeldCopy(const HeldCopy &) = delete;
    HeldCopy &operator=(const HeldCopy &) = delete;

    bool isHeld() const { return lock != -1; }
    QString id() const;

    // Writes the bytes as the copy, the first time under a new name in
    // directory (made with mode 0700 where it is missing). The old copy stays
    // whole until the new one replaces it. A document read on demand from
    // its file is written as its edits to that file where it can be
    // (recoveryedits.h), which reads nothing of the file. A copy larger than
    // sizebounds::recoveryCopyAtMost is not written, as it could not be
    // restored. Returns the reason for a failure, or an empty string.
    QString write(const QString &directory, const ByteSnapshot &bytes, const QString &origin,
                  const QDateTime &written);
    // Removes the copy: the document was saved or is as it was saved.
    void remove();
    // Leaves the copy for the next start: the document was dropped.
    void release();

private:
    friend class Store;
    HeldCopy(QString directory, QByteArray name, std::intptr_t lock);

    QString directory;
    QByteArray name; // NAME.kktrecovery
    // The copy's open file, locked (recoveryfiles::Handle); -1 while there
    // is none.
    std::intptr_t lock = -1;
};

// A copy taken for restoring: its bytes (or, for a copy kept as edits, the
// table that reads its original file on demand), and the copy itself, held,
// so that the restored document's recovery can go on with it.
struct TakenCopy {
    CopyInfo info;
    ByteText bytes;
    HeldCopy copy;
    std::optional<PieceTable> edits;
};

// The copies in one directory.
class Store {
public:
    explicit Store(QString directory = defaultDirectory());

    const QString &directory() const { return dir; }

    // The copies no running program holds, newest first, damaged ones among
    // them; a hidden file that a killed write left is removed on the way.
    std::vector<CopyInfo> list() const;
    // Removes the copies that no program holds beyond the newest keep.
    void prune(int keep = keptCopies) const;
    // Removes a copy the user does not want; false when it is held or gone.
    bool remove(const QString &id) const;
    // Reads a copy for restoring and holds it. Nothing, with the reason, when
    // it is held, gone, unreadable or damaged (its header disagrees with its
    // file, or its bytes with their checksum), or kept as edits to a file
    // that is no longer the one it was made against (the copy then stays).
    // Reads no more than the file holds.
    std::optional<TakenCopy> take(const QString &id, QString *error = nullptr) const;

private:
    QString dir;
};

} // namespace recovery
