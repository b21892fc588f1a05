#include "hexeditlink.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "hexpane.h"
#include "views.h"

#include <QScrollBar>
#include <QTimer>

HexEditLink::HexEditLink(ByteDocument *document, ByteSelection *selection, HexPane *hex,
                         TokenView *output, QObject *parent)
    : QObject(parent), document(document), selection(selection), hex(hex), output(output) {}

void HexEditLink::start() {
    stop();
    const TokenView::Source dump = hex->source();
    if (dump.view != views::hexDump || dump.offset < 0)
        return;
    active = true;
    base = dump.offset;
    dumpLength = dump.length;
    highNibbleByte = -1;
    hex->setEditable(true);
    hex->selectTokens(0, 0);

    connections = {
        connect(selection, &ByteSelection::changed, this, &HexEditLink::showInputSelection),
        connect(document, &ByteDocument::changed, this, &HexEditLink::documentChanged),
        connect(hex, &TokenView::selectionChanged, this, &HexEditLink::showHexSelection),
        connect(hex, &TokenView::cursorPositionChanged, this, &HexEditLink::showHexSelection),
        connect(hex, &HexPane::nibbleTyped, this, &HexEditLink::typeNibble),
        connect(hex, &HexPane::undoRequested, document, [this] { document->undo(); }),
        connect(hex, &HexPane::redoRequested, document, [this] { document->redo(); }),
        connect(output, &TokenView::selectionChanged, this, &HexEditLink::showOutputSelection),
        connect(output, &TokenView::cursorPositionChanged, this, &HexEditLink::showOutputSelection),
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
    for (const QMetaObject::Connection &connection : std::as_const(connections))
        disconnect(connection);
    connections.clear();
    active = false;
    outputLinked = false;
    hex->setEditable(false);
    output->setTokensPerRow(0);
    hex->setMinimumRowHeight(0);
    output->setMinimumRowHeight(0);
}

// The text pane links while it shows one token per dumped byte, for the same
// bytes; then it shows them in rows of the hex pane's width.
void HexEditLink::linkOutput() {
    const TokenView::Source view = output->source();
    const bool wasLinked = outputLinked;
    outputLinked = active && view.view && view.offset == base &&
                   view.length == hex->source().length && output->tokenCount() == hex->tokenCount();
    output->setTokensPerRow(outputLinked ? hex->tokensPerRow() : 0);
    if (outputLinked && !wasLinked) {
        output->selectTokens(0, 0);
        output->verticalScrollBar()->setValue(hex->verticalScrollBar()->value());
    }
    lineUpRows();
}

void HexEditLink::lineUpRows() {
    const int height = outputLinked ? qMax(hex->naturalRowHeight(), output->naturalRowHeight()) : 0;
    hex->setMinimumRowHeight(height);
    output->setMinimumRowHeight(height);
}

void HexEditLink::showInDisplayPanes(qint64 first, qint64 count, bool scroll) {
    const qint64 n = hex->tokenCount();
    const qint64 from = qMax<qint64>(first, 0);
    const qint64 to = qMin(first + count, n);
    syncing = true;
    if (count == 0 && first >= 0 && first <= n) {
        hex->selectTokens(first, first, scroll);
        if (outputLinked)
            output->selectTokens(first, first);
    } else if (from < to) {
        hex->selectTokens(from, to, scroll);
        if (outputLinked)
            output->selectTokens(from, to);
    } else {
        // Nothing of it is dumped: no stale highlight stays.
        hex->setSelection(hex->cursorPlace(), hex->cursorPlace());
        if (outputLinked)
            output->setSelection(output->cursorPlace(), output->cursorPlace());
    }
    syncing = false;
}

void HexEditLink::showInputSelection() {
    if (syncing)
        return;
    showInDisplayPanes(selection->start() - base, selection->length(), true);
}

// A selection that ends inside a group takes the whole group.
void HexEditLink::showHexSelection() {
    if (syncing)
        return;
    const auto [from, to] = hex->selectedTokens();
    syncing = true;
    selection->selectRange(base + from, to - from);
    if (outputLinked)
        output->selectTokens(from, to);
    syncing = false;
}

void HexEditLink::showOutputSelection() {
    if (syncing || !outputLinked)
        return;
    const auto [from, to] = output->selectedTokens();
    syncing = true;
    selection->selectRange(base + from, to - from);
    hex->selectTokens(from, to, true);
    syncing = false;
}

void HexEditLink::typeNibble(qsizetype byte, bool low, int value) {
    const int old = hex->byteAt(byte);
    if (old < 0)
        return;
    const auto now =
        static_cast<unsigned char>(low ? (old & 0xF0) | value : (value << 4) | (old & 0x0F));
    const bool join = low && highNibbleByte == byte;
    highNibbleByte = low ? -1 : byte;
    syncing = true;
    document->replace(base + byte, 1, ByteText(1, char(now)),
                      join ? ByteDocument::Step::JoinPrevious : ByteDocument::Step::New);
    syncing = false;
    showDocumentBytes();
}

// Any other change of the document: the panes catch up once the change is
// complete, and a nibble typed next starts an undo step of its own.
void HexEditLink::documentChanged() {
    if (syncing)
        return;
    highNibbleByte = -1;
    if (refreshQueued)
        return;
    refreshQueued = true;
    QTimer::singleShot(0, this, [this] {
        refreshQueued = false;
        if (active)
            refresh();
    });
}

bool HexEditLink::showDocumentBytes() {
    const PieceTable now(document->read(base, dumpLength));
    const bool linked = outputLinked;
    if (!hex->replaceBytes(now))
        return false;
    if (linked)
        output->replaceBytes(now);
    linkOutput();
    return true;
}

void HexEditLink::refresh() {
    syncing = true;
    const bool changed = showDocumentBytes();
    syncing = false;
    if (changed)
        showInputSelection();
}
