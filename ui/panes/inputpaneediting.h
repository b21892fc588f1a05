#pragma once

#include "document/byteeditor.h"
#include "inputpanekeys.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

class InputPane;
class QInputMethodEvent;
class QMimeData;

// The input pane's changes to the bytes: typed, pasted and dropped text,
// the deletions of the keys, moves of the selection, undo and redo, and the
// clipboard. Each goes to the document's editor in the style of the
// insertion point, and the caret goes where the edit says. Text from
// outside is taken through cp1251::toPaneInput: what has no byte is left
// out and named in a notice at the pane's foot.
class InputPaneEditing {
public:
    explicit InputPaneEditing(InputPane *pane);

    // Text from outside (keys, input method, paste, drop) at the selection.
    void insertInput(QStringView text, bool typing = false);
    // A key's edit: a deletion, undo, redo or cut.
    void run(InputPaneKeys::Command command);
    void deleteSelection();
    void moveSelectionTo(qint64 offset);
    void removeRange(qint64 start, qint64 end);

    void undo();
    void redo();
    void cut();
    // False, with a notice, for a selection past the clipboard's bound.
    bool copy() const;
    void paste();
    void pasteFrom(const QMimeData *data);
    // What is selected goes to the X11 primary selection, for a middle click.
    void setPrimarySelection() const;
    QMimeData *mimeDataOf(qint64 start, qint64 end) const;

    // The caret moved away: the next typing starts an undo step of its own.
    void endRun() { editor.endRun(); }
    // For edits that come with their own caret (accessibility tools).
    ByteEditor &byteEditor() { return editor; }

    void inputMethodEvent(QInputMethodEvent *event);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const;
    // Text the input method is composing, shown over the caret.
    const QString &preeditText() const { return preedit; }

private:
    // An edit of the document, its bytes in the insertion style; the caret
    // goes where the edit says.
    void edit(const std::function<qint64(ByteEditor &)> &change);
    void stepThroughHistory(std::optional<qint64> (ByteEditor::*step)());
    void reportRefused(const QString &first, qint64 count);

    InputPane *pane;
    ByteEditor editor;
    QString preedit;
};
