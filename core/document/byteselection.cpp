#include "document/byteselection.h"

#include "document/bytedocument.h"

#include <algorithm>

ByteSelection::ByteSelection(ByteDocument *document) : QObject(document), document(document) {
    connect(document, &ByteDocument::changed, this, &ByteSelection::documentChanged);
}

void ByteSelection::select(qint64 anchor, qint64 caret) {
    anchor = std::clamp<qint64>(anchor, 0, document->size());
    caret = std::clamp<qint64>(caret, 0, document->size());
    if (anchor == anchorAt && caret == caretAt)
        return;
    anchorAt = anchor;
    caretAt = caret;
    emit changed();
}

// Before the edit nothing moves; after it, everything moves by the change in
// length; inside the replaced bytes an offset keeps its place as far as the
// new bytes reach, so a replacement of the same length leaves it alone.
void ByteSelection::documentChanged(qint64 offset, qint64 removed, qint64 added) {
    const auto moved = [&](qint64 at) {
        if (at <= offset)
            return at;
        if (at >= offset + removed)
            return at + added - removed;
        return offset + std::min(at - offset, added);
    };
    select(moved(anchorAt), moved(caretAt));
}
