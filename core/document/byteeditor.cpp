#include "document/byteeditor.h"

#include "document/byteedit.h"
#include "document/crlf.h"

#include <algorithm>

using Step = ByteDocument::Step;

ByteEditor::ByteEditor(ByteDocument *document, QObject *parent) : QObject(parent), doc(document) {
    connect(doc, &ByteDocument::changed, this, [this] {
        if (!editing)
            highNibbleAt = -1;
    });
}

void ByteEditor::apply(qint64 start, qint64 end, QByteArrayView bytes, Step step) {
    editing = true;
    doc->replace(start, end - start, bytes, step);
    editing = false;
}

qint64 ByteEditor::replace(qint64 start, qint64 end, QByteArrayView bytes) {
    highNibbleAt = -1;
    apply(start, end, bytes, Step::New);
    return std::min(start + bytes.size(), doc->size());
}

qint64 ByteEditor::type(qint64 start, qint64 end, QByteArrayView bytes, bool complete) {
    highNibbleAt = -1;
    apply(start, end, bytes, start == end && complete ? Step::Typing : Step::New);
    return std::min(start + bytes.size(), doc->size());
}

qint64 ByteEditor::backspace(qint64 offset) {
    highNibbleAt = -1;
    if (offset <= 0)
        return 0;
    const qint64 from = crlf::previousCharacter(doc->bytes(), offset);
    apply(from, offset, {}, Step::Typing);
    return from;
}

qint64 ByteEditor::deleteForward(qint64 offset) {
    highNibbleAt = -1;
    if (offset < doc->size())
        apply(offset, crlf::nextCharacter(doc->bytes(), offset), {}, Step::Typing);
    return std::min(offset, doc->size());
}

bool ByteEditor::typeNibble(qint64 offset, bool low, int value) {
    if (offset < 0 || offset >= doc->size() || value < 0 || value > 15)
        return false;
    const int old = doc->at(offset);
    const auto now =
        static_cast<unsigned char>(low ? (old & 0xF0) | value : (value << 4) | (old & 0x0F));
    const bool joins = low && highNibbleAt == offset;
    apply(offset, offset + 1, QByteArrayView(reinterpret_cast<const char *>(&now), 1),
          joins ? Step::JoinPrevious : Step::New);
    highNibbleAt = !low && now != old ? offset : -1;
    return true;
}

ByteEditor::Range ByteEditor::moveBytes(qint64 start, qint64 end, qint64 offset) {
    highNibbleAt = -1;
    const ByteText bytes = doc->read(start, end - start);
    const qint64 target = offset > end ? offset - bytes.size() : offset;
    apply(start, end, {}, Step::New);
    apply(target, target, bytes, Step::JoinPrevious);
    return {target, bytes.size()};
}

std::optional<ByteEditor::Range> ByteEditor::rewrite(qint64 start, qint64 length,
                                                     QByteArrayView result) {
    highNibbleAt = -1;
    const ByteText before = doc->read(start, length);
    const std::optional<byteedit::Edit> edit = byteedit::difference(before, result);
    if (!edit)
        return std::nullopt;
    apply(start + edit->offset, start + edit->offset + edit->length, edit->bytes, Step::New);
    return Range{start + edit->offset, edit->bytes.size()};
}

std::optional<qint64> ByteEditor::undo() {
    const std::optional<Range> range = doc->undo();
    if (!range)
        return std::nullopt;
    return range->offset + range->length;
}

std::optional<qint64> ByteEditor::redo() {
    const std::optional<Range> range = doc->redo();
    if (!range)
        return std::nullopt;
    return range->offset + range->length;
}

void ByteEditor::endRun() {
    highNibbleAt = -1;
    doc->endTyping();
}
