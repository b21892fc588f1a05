#pragma once

#include "paneaccessible.h"

class InputPane;

// The input pane for screen readers and UI automation, as Qt's own text
// edits offer theirs: the text, the caret, the selection, character
// geometry and text attributes, and editing. One character per byte: the
// bytes of a CR LF pair read as "\r\n", every other byte as the character
// the pane shows for it, so offsets are the document's byte offsets.
class InputPaneAccessible : public PaneTextAccessible, public QAccessibleEditableTextInterface {
public:
    explicit InputPaneAccessible(InputPane *pane);

    // Registers the interface with Qt's accessibility, once.
    static void install();
    // Tell an assistive technology, if one listens, what changed.
    static void selectionMoved(InputPane *pane);
    static void textChanged(InputPane *pane, qint64 offset, qint64 removed, qint64 added);

    QAccessible::State state() const override;
    using PaneTextAccessible::text;

    // QAccessibleTextInterface
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

    // QAccessibleEditableTextInterface
    void deleteText(int startOffset, int endOffset) override;
    void insertText(int offset, const QString &text) override;
    void replaceText(int startOffset, int endOffset, const QString &text) override;

protected:
    QAccessibleEditableTextInterface *editableText() override { return this; }
    Span selectedSpan() const override;
    qint64 caret() const override;
    void select(qint64 start, qint64 end) override;
    QRect characterBox(qint64 offset) const override;
    qint64 characterAt(const QPoint &viewportPoint) const override;

private:
    InputPane *pane() const;
    struct Unit {
        qint64 start = 0;
        qint64 end = 0;
    };
    Unit unitAt(qint64 offset, QAccessible::TextBoundaryType type) const;
    QString unitText(Unit unit, int *startOffset, int *endOffset) const;
};
