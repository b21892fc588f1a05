#include "document/bytedocument.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t unreachable = std::size_t(-1);

bool sameBytes(const PieceTable &table, qint64 offset, QByteArrayView bytes) {
    qint64 at = 0;
    bool same = true;
    table.forEachChunk(offset, bytes.size(), [&](QByteArrayView chunk) {
        same = std::memcmp(chunk.data(), bytes.data() + at, std::size_t(chunk.size())) == 0;
        at += chunk.size();
        return same;
    });
    return same;
}

void append(PieceTable::Pieces &to, const PieceTable::Pieces &more) {
    to.insert(to.end(), more.begin(), more.end());
}

} // namespace

ByteDocument::ByteDocument(QObject *parent) : QObject(parent) {}

ByteDocument::~ByteDocument() {
    forgetFile();
}

void ByteDocument::load(ByteText original) {
    reset(PieceTable(std::move(original)), true);
}

void ByteDocument::loadFile(std::shared_ptr<FileSource> original) {
    reset(PieceTable(std::move(original)), true);
    watchFile();
}

void ByteDocument::watchFile() {
    const FileSource *file = table.file();
    if (!file)
        return;
    // Any thread may find the change; the signal goes out on ours. A posted
    // call to a document gone meanwhile is dropped with it.
    file->setOnChange([this, file] {
        QMetaObject::invokeMethod(
            this,
            [this, file] {
                if (table.file() == file)
                    emit originalChangedOnDisk();
            },
            Qt::QueuedConnection);
    });
}

void ByteDocument::loadUnsaved(ByteText original) {
    reset(PieceTable(std::move(original)), false);
}

void ByteDocument::loadUnsaved(PieceTable restored) {
    reset(std::move(restored), false);
    watchFile();
}

bool ByteDocument::originalChanged() const {
    return table.file() && (table.file()->changed() || table.file()->replaced());
}

void ByteDocument::forgetFile() {
    if (const FileSource *file = table.file())
        file->setOnChange(nullptr);
}

void ByteDocument::reset(PieceTable original, bool saved) {
    const bool wasModified = isModified();
    const bool couldUndo = canUndo();
    const bool couldRedo = canRedo();
    const qint64 before = table.size();
    forgetFile();
    table = std::move(original);
    history.clear();
    done = 0;
    cleanAt = saved ? 0 : unreachable;
    typingEnded = true;
    emit changed(0, before, table.size());
    afterStepChange(wasModified, couldUndo, couldRedo);
}

void ByteDocument::clear() {
    replace(0, size(), {}, Step::New);
}

void ByteDocument::replace(qint64 offset, qint64 removed, QByteArrayView bytes, Step step) {
    offset = std::clamp<qint64>(offset, 0, size());
    removed = std::clamp<qint64>(removed, 0, size() - offset);
    if (removed == bytes.size() && sameBytes(table, offset, bytes))
        return;
    const bool wasModified = isModified();
    const bool couldUndo = canUndo();
    const bool couldRedo = canRedo();

    Edit edit;
    edit.offset = offset;
    edit.removed = table.replace(offset, removed, bytes);
    edit.added = table.slice(offset, bytes.size());

    if (done < history.size()) {
        history.resize(done);
        if (cleanAt != unreachable && cleanAt > done)
            cleanAt = unreachable;
    }
    // The step the file was saved at stays as it was saved.
    HistoryStep *top = done > 0 && done != cleanAt ? &history[done - 1] : nullptr;
    const bool joins =
        top && (step == Step::JoinPrevious ||
                (step == Step::Typing && top->typing && !typingEnded && joinsTyping(*top, edit)));
    if (joins) {
        if (!merge(top->edits.back(), edit))
            top->edits.push_back(std::move(edit));
        top->typing = top->typing && step == Step::Typing;
    } else {
        history.push_back({{std::move(edit)}, step == Step::Typing});
        ++done;
    }
    typingEnded = step != Step::Typing;

    emit changed(offset, removed, bytes.size());
    afterStepChange(wasModified, couldUndo, couldRedo);
}

// Typing goes on where it stopped: after the last insertion, before the last
// Backspace, at the last Delete.
bool ByteDocument::joinsTyping(const HistoryStep &step, const Edit &edit) const {
    const Edit &last = step.edits.back();
    const qint64 lastAdded = PieceTable::lengthOf(last.added);
    if (edit.removed.empty())
        return lastAdded > 0 && edit.offset == last.offset + lastAdded;
    if (!edit.added.empty() || lastAdded > 0)
        return false;
    return edit.offset == last.offset ||
           edit.offset + PieceTable::lengthOf(edit.removed) == last.offset;
}

bool ByteDocument::merge(Edit &last, const Edit &next) {
    const qint64 lastAdded = PieceTable::lengthOf(last.added);
    const qint64 nextRemoved = PieceTable::lengthOf(next.removed);
    if (next.removed.empty() && next.offset == last.offset + lastAdded) {
        append(last.added, next.added);
        return true;
    }
    if (next.offset == last.offset && nextRemoved == lastAdded) {
        // It replaces exactly what the last one put there.
        last.added = next.added;
        return true;
    }
    if (last.added.empty() && next.added.empty()) {
        if (next.offset == last.offset) {
            append(last.removed, next.removed);
            return true;
        }
        if (next.offset + nextRemoved == last.offset) {
            PieceTable::Pieces removed = next.removed;
            append(removed, last.removed);
            last.removed = std::move(removed);
            last.offset = next.offset;
            return true;
        }
    }
    return false;
}

ByteDocument::Range ByteDocument::apply(const Edit &edit, bool forwards) {
    const PieceTable::Pieces &out = forwards ? edit.removed : edit.added;
    const PieceTable::Pieces &in = forwards ? edit.added : edit.removed;
    const qint64 removed = PieceTable::lengthOf(out);
    const qint64 added = PieceTable::lengthOf(in);
    table.replace(edit.offset, removed, in);
    emit changed(edit.offset, removed, added);
    return {edit.offset, added};
}

std::optional<ByteDocument::Range> ByteDocument::undo() {
    if (!canUndo())
        return std::nullopt;
    const bool wasModified = isModified();
    const bool couldRedo = canRedo();
    --done;
    typingEnded = true;
    const std::vector<Edit> &edits = history[done].edits;
    Range range;
    for (auto it = edits.rbegin(); it != edits.rend(); ++it)
        range = apply(*it, false);
    afterStepChange(wasModified, true, couldRedo);
    return range;
}

std::optional<ByteDocument::Range> ByteDocument::redo() {
    if (!canRedo())
        return std::nullopt;
    const bool wasModified = isModified();
    const bool couldUndo = canUndo();
    typingEnded = true;
    const std::vector<Edit> &edits = history[done].edits;
    ++done;
    Range range;
    for (const Edit &edit : edits)
        range = apply(edit, true);
    afterStepChange(wasModified, couldUndo, true);
    return range;
}

void ByteDocument::endTyping() {
    typingEnded = true;
}

void ByteDocument::setClean() {
    const bool wasModified = isModified();
    cleanAt = done;
    typingEnded = true;
    afterStepChange(wasModified, canUndo(), canRedo());
}

void ByteDocument::afterStepChange(bool wasModified, bool couldUndo, bool couldRedo) {
    if (isModified() != wasModified)
        emit modifiedChanged(isModified());
    if (canUndo() != couldUndo || canRedo() != couldRedo)
        emit undoRedoChanged();
}
