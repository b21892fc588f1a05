#include "inputpaneaccessible.h"

#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "document/crlf.h"
#include "inputpane.h"
#include "inputpaneediting.h"
#include "textunits.h"

#include <QScrollBar>

namespace {

QAccessibleInterface *makeInterface(const QString &className, QObject *object) {
    if (className == QLatin1String("InputPane") && object && object->isWidgetType())
        return new InputPaneAccessible(static_cast<InputPane *>(object));
    return nullptr;
}

ByteText bytesFrom(const QString &text) {
    return cp1251::fromPaneText(cp1251::toPaneInput(text).text).value_or(ByteText());
}

} // namespace

InputPaneAccessible::InputPaneAccessible(InputPane *pane) : PaneTextAccessible(pane) {}

void InputPaneAccessible::install() {
    static const bool installed = [] {
        QAccessible::installFactory(makeInterface);
        return true;
    }();
    (void)installed;
}

InputPane *InputPaneAccessible::pane() const {
    return static_cast<InputPane *>(widget());
}

QAccessible::State InputPaneAccessible::state() const {
    QAccessible::State state = PaneTextAccessible::state();
    state.editable = true;
    return state;
}

// The selection and the caret -------------------------------------------------

PaneTextAccessible::Span InputPaneAccessible::selectedSpan() const {
    const InputPane::Range shown = pane()->shownSelection();
    return {shown.start, shown.end};
}

qint64 InputPaneAccessible::caret() const {
    return pane()->caret();
}

void InputPaneAccessible::select(qint64 start, qint64 end) {
    pane()->selection()->select(start, end);
}

// The text ----------------------------------------------------------------------

int InputPaneAccessible::characterCount() const {
    return int(pane()->document()->size());
}

QString InputPaneAccessible::text(int startOffset, int endOffset) const {
    return pane()->accessibleText(startOffset, endOffset);
}

QString InputPane::accessibleText(qint64 start, qint64 end) const {
    start = std::clamp<qint64>(start, 0, doc->size());
    end = std::clamp<qint64>(end, start, doc->size());
    const PieceTable &bytes = doc->bytes();
    QString text(end - start, Qt::Uninitialized);
    QChar *out = text.data();
    qint64 at = start;
    bytes.forEachChunk(start, end - start, [&](QByteArrayView chunk) {
        for (const char c : chunk) {
            const auto byte = static_cast<unsigned char>(c);
            const bool inPair = crlf::pairAt(bytes, at) || crlf::splits(bytes, at);
            *out++ = inPair ? QChar(byte) : cp1251::toChar(byte);
            ++at;
        }
    });
    return text;
}

InputPaneAccessible::Unit InputPaneAccessible::unitAt(qint64 offset,
                                                      QAccessible::TextBoundaryType type) const {
    const InputPane *p = pane();
    const PieceTable &bytes = p->document()->bytes();
    const qint64 size = bytes.size();
    offset = std::clamp<qint64>(offset, 0, size);
    switch (type) {
    case QAccessible::CharBoundary:
        return {offset, std::min(offset + 1, size)};
    case QAccessible::WordBoundary: {
        const textunits::Range word = textunits::wordAt(bytes, offset);
        return {word.start, word.end};
    }
    case QAccessible::LineBoundary: {
        const RowLayout::Row row = p->layoutRows.row(p->layoutRows.rowOf(offset));
        return {row.start, row.end};
    }
    case QAccessible::SentenceBoundary:
    case QAccessible::ParagraphBoundary: {
        const textunits::Range line = textunits::lineAt(bytes, offset);
        return {line.start, line.end};
    }
    case QAccessible::NoBoundary:
        break;
    }
    return {0, size};
}

QString InputPaneAccessible::unitText(Unit unit, int *startOffset, int *endOffset) const {
    *startOffset = int(unit.start);
    *endOffset = int(unit.end);
    return text(*startOffset, *endOffset);
}

QString InputPaneAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType type,
                                          int *startOffset, int *endOffset) const {
    if (offset >= characterCount() && type != QAccessible::NoBoundary &&
        type != QAccessible::LineBoundary) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    return unitText(unitAt(offset, type), startOffset, endOffset);
}

QString InputPaneAccessible::textBeforeOffset(int offset, QAccessible::TextBoundaryType type,
                                              int *startOffset, int *endOffset) const {
    const Unit here = unitAt(offset, type);
    if (here.start == 0 || type == QAccessible::NoBoundary) {
        *startOffset = *endOffset = 0;
        return {};
    }
    return unitText(unitAt(here.start - 1, type), startOffset, endOffset);
}

QString InputPaneAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType type,
                                             int *startOffset, int *endOffset) const {
    const Unit here = unitAt(offset, type);
    if (here.end >= characterCount() || type == QAccessible::NoBoundary) {
        *startOffset = *endOffset = characterCount();
        return {};
    }
    return unitText(unitAt(here.end, type), startOffset, endOffset);
}

QRect InputPaneAccessible::characterBox(qint64 offset) const {
    const QRectF rect = pane()->byteRect(offset);
    return QRect(rect.topLeft().toPoint(), rect.size().toSize());
}

qint64 InputPaneAccessible::characterAt(const QPoint &viewportPoint) const {
    return pane()->byteAt(viewportPoint);
}

void InputPaneAccessible::scrollToSubstring(int startIndex, int) {
    InputPane *p = pane();
    const qint64 row = p->layoutRows.rowOf(startIndex);
    const qint64 first = p->firstVisibleRow();
    if (row < first || row >= first + p->visibleRows())
        p->scrollToRow(row - p->visibleRows() / 2);
}

// The run of one style around offset.
QString InputPaneAccessible::attributes(int offset, int *startOffset, int *endOffset) const {
    const InputPane *p = pane();
    const qint64 size = p->document()->size();
    const qint64 at = std::clamp<qint64>(offset, 0, std::max<qint64>(0, size - 1));
    *startOffset = 0;
    *endOffset = int(size);
    int style = p->insertionStyle();
    if (!p->runs.isEmpty()) {
        const auto &list = p->runs.list();
        const auto next = std::upper_bound(
            list.begin(), list.end(), at,
            [](qint64 value, const StyleRuns::Run &run) { return value < run.start; });
        style = (next - 1)->style;
        *startOffset = int((next - 1)->start);
        *endOffset = int(next == list.end() ? size : next->start);
    }
    const GlyphStyle &paneStyle = p->styles.at(style);
    const QFont &font = paneStyle.font();
    const QColor color =
        paneStyle.color().isValid() ? paneStyle.color() : p->palette().color(QPalette::Text);
    return runAttributes(font, color);
}

// Editing ------------------------------------------------------------------------

void InputPaneAccessible::deleteText(int startOffset, int endOffset) {
    replaceText(startOffset, endOffset, QString());
}

void InputPaneAccessible::insertText(int offset, const QString &text) {
    replaceText(offset, offset, text);
}

void InputPaneAccessible::replaceText(int startOffset, int endOffset, const QString &text) {
    if (startOffset > endOffset)
        std::swap(startOffset, endOffset);
    pane()->selection()->moveCaret(
        pane()->editing->byteEditor().replace(startOffset, endOffset, bytesFrom(text)));
}

// Events -----------------------------------------------------------------------

void InputPaneAccessible::selectionMoved(InputPane *pane) {
    if (!QAccessible::isActive())
        return;
    const InputPane::Range shown = pane->shownSelection();
    QAccessibleTextCursorEvent cursor(pane, int(pane->caret()));
    QAccessible::updateAccessibility(&cursor);
    QAccessibleTextSelectionEvent selection(pane, int(shown.start), int(shown.end));
    selection.setCursorPosition(int(pane->caret()));
    QAccessible::updateAccessibility(&selection);
}

void InputPaneAccessible::textChanged(InputPane *pane, qint64 offset, qint64 removed,
                                      qint64 added) {
    if (QAccessible::isActive())
        paneaccessible::textChanged(pane, offset, removed,
                                    pane->accessibleText(offset, offset + added));
}

void InputPane::tellAccessibility(qint64 offset, qint64 removed, qint64 added) {
    InputPaneAccessible::textChanged(this, offset, removed, added);
}
