#pragma once

#include <QAccessibleWidget>

class HexPane;
class QAbstractScrollArea;
class TokenView;

// What every pane shows assistive technology, as Qt's own text widgets show
// themselves: a multi-line text whose caret and selection are read and set
// in its characters, each character's place on the screen, and the font and
// colour of a run written as those widgets write them. A pane says how its
// own selection, caret and geometry are found.
class PaneTextAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit PaneTextAccessible(QAbstractScrollArea *pane);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;
    using QAccessibleTextInterface::text;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;

protected:
    struct Span {
        qint64 start = 0;
        qint64 end = 0;
    };
    // The selection in characters, start <= end; empty when nothing is
    // selected.
    virtual Span selectedSpan() const = 0;
    virtual qint64 caret() const = 0;
    // From start to end, the caret at end; the caret alone when they meet.
    virtual void select(qint64 start, qint64 end) = 0;
    // In viewport coordinates.
    virtual QRect characterBox(qint64 offset) const = 0;
    // The character whose box holds the point.
    virtual qint64 characterAt(const QPoint &viewportPoint) const = 0;

    // "font-family:...;font-size:...;" and the rest of a run's attributes.
    static QString runAttributes(const QFont &font, const QColor &color);
    // The editing interface of a pane that offers one; none by default.
    virtual QAccessibleEditableTextInterface *editableText() { return nullptr; }

private:
    QAbstractScrollArea *area() const;
};

// The display panes: rows are lines, tokens are words.
class TokenViewAccessible : public PaneTextAccessible {
public:
    explicit TokenViewAccessible(TokenView *view);

    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

protected:
    Span selectedSpan() const override;
    qint64 caret() const override;
    void select(qint64 start, qint64 end) override;
    QRect characterBox(qint64 offset) const override;
    qint64 characterAt(const QPoint &viewportPoint) const override;

    TokenView *view() const;
    // The character, token or row around offset; false for other units.
    bool unitAround(int offset, QAccessible::TextBoundaryType type, int *start, int *end) const;
};

// The hex pane edits by overwriting: a byte's two hex digits can be
// replaced with two others, nothing can be inserted or deleted. So of the
// editing interface only a replacement of digits by as many hex digits (and
// of spaces by spaces) does anything; it types them as the keyboard would,
// one undo step per byte.
class HexPaneAccessible : public TokenViewAccessible, public QAccessibleEditableTextInterface {
public:
    explicit HexPaneAccessible(HexPane *pane);

    QAccessible::State state() const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

protected:
    QAccessibleEditableTextInterface *editableText() override { return this; }

private:
    HexPane *pane() const;
};

namespace paneaccessible {

// Registers the display panes' interfaces with Qt; once is enough.
void install();

// Tells assistive technology that the pane's text lost removed characters
// at position and took added there, as Qt's own text widgets tell it: the
// new text, and the removed one as spaces. Worth calling only while
// QAccessible::isActive().
void textChanged(QWidget *pane, qint64 position, qint64 removed, const QString &added);

} // namespace paneaccessible
