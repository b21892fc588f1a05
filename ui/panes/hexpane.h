#pragma once

#include "tokenview.h"

class ByteEditor;

// The hex pane: a token view of the hex dump whose rows hold their groups in
// fixed columns, wide enough for the widest group in any of the pane's
// fonts, so the ruler can stand over them whatever the font. Each row shows
// the document offset of its first byte in a margin left of the groups (the
// margin is no part of the text). Rows are drawn from the bytes shown; the
// dump's text is never kept. While it has an editor, hex digits overwrite
// the document's byte under the cursor nibble by nibble (the editor keeps a
// byte's two digits one undo step) and undo and redo act on the document;
// nothing else changes the bytes, and selections by mouse and keys take
// whole groups.
class HexPane : public TokenView {
    Q_OBJECT

public:
    explicit HexPane(QWidget *parent = nullptr);

    // The editor of the document the pane follows; none: read only.
    void setEditor(ByteEditor *editor) { byteEditor = editor; }
    bool isEditable() const { return byteEditor != nullptr; }

    // The text of the offset margin at a row ("" when the pane shows none).
    QString offsetText(qsizetype row) const;
    // The centre of the second digit of column k in viewport coordinates,
    // where the ruler puts its digit k.
    qreal columnCentre(int k) const;

    // The pane's width for the offsets of a document of that size and a
    // row of groups in the pane's fonts, frame and scroll bar included.
    int widthForColumns(qint64 documentSize) const;

    // The byte group k shows, -1 past the end.
    int byteAt(qint64 group) const { return text.byteOf(group); }
    // Types a hex digit (0..15) where the cursor stands, as the keyboard
    // does while editing is on. False when nothing took it.
    bool typeNibble(int value);

    static constexpr int groupSize = views::hexGroupWidth;

    // Draws, off screen, every character the dump and a text column beside
    // it show in the pane's font, so that its glyphs are made before the
    // hex-edit layout first paints: worth calling once the window is idle.
    void prepareFont() const;

signals:
    // The width of the columns or of the offset margin changed.
    void columnsChanged();

protected:
    qreal textLeft() const override;
    void paintRowMargin(QPainter &painter, qsizetype row, const QRectF &rowRect) override;
    void layoutUpdated() override;

    bool ownsShortcut(const QKeyEvent *key) const override;
    void keyPressEvent(QKeyEvent *event) override;
    void moveCursor(Move move, bool select) override;
    void mouseSelect(const QPointF &viewportPoint, bool extend) override;
    void mouseSelectToken(const QPointF &viewportPoint) override;

private:
    bool inColumns() const { return layout().inColumns(); }
    // Moves by keys in columns: the cursor alone by nibbles, a selection by
    // whole groups.
    void moveByNibbles(Move move);
    void extendByGroups(Move move);
    qint64 groupsInPage() const;
    // The group under a point, by the cell it falls in, and the nibble.
    std::pair<qint64, int> cellAt(const QPointF &viewportPoint) const;

    ByteEditor *byteEditor = nullptr;
    // The group and nibble the mouse was pressed on.
    std::pair<qint64, int> pressed{-1, 0};
    // Measured at each layout.
    qreal offsetWidth = 0;
    int offsetDigits = 6;
    qreal shownPitch = 0;
};
