#include "hexeditlink.h"

#include "codepages/views.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "hexpane.h"

#include <QScrollBar>

namespace {

bool isTextColumn(views::View view) {
    return view == views::cp866Column || view == views::cp1251Column;
}

} // namespace

HexEditLink::HexEditLink(ByteDocument *document, ByteSelection *selection, HexPane *hex,
                         TokenView *output, QObject *parent)
    : QObject(parent), document(document), selection(selection), hex(hex), output(output) {}

void HexEditLink::start() {
    unlink();
    const std::optional<PaneContent::Range> followed = hex->content().followedRange();
    if (hex->source().view != views::hexDump || !followed)
        return;
    active = true;
    linked = *followed;
    highNibbleByte = -1;
    hex->setEditable(true);
    hex->shareSelection(selection);

    connections = {
        connect(document, &ByteDocument::changed, this,
                [this] {
                    // Any other edit: a digit typed next starts a step of its own.
                    if (!typing)
                        highNibbleByte = -1;
                }),
        connect(hex, &HexPane::nibbleTyped, this, &HexEditLink::typeNibble),
        connect(hex, &HexPane::undoRequested, document, [this] { document->undo(); }),
        connect(hex, &HexPane::redoRequested, document, [this] { document->redo(); }),
        connect(output, &TokenView::contentReset, this, &HexEditLink::linkOutput),
        connect(hex, &TokenView::layoutChanged, this, &HexEditLink::lineUpRows),
        connect(output, &TokenView::layoutChanged, this, &HexEditLink::lineUpRows),
        // The two display panes keep the same rows in sight.
        connect(hex->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int row) {
                    if (outputLinked)
                        output->verticalScrollBar()->setValue(row);
                }),
        connect(output->verticalScrollBar(), &QScrollBar::valueChanged, this,
                [this](int row) {
                    if (outputLinked)
                        hex->verticalScrollBar()->setValue(row);
                }),
    };
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
    hex->shareSelection(nullptr);
    output->shareSelection(nullptr);
    active = false;
    outputLinked = false;
    hex->setEditable(false);
    output->setTokensPerRow(0);
    output->setColumns(false);
    useDumpFace(false);
    hex->setMinimumRowHeight(0);
    output->setMinimumRowHeight(0);
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
    const bool wasLinked = outputLinked;
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
    if (outputLinked && !wasLinked)
        output->verticalScrollBar()->setValue(hex->verticalScrollBar()->value());
    lineUpRows();
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

void HexEditLink::lineUpRows() {
    const int height = outputLinked ? qMax(hex->naturalRowHeight(), output->naturalRowHeight()) : 0;
    hex->setMinimumRowHeight(height);
    output->setMinimumRowHeight(height);
}

void HexEditLink::typeNibble(qsizetype byte, bool low, int value) {
    const int old = hex->byteAt(byte);
    if (old < 0)
        return;
    const auto now =
        static_cast<unsigned char>(low ? (old & 0xF0) | value : (value << 4) | (old & 0x0F));
    const bool join = low && highNibbleByte == byte;
    // A high nibble the byte already has makes no edit, so no step: the low
    // one then starts the byte's step rather than joining the one before.
    highNibbleByte = !low && now != old ? byte : -1;
    typing = true;
    document->replace(linked.offset + byte, 1, ByteText(1, char(now)),
                      join ? ByteDocument::Step::JoinPrevious : ByteDocument::Step::New);
    typing = false;
}
