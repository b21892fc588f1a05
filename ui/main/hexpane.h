#pragma once

#include "tokenview.h"

// The hex pane: a token view whose rows of the hex dump hold their groups in
// fixed columns, wide enough for the widest group in any of the pane's
// fonts, so the ruler can stand over them whatever the font. Each row shows
// the document offset of its first byte in a margin left of the groups (the
// margin is no part of the text). While editing is on, hex digits overwrite
// the byte under the cursor nibble by nibble; nothing else changes the text,
// and selections by mouse and keys take whole groups.
class HexPane : public TokenView {
    Q_OBJECT

public:
    explicit HexPane(QWidget *parent = nullptr);

    void setEditable(bool on);

    // The text of the offset margin at a row ("" when the pane shows none).
    QString offsetText(qsizetype row) const;
    // The centre of the second digit of column k in viewport coordinates,
    // where the ruler puts its digit k.
    qreal columnCentre(int k) const;

    // The pane's width for the offsets of a document of that size and a
    // row of groups in the pane's fonts, frame and scroll bar included.
    int widthForColumns(qint64 documentSize) const;

    // The group (byte of the dump) at a cursor position.
    static qsizetype groupOf(qsizetype position) { return position / groupSize; }
    static constexpr int groupSize = 4;

signals:
    // A hex digit typed over the high or low half of a byte of the dump.
    void nibbleTyped(qsizetype byte, bool low, int value);
    void undoRequested();
    // The width of the columns or of the offset margin changed.
    void columnsChanged();
    void redoRequested();

protected:
    qreal textLeft() const override;
    void placeRow(qsizetype row, QVarLengthArray<qreal, 256> &xs) const override;
    qreal contentWidth() const override;
    void paintRowMargin(QPainter &painter, qsizetype row, const QRectF &rowRect) override;
    void layoutUpdated() const override;

    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveCursor(Move move, bool select) override;
    void mouseSelect(const QPointF &viewportPoint, bool extend) override;
    void mouseSelectToken(const QPointF &viewportPoint) override;

private:
    bool inColumns() const;
    qsizetype byteCount() const { return tokenCount(); }
    // The group under a point, by the cell it falls in, and the nibble.
    std::pair<qsizetype, int> cellAt(const QPointF &viewportPoint) const;
    void typeNibble(int value);
    // The widest hex digit and space in the fonts in use.
    std::pair<qreal, qreal> cells() const;

    bool editable = false;
    // The group and nibble the mouse was pressed on.
    std::pair<qsizetype, int> pressed{-1, 0};
    // Measured for the fonts in use at each layout.
    mutable qreal digitCell = 0;
    mutable qreal spaceCell = 0;
    mutable qreal offsetWidth = 0;
    mutable int offsetDigits = 6;
};
