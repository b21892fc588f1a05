#include "paneaccessible.h"

#include "base/hexdigit.h"
#include "hexpane.h"
#include "tokenview.h"

#include <QScrollBar>

// Every pane -------------------------------------------------------------

PaneTextAccessible::PaneTextAccessible(QAbstractScrollArea *pane)
    : QAccessibleWidget(pane, QAccessible::EditableText) {}

QAbstractScrollArea *PaneTextAccessible::area() const {
    return static_cast<QAbstractScrollArea *>(widget());
}

void *PaneTextAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        if (QAccessibleEditableTextInterface *editable = editableText())
            return editable;
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State PaneTextAccessible::state() const {
    QAccessible::State state = QAccessibleWidget::state();
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString PaneTextAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value)
        return text(0, characterCount());
    return QAccessibleWidget::text(kind);
}

void PaneTextAccessible::selection(int selectionIndex, int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = 0;
    const Span selected = selectedSpan();
    if (selectionIndex == 0 && selected.start < selected.end) {
        *startOffset = int(selected.start);
        *endOffset = int(selected.end);
    }
}

int PaneTextAccessible::selectionCount() const {
    const Span selected = selectedSpan();
    return selected.start < selected.end ? 1 : 0;
}

void PaneTextAccessible::addSelection(int startOffset, int endOffset) {
    setSelection(0, startOffset, endOffset);
}

void PaneTextAccessible::removeSelection(int selectionIndex) {
    if (selectionIndex == 0)
        select(caret(), caret());
}

void PaneTextAccessible::setSelection(int selectionIndex, int startOffset, int endOffset) {
    if (selectionIndex == 0)
        select(startOffset, endOffset);
}

int PaneTextAccessible::cursorPosition() const {
    return int(caret());
}

void PaneTextAccessible::setCursorPosition(int position) {
    select(position, position);
}

QRect PaneTextAccessible::characterRect(int offset) const {
    const QRect box = characterBox(offset);
    return QRect(area()->viewport()->mapToGlobal(box.topLeft()), box.size());
}

int PaneTextAccessible::offsetAtPoint(const QPoint &point) const {
    const QPoint inViewport = area()->viewport()->mapFromGlobal(point);
    if (!area()->viewport()->rect().contains(inViewport))
        return -1;
    return int(characterAt(inViewport));
}

// In the form assistive technologies read (IAccessible2).
QString PaneTextAccessible::runAttributes(const QFont &font, const QColor &color) {
    QString attributes = QStringLiteral("font-family:\"%1\";font-size:%2pt;")
                             .arg(font.family())
                             .arg(font.pointSizeF());
    if (font.bold())
        attributes += QStringLiteral("font-weight:bold;");
    if (font.italic())
        attributes += QStringLiteral("font-style:italic;");
    if (font.underline())
        attributes += QStringLiteral("text-underline-style:solid;text-underline-type:single;");
    if (font.strikeOut())
        attributes += QStringLiteral("text-line-through-type:single;");
    attributes += QStringLiteral("color:rgb(%1,%2,%3);")
                      .arg(color.red())
                      .arg(color.green())
                      .arg(color.blue());
    return attributes;
}

// Display panes ----------------------------------------------------------

TokenViewAccessible::TokenViewAccessible(TokenView *view) : PaneTextAccessible(view) {}

TokenView *TokenViewAccessible::view() const {
    return static_cast<TokenView *>(widget());
}

QAccessible::State TokenViewAccessible::state() const {
    QAccessible::State state = PaneTextAccessible::state();
    state.readOnly = true;
    return state;
}

// The pane keeps its whole text: no need to put it together.
QString TokenViewAccessible::text(QAccessible::Text kind) const {
    if (kind == QAccessible::Value)
        return view()->toPlainText();
    return PaneTextAccessible::text(kind);
}

PaneTextAccessible::Span TokenViewAccessible::selectedSpan() const {
    if (!view()->hasSelection())
        return {};
    return {view()->selectionStart(), view()->selectionEnd()};
}

qint64 TokenViewAccessible::caret() const {
    return view()->cursorPosition();
}

void TokenViewAccessible::select(qint64 start, qint64 end) {
    view()->setSelection(start, end);
}

QString TokenViewAccessible::text(int startOffset, int endOffset) const {
    const PaneContent &content = view()->content();
    return content.text(content.placeOf(startOffset), content.placeOf(endOffset));
}

int TokenViewAccessible::characterCount() const {
    return int(view()->content().charCount());
}

bool TokenViewAccessible::unitAround(int offset, QAccessible::TextBoundaryType type, int *start,
                                     int *end) const {
    const PaneContent &content = view()->content();
    const int count = characterCount();
    if (offset < 0 || offset >= count)
        return false;
    const TokenPlace place = content.placeOf(offset);
    switch (type) {
    case QAccessible::CharBoundary:
        *start = offset;
        *end = offset + 1;
        return true;
    case QAccessible::WordBoundary:
        *start = int(content.charOf({place.token, 0}));
        *end = int(content.charOf({place.token + 1, 0}));
        return true;
    case QAccessible::LineBoundary: {
        const TokenLayout &rows = view()->layout();
        const qint64 row = rows.rowOf(place);
        *start = int(content.charOf(rows.rowStart(row)));
        *end = int(content.charOf(rows.rowStart(row + 1)));
        return true;
    }
    default:
        return false;
    }
}

QString TokenViewAccessible::textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                          int *startOffset, int *endOffset) const {
    if (boundaryType == QAccessible::NoBoundary ||
        (offset == characterCount() && boundaryType != QAccessible::CharBoundary))
        offset = qMax(0, offset - (boundaryType == QAccessible::NoBoundary ? 0 : 1));
    if (unitAround(offset, boundaryType, startOffset, endOffset))
        return text(*startOffset, *endOffset);
    if (boundaryType == QAccessible::CharBoundary) {
        *startOffset = *endOffset = offset;
        return {};
    }
    return QAccessibleTextInterface::textAtOffset(offset, boundaryType, startOffset, endOffset);
}

QString TokenViewAccessible::textBeforeOffset(int offset,
                                              QAccessible::TextBoundaryType boundaryType,
                                              int *startOffset, int *endOffset) const {
    int start = 0;
    int end = 0;
    if (!unitAround(qMin(offset, characterCount() - 1), boundaryType, &start, &end))
        return QAccessibleTextInterface::textBeforeOffset(offset, boundaryType, startOffset,
                                                          endOffset);
    if (offset >= characterCount())
        start = end;
    if (start > 0 && unitAround(start - 1, boundaryType, startOffset, endOffset))
        return text(*startOffset, *endOffset);
    *startOffset = *endOffset = 0;
    return {};
}

QString TokenViewAccessible::textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                                             int *startOffset, int *endOffset) const {
    int start = 0;
    int end = 0;
    if (!unitAround(offset, boundaryType, &start, &end)) {
        if (offset >= 0 && offset >= characterCount() &&
            (boundaryType == QAccessible::CharBoundary ||
             boundaryType == QAccessible::WordBoundary ||
             boundaryType == QAccessible::LineBoundary)) {
            *startOffset = *endOffset = characterCount();
            return {};
        }
        return QAccessibleTextInterface::textAfterOffset(offset, boundaryType, startOffset,
                                                         endOffset);
    }
    if (unitAround(end, boundaryType, startOffset, endOffset))
        return text(*startOffset, *endOffset);
    *startOffset = *endOffset = characterCount();
    return {};
}

QRect TokenViewAccessible::characterBox(qint64 offset) const {
    const QRectF at = view()->positionRect(offset);
    const QRectF next = view()->positionRect(offset + 1);
    const qreal width = next.top() == at.top() && next.x() > at.x() ? next.x() - at.x() : 1;
    return QRect(at.topLeft().toPoint(), QSize(qMax(1, qRound(width)), qRound(at.height())));
}

qint64 TokenViewAccessible::characterAt(const QPoint &viewportPoint) const {
    return view()->characterAt(viewportPoint);
}

void TokenViewAccessible::scrollToSubstring(int startIndex, int endIndex) {
    view()->ensureVisible(endIndex);
    view()->ensureVisible(startIndex);
}

// The run of one font and colour around offset.
QString TokenViewAccessible::attributes(int offset, int *startOffset, int *endOffset) const {
    *startOffset = *endOffset = offset;
    if (offset < 0 || offset >= characterCount())
        return {};
    const QTextCharFormat format = view()->charFormatAt(offset);
    const QFont font = format.font();
    const QColor color = format.hasProperty(QTextFormat::ForegroundBrush)
                             ? format.foreground().color()
                             : view()->palette().color(QPalette::Text);
    const auto [first, last] = view()->formatRange(offset);
    *startOffset = int(first);
    *endOffset = int(last);
    return runAttributes(font, color);
}

// Hex pane ---------------------------------------------------------------

HexPaneAccessible::HexPaneAccessible(HexPane *pane) : TokenViewAccessible(pane) {}

HexPane *HexPaneAccessible::pane() const {
    return static_cast<HexPane *>(widget());
}

QAccessible::State HexPaneAccessible::state() const {
    QAccessible::State state = TokenViewAccessible::state();
    state.readOnly = !pane()->isEditable();
    state.editable = pane()->isEditable();
    return state;
}

// Nothing is inserted into or deleted from a dump.
void HexPaneAccessible::deleteText(int, int) {}

void HexPaneAccessible::insertText(int, const QString &) {}

void HexPaneAccessible::replaceText(int startOffset, int endOffset, const QString &text) {
    HexPane *hex = pane();
    if (!hex->isEditable() || endOffset - startOffset != text.size() || text.isEmpty())
        return;
    const QString before = this->text(startOffset, endOffset);
    if (before.size() != text.size())
        return;
    // Digits over digits and spaces over spaces, or nothing at all.
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool digit = before[i] != u' ';
        if (digit ? hexDigitValue(text[i]) < 0 : text[i] != u' ')
            return;
    }
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (before[i] == u' ')
            continue;
        const qsizetype at = startOffset + i;
        hex->setSelection(at, at);
        hex->typeNibble(hexDigitValue(text[i]));
    }
}

// Factory ----------------------------------------------------------------

namespace {

QAccessibleInterface *paneInterface(const QString &className, QObject *object) {
    if (className == QLatin1String("HexPane")) {
        if (auto *hex = qobject_cast<HexPane *>(object))
            return new HexPaneAccessible(hex);
    }
    if (className == QLatin1String("TokenView")) {
        if (auto *view = qobject_cast<TokenView *>(object))
            return new TokenViewAccessible(view);
    }
    return nullptr;
}

} // namespace

namespace paneaccessible {

void install() {
    static const bool installed = [] {
        QAccessible::installFactory(paneInterface);
        return true;
    }();
    Q_UNUSED(installed);
}

void textChanged(QWidget *pane, qint64 position, qint64 removed, const QString &added) {
    const QString removedText(removed, u' ');
    if (removed == 0) {
        QAccessibleTextInsertEvent event(pane, int(position), added);
        QAccessible::updateAccessibility(&event);
    } else if (added.isEmpty()) {
        QAccessibleTextRemoveEvent event(pane, int(position), removedText);
        QAccessible::updateAccessibility(&event);
    } else {
        QAccessibleTextUpdateEvent event(pane, int(position), removedText, added);
        QAccessible::updateAccessibility(&event);
    }
}

} // namespace paneaccessible
