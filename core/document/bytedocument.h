#pragma once

#include "base/bytetext.h"
#include "document/bytesnapshot.h"
#include "document/fileidentity.h"
#include "document/piecetable.h"

#include <QObject>
#include <optional>
#include <vector>

// The document: the bytes every pane shows and every command reads and
// changes. They change through replace() alone, which tells every listener
// where and how much; undo and redo go back and forth over whole steps; the
// document knows whether it differs from what was last loaded or saved.
class ByteDocument : public QObject {
    Q_OBJECT

public:
    // How an edit joins the undo history.
    enum class Step {
        // A step of its own.
        New,
        // Typing: joins the step before while that was typing that ended
        // where this edit begins (an insertion after the last one, a
        // Backspace before the last deletion, a Delete at the same place).
        Typing,
        // Joins the step before, whatever it was (the second half of a
        // byte typed in hex).
        JoinPrevious,
    };

    struct Range {
        qint64 offset = 0;
        qint64 length = 0;
    };

    explicit ByteDocument(QObject *parent = nullptr);
    ~ByteDocument() override;

    // The bytes; a copy is a snapshot that later edits leave as it is.
    const PieceTable &bytes() const { return table; }
    // The bytes as they are now, for a thread to read.
    ByteSnapshot snapshot() const { return table; }
    qint64 size() const { return table.size(); }
    bool isEmpty() const { return table.isEmpty(); }
    unsigned char at(qint64 offset) const { return table.at(offset); }
    ByteText read(qint64 offset, qint64 length) const { return table.read(offset, length); }

    // Makes original the whole document without copying it: no undo history,
    // not modified.
    void load(ByteText original);
    // The same for a file read on demand.
    void loadFile(std::shared_ptr<FileSource> original);
    // The file the document reads on demand was changed by another program
    // (or truncated, replaced, taken away; FileSource tells which bytes
    // still show). Told once by originalChangedOnDisk().
    bool originalChanged() const;
    // The same for bytes that no file holds (a restored recovery copy): the
    // document is modified until it is saved.
    void loadUnsaved(ByteText original);
    // The same for a table read partly from a file on demand (a recovery
    // copy kept as edits to that file); the file's changes are told as for
    // loadFile().
    void loadUnsaved(PieceTable table);

    // The one edit: the bytes in [offset, offset + removed) (clamped) give
    // way to bytes. An edit that changes nothing is no edit.
    void replace(qint64 offset, qint64 removed, QByteArrayView bytes, Step step = Step::New);
    // Empties the document as one step.
    void clear();

    bool canUndo() const { return done > 0; }
    bool canRedo() const { return done < history.size(); }
    // Takes back the last step, or does again the last one taken back.
    // Returns where the bytes of its last edit now stand.
    std::optional<Range> undo();
    std::optional<Range> redo();
    // The next typing starts a step of its own (the caret moved away).
    void endTyping();

    // Differs from what was last loaded or saved (by the undo history: undo
    // back to that point, and it no longer does).
    bool isModified() const { return done != cleanAt; }
    // Now the document is what the file holds.
    void setClean();

    // The file the document is (empty for a typed one); loading bytes leaves
    // it as it is, for the caller says where they came from.
    const FileIdentity &file() const { return identity; }
    void setFile(FileIdentity file) { identity = std::move(file); }

signals:
    // [offset, offset + removed) became [offset, offset + added).
    void changed(qint64 offset, qint64 removed, qint64 added);
    void modifiedChanged(bool modified);
    // canUndo() or canRedo() may have changed.
    void undoRedoChanged();
    // originalChanged() became true; sent on the document's thread.
    void originalChangedOnDisk();

private:
    struct Edit {
        qint64 offset = 0;
        PieceTable::Pieces removed;
        PieceTable::Pieces added;
    };
    struct HistoryStep {
        std::vector<Edit> edits;
        bool typing = false;
    };

    void reset(PieceTable original, bool saved);
    // Has the file read on demand tell this document of a change.
    void watchFile();
    // Stops the file read on demand from telling this document of a change.
    void forgetFile();
    // Applies one edit of a step, forwards or backwards, and tells of it.
    Range apply(const Edit &edit, bool forwards);
    bool joinsTyping(const HistoryStep &step, const Edit &edit) const;
    static bool merge(Edit &last, const Edit &next);
    void afterStepChange(bool wasModified, bool couldUndo, bool couldRedo);

    PieceTable table;
    std::vector<HistoryStep> history;
    // Steps of history in effect; those after it can be redone.
    std::size_t done = 0;
    // The value of done when the document was what the file holds; -1 when
    // no undo or redo can bring that back.
    std::size_t cleanAt = 0;
    bool typingEnded = true;
    FileIdentity identity;
};
