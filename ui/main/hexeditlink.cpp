#include "hexeditlink.h"

#include "codepages/views.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "hexpane.h"
#include "sharedrows.h"

namespace {

bool isTextColumn(views::View view) {
    return view == views::cp866Column || view == views::cp1251Column;
}

} // namespace

HexEditLink::HexEditLink(ByteDocument *document, ByteSelection *selection, HexPane *hex,
                         TokenView *output, QObject *parent)
    : QObject(parent), document(document), selection(selection), editor(document), hex(hex),
      output(output), rows(new SharedRows(this)) {}

void HexEditLink::start() {
    unlink();
    const std::optional<PaneContent::Range> followed = hex->content().followedRange();
    if (hex->source().view != views::hexDump || !followed)
        return;
    active = true;
    linked = *followed;
    hex->setEditor(&editor);
    hex->shareSelection(selection);

    connections = {
        connect(output, &TokenView::contentReset, this, &HexEditLink::linkOutput),
    };
    rows->join(hex);
    linkOutput();
}

void HexEditLink::stop() {
    if (active) {
        hex->freeze();
        output->freeze();
    }
    unlink();
}

void HexEditLink::unlink() {
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
    connections.clear();
    rows->clear();
    hex->shareSelection(nullptr);
    output->shareSelection(nullptr);
    active = false;
    outputLinked = false;
    hex->setEditor(nullptr);
    output->setTokensPerRow(0);
    output->setColumns(false);
    useDumpFace(false);
}

bool HexEditLink::showsWholeDocument() const {
    return active && linked.offset == 0 && linked.length == PieceTable::toEnd;
}

bool HexEditLink::shows(qint64 offset, qint64 length) const {
    if (!active)
        return false;
    const qint64 shown = hex->source().length;
    return offset >= linked.offset && offset + length <= linked.offset + shown;
}

// The text pane links while it shows a view of the same bytes, one token a
// byte; then it follows them as the hex pane does, in rows of its width. The
// 866 or 1251 text stands there as a hex editor's text column: one character
// a byte, each in an even cell of the dump's face.
void HexEditLink::linkOutput() {
    if (linkingOutput)
        return;
    const TokenView::Source view = output->source();
    outputLinked = active && view.view && view.offset == linked.offset &&
                   view.length == hex->source().length && output->tokenCount() == hex->tokenCount();
    const views::View shown = outputLinked ? views::textColumnOf(view.view) : view.view;
    if (outputLinked) {
        const std::optional<PaneContent::Range> followed = output->content().followedRange();
        if (!followed || followed->offset != linked.offset || followed->length != linked.length ||
            shown != view.view) {
            linkingOutput = true;
            output->follow(shown, document, linked.offset, linked.length);
            linkingOutput = false;
        }
        if (!output->sharedSelection())
            output->shareSelection(selection);
    }
    const bool column = outputLinked && isTextColumn(shown);
    useDumpFace(column);
    output->setColumns(column);
    output->setTokensPerRow(outputLinked ? hex->tokensPerRow() : 0);
    if (outputLinked)
        rows->join(output);
    else
        rows->leave(output);
}

// The dump's face gives the text column one width a character and the
// dump's baselines; the pane's own face comes back when it stops.
void HexEditLink::useDumpFace(bool on) {
    if (on == inDumpFace)
        return;
    inDumpFace = on;
    if (on) {
        outputFace = output->font();
        output->setFont(hex->font());
    } else {
        output->setFont(outputFace);
    }
}
