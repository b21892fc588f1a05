#pragma once

#include "document/bytedocument.h"

#include <QObject>
#include <optional>

// Every change that typing, the clipboard, a drag or a command makes to the
// document's bytes, each with the undo group it belongs to: a run of typing
// (characters typed one after the other, Backspace or Delete held down) is
// one step; the two hex digits of a byte are one step; anything else (a
// paste, a line break, a deleted selection, a moved block, a recoding) is a
// step of its own. Each edit returns where the caret goes after it. A CR LF
// pair is one character here as everywhere (crlf.h): Backspace and Delete
// take it whole.
class ByteEditor : public QObject {
    Q_OBJECT

public:
    using Range = ByteDocument::Range;

    explicit ByteEditor(ByteDocument *document, QObject *parent = nullptr);

    ByteDocument *document() const { return doc; }

    // A command: bytes replace [start, end) as a step of their own. Returns
    // the end of the bytes put in.
    qint64 replace(qint64 start, qint64 end, QByteArrayView bytes);
    qint64 remove(qint64 start, qint64 end) { return replace(start, end, {}); }

    // Typed characters: bytes that replace nothing join the run of typing
    // ending where they start; over a selection, or when some characters
    // typed had no byte (complete false), they start a step of their own.
    qint64 type(qint64 start, qint64 end, QByteArrayView bytes, bool complete = true);
    // Backspace and Delete without a selection: the character before or at
    // offset goes, as part of the run of typing.
    qint64 backspace(qint64 offset);
    qint64 deleteForward(qint64 offset);

    // A hex digit (0..15) typed over the high or the low half of the byte at
    // offset. The low digit joins the step of the high one typed just before
    // over the same byte; a high digit the byte already had makes no step,
    // so the low one starts it. False when offset is past the end.
    bool typeNibble(qint64 offset, bool low, int value);

    // Moves [start, end) to offset (counted before the move) as one step;
    // returns where the bytes stand then.
    Range moveBytes(qint64 start, qint64 end, qint64 offset);

    // A command that rewrites [start, start + length) as result (a recoding,
    // a fix): only the bytes that differ are replaced, a CR LF pair never
    // cut. Returns the range replaced in the document, if any.
    std::optional<Range> rewrite(qint64 start, qint64 length, QByteArrayView result);

    // Undo and redo of whole steps; the caret goes to the end of the bytes
    // of the last edit of the step.
    std::optional<qint64> undo();
    std::optional<qint64> redo();

    // The caret moved away: the next typing or digit starts a step.
    void endRun();

private:
    void apply(qint64 start, qint64 end, QByteArrayView bytes, ByteDocument::Step step);

    ByteDocument *doc;
    // The byte whose high digit was typed last and changed it: its low digit
    // joins that step. Any other change of the document ends the pair.
    qint64 highNibbleAt = -1;
    bool editing = false;
};
