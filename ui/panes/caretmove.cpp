#include "caretmove.h"

#include <QKeyEvent>

bool isVertical(CaretMove move) {
    return move == CaretMove::Up || move == CaretMove::Down || move == CaretMove::PageUp ||
           move == CaretMove::PageDown;
}

std::optional<CaretMoveKey> caretMoveOf(const QKeyEvent *event) {
    struct Binding {
        QKeySequence::StandardKey move;
        QKeySequence::StandardKey select;
        CaretMove where;
    };
    static const Binding bindings[] = {
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, CaretMove::Left},
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, CaretMove::Right},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, CaretMove::WordLeft},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, CaretMove::WordRight},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, CaretMove::Up},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, CaretMove::Down},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, CaretMove::RowStart},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, CaretMove::RowEnd},
        {QKeySequence::MoveToStartOfBlock, QKeySequence::SelectStartOfBlock, CaretMove::RowStart},
        {QKeySequence::MoveToEndOfBlock, QKeySequence::SelectEndOfBlock, CaretMove::RowEnd},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         CaretMove::Start},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, CaretMove::End},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, CaretMove::PageUp},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, CaretMove::PageDown},
    };
    for (const Binding &binding : bindings) {
        const bool move = event->matches(binding.move);
        if (move || event->matches(binding.select))
            return CaretMoveKey{binding.where, !move};
    }
    return std::nullopt;
}
