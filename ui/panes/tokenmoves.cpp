#include "tokenmoves.h"

#include <algorithm>

namespace tokenmoves {

TokenPlace moved(const PaneContent &text, const TokenLayout &rows, TokenPlace from, CaretMove move,
                 qreal preferredX, qint64 pageRows) {
    using Move = CaretMove;
    const auto inRow = [&](qint64 row) {
        row = std::clamp<qint64>(row, 0, rows.rowCount() - 1);
        const qreal x = preferredX >= 0 ? preferredX : rows.pointOf(from).x();
        return rows.placeAt(QPointF(x, rows.rowTop(row) + 1));
    };
    const qint64 row = rows.rowOf(from);
    switch (move) {
    case Move::Left:
        return text.moved(from, -1);
    case Move::Right:
        return text.moved(from, 1);
    case Move::WordLeft:
        return from == TokenPlace{} ? from : TokenPlace{text.moved(from, -1).token, 0};
    case Move::WordRight:
        return from == text.end() ? from : text.normalized({from.token + 1, 0});
    case Move::Up:
        return row == 0 ? TokenPlace{} : inRow(row - 1);
    case Move::Down:
        return row + 1 >= rows.rowCount() ? text.end() : inRow(row + 1);
    case Move::PageUp:
        return inRow(row - pageRows);
    case Move::PageDown:
        return inRow(row + pageRows);
    case Move::RowStart:
        return rows.rowStart(row);
    case Move::RowEnd: {
        const TokenPlace end = rows.rowStart(row + 1);
        const TokenPlace last = text.moved(end, -1);
        const QStringView token = text.tokenText(last.token);
        const bool lineBreak =
            end != TokenPlace{} && last.offset < token.size() && token[last.offset] == u'\n';
        return lineBreak ? last : end;
    }
    case Move::Start:
        return {};
    case Move::End:
        return text.end();
    }
    return from;
}

} // namespace tokenmoves
