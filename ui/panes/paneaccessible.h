#pragma once

#include <QAccessibleWidget>

class HexPane;
class TokenView;

// The display panes as assistive technology sees them, as Qt's own text
// widgets show themselves: their text, caret and selection in characters of
// the pane's text, the place of each character, the fonts by range; the
// caret and selection can be set through them. Rows are lines, tokens are
// words.
class TokenViewAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit TokenViewAccessible(TokenView *view);

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;
    QString text(QAccessible::Text kind) const override;

    void selection(int selectionIndex, int *startOffset, int *endOffset) const override;
    int selectionCount() const override;
    void addSelection(int startOffset, int endOffset) override;
    void removeSelection(int selectionIndex) override;
    void setSelection(int selectionIndex, int startOffset, int endOffset) override;
    int cursorPosition() const override;
    void setCursorPosition(int position) override;
    QString text(int startOffset, int endOffset) const override;
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                             int *startOffset, int *endOffset) const override;
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType boundaryType,
                            int *startOffset, int *endOffset) const override;
    QString textAtOffset(int offset, QAccessible::TextBoundaryType boundaryType, int *startOffset,
                         int *endOffset) const override;
    int characterCount() const override;
    QRect characterRect(int offset) const override;
    int offsetAtPoint(const QPoint &point) const override;
    void scrollToSubstring(int startIndex, int endIndex) override;
    QString attributes(int offset, int *startOffset, int *endOffset) const override;

protected:
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

    void *interface_cast(QAccessible::InterfaceType type) override;
    QAccessible::State state() const override;

    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

private:
    HexPane *pane() const;
};

namespace paneaccessible {

// Registers the display panes' interfaces with Qt; once is enough.
void install();

} // namespace paneaccessible
