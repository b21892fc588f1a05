#pragma once

#include "caretmove.h"

class InputPane;
class QKeyEvent;

// Where a key press in the input pane goes. What a key asks for is decided
// from the key alone (commandOf, tabCommandOf), the platform's standard
// bindings first, as a text edit does; the pane's state plays no part in
// it. Running it is then a caret move here or an edit of InputPaneEditing.
class InputPaneKeys {
public:
    enum class Command {
        None,
        SelectAll,
        Copy,
        Move,
        LineBreak,
        Backspace,
        Delete,
        Undo,
        Redo,
        Cut,
        Paste,
        // Ctrl+Shift+Insert: the X11 primary selection where there is one.
        PasteSelection,
        DeleteWordForward,
        DeleteWordBack,
        DeleteToLineEnd,
        Type,
        // Tab and its modifiers, which the widget would take for focus.
        TypeTab,
        FocusNext,
        FocusPrevious,
    };
    struct Action {
        Command command = Command::None;
        // With Command::Move.
        CaretMoveKey move{CaretMove::Left, false};
    };

    explicit InputPaneKeys(InputPane *pane) : pane(pane) {}

    static Action commandOf(const QKeyEvent &key);
    // Tab and Backtab, before the widget takes them for moving the focus.
    static Command tabCommandOf(const QKeyEvent &key);
    // The keys a text edit keeps for itself while it has the focus, even
    // where the window has a shortcut on them (Qt's own rule).
    static bool ownsShortcut(const QKeyEvent &key);

    // Runs a key press; false when it is not the pane's.
    bool pressed(const QKeyEvent &key);
    bool tabPressed(const QKeyEvent &key);

    void moveCaret(CaretMove move, bool select);

private:
    InputPane *pane;
};
