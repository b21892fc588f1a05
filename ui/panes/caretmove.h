#pragma once

#include <optional>

class QKeyEvent;

// The moves of a pane's caret by keys. Each pane works out where a move
// leads in its own rows; which keys ask for which move is the platform's
// standard, the same in every pane.
enum class CaretMove {
    Left,
    Right,
    WordLeft,
    WordRight,
    Up,
    Down,
    RowStart,
    RowEnd,
    Start,
    End,
    PageUp,
    PageDown
};

// Up, Down and the page moves keep the caret's x from one row to the next.
bool isVertical(CaretMove move);

struct CaretMoveKey {
    CaretMove move;
    // Extends the selection (Shift) rather than collapsing it.
    bool select;
};

// The move a key press asks for, none when it asks for none. A paragraph's
// start and end (macOS keys) are a row's.
std::optional<CaretMoveKey> caretMoveOf(const QKeyEvent *event);
