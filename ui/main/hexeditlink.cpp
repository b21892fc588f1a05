#include "hexeditlink.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "cp1251codec.h"
#include "hexpane.h"
#include "views.h"

#include <QScrollBar>
#include <QTimer>

namespace {

constexpr int groupSize = HexPane::groupSize;

// A view's text with its tokens, as a display pane takes it.
QString viewText(views::View view, QByteArrayView bytes, views::TokenEnds *ends = nullptr) {
    if (!ends)
        return cp1251::toDisplayText(view(bytes, nullptr));
    const ByteText text = view(bytes, ends);
    return cp1251::toDisplayText(text, *ends);
}

} // namespace

HexEditLink::HexEditLink(ByteDocument *document, ByteSelection *selection, HexPane *hex,
                         TokenView *output, QObject *parent)
    : QObject(parent), document(document), selection(selection), hex(hex), output(output) {}

void HexEditLink::start() {
    stop();
    const TokenView::Source &dump = hex->source();
    if (dump.view != views::hexDump || dump.offset < 0)
        return;
    active = true;
    base = dump.offset;
    dumpLength = dump.length;
    shown = document->read(base, dumpLength);
    highNibbleByte = -1;
    hex->setEditable(true);
    hex->setSelection(0, 0);

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
    const TokenView::Source &view = output->source();
    const bool wasLinked = outputLinked;
    outputLinked = active && view.view && view.offset == base &&
                   view.length == hex->source().length &&
                   output->tokenCount() == qsizetype(shown.size());
    output->setTokensPerRow(outputLinked ? hex->tokensPerRow() : 0);
    if (outputLinked && !wasLinked) {
        output->setSelection(0, 0);
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
    const qint64 n = shown.size();
    const qint64 from = qMax<qint64>(first, 0);
    const qint64 to = qMin(first + count, n);
    syncing = true;
    if (count == 0 && first >= 0 && first <= n) {
        hex->setSelection(groupSize * first, groupSize * first);
        if (outputLinked)
            output->setSelection(output->tokenStart(first), output->tokenStart(first));
        if (scroll)
            hex->ensureVisible(groupSize * first);
    } else if (from < to) {
        hex->setSelection(groupSize * from, groupSize * to);
        if (outputLinked)
            output->setSelection(output->tokenStart(from), output->tokenEnd(to - 1));
        if (scroll)
            hex->ensureVisible(groupSize * from);
    } else {
        // Nothing of it is dumped: no stale highlight stays.
        hex->setSelection(hex->cursorPosition(), hex->cursorPosition());
        if (outputLinked)
            output->setSelection(output->cursorPosition(), output->cursorPosition());
    }
    syncing = false;
}

void HexEditLink::showInputSelection() {
    if (syncing)
        return;
    showInDisplayPanes(selection->start() - base, selection->length(), true);
}

void HexEditLink::showHexSelection() {
    if (syncing)
        return;
    const qsizetype from = HexPane::groupOf(hex->selectionStart());
    const qsizetype to = (hex->selectionEnd() + groupSize - 1) / groupSize;
    syncing = true;
    selection->selectRange(base + from, hex->hasSelection() ? to - from : 0);
    if (outputLinked) {
        if (hex->hasSelection())
            output->setSelection(output->tokenStart(from), output->tokenEnd(to - 1));
        else
            output->setSelection(output->tokenStart(from), output->tokenStart(from));
    }
    syncing = false;
}

void HexEditLink::showOutputSelection() {
    if (syncing || !outputLinked)
        return;
    const qsizetype from = output->selectionStart() < output->toPlainText().size()
                               ? output->tokenAt(output->selectionStart())
                               : output->tokenCount();
    const qsizetype to =
        output->hasSelection() ? output->tokenAt(output->selectionEnd() - 1) + 1 : from;
    syncing = true;
    selection->selectRange(base + from, to - from);
    hex->setSelection(groupSize * from, groupSize * to);
    hex->ensureVisible(groupSize * from);
    syncing = false;
}

void HexEditLink::typeNibble(qsizetype byte, bool low, int value) {
    if (byte < 0 || byte >= shown.size())
        return;
    const auto old = static_cast<unsigned char>(shown[byte]);
    const auto now =
        static_cast<unsigned char>(low ? (old & 0xF0) | value : (value << 4) | (old & 0x0F));
    const bool join = low && highNibbleByte == byte;
    highNibbleByte = low ? -1 : byte;
    syncing = true;
    document->replace(base + byte, 1, ByteText(1, char(now)),
                      join ? ByteDocument::Step::JoinPrevious : ByteDocument::Step::New);
    syncing = false;
    shown[byte] = char(now);
    renderByte(byte);
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

void HexEditLink::refresh() {
    const ByteText now = document->read(base, dumpLength);
    if (now == shown)
        return;
    qsizetype changed = 0;
    if (now.size() == shown.size()) {
        for (qsizetype i = 0; i < now.size(); ++i)
            changed += now[i] != shown[i];
    }
    // A few bytes are re-rendered in place; more, or another length, anew.
    constexpr qsizetype fewBytes = 256;
    if (now.size() == shown.size() && changed <= fewBytes) {
        const ByteText before = shown;
        shown = now;
        for (qsizetype i = 0; i < now.size(); ++i) {
            if (now[i] != before[i])
                renderByte(i);
        }
    } else {
        shown = now;
        renderAll();
    }
    showInputSelection();
}

void HexEditLink::renderByte(qsizetype index) {
    const QByteArrayView byte = QByteArrayView(shown).sliced(index, 1);
    hex->replaceToken(index, viewText(views::hexDump, byte));
    if (outputLinked)
        output->replaceToken(index, viewText(output->source().view, byte));
}

void HexEditLink::renderAll() {
    views::TokenEnds ends;
    QString text = viewText(views::hexDump, shown, &ends);
    hex->resetTokens(text, ends);
    if (outputLinked) {
        text = viewText(output->source().view, shown, &ends);
        output->resetTokens(text, ends);
    }
    linkOutput();
}
