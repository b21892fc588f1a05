#pragma once

#include "bytetext.h"

#include <QElapsedTimer>
#include <QPlainTextEdit>
#include <memory>
#include <utility>
#include <vector>

class RowPredictor;

// The input pane: a text edit that holds bytes. Every byte is one character
// of the pane (cp1251, control bytes as visible stand-ins) and a CR LF pair
// is a line break, so the pane gives back exactly the bytes it was given.
// Input that has no byte is refused, and the user is told so; line breaks of
// any form become CR LF.
//
// Qt lays out a whole paragraph (block) again for every keystroke in it, so
// no block is let grow much past chunkLength characters: a long run of bytes
// is cut into blocks by soft breaks, paragraph separators that stand for no
// byte and are marked by softBreakProperty in their character format (which
// travels with them through undo, redo and merges). The cuts fall where the
// row wraps anyway. A CR LF is a line separator inside a block, or the
// unmarked paragraph separator between two blocks; either is two bytes but
// one position. Code outside the pane uses only the byte API below.
class BytePane : public QPlainTextEdit {
    Q_OBJECT

public:
    static constexpr int chunkLength = 4096;
    static constexpr int softBreakProperty = QTextFormat::UserProperty + 1;

    explicit BytePane(QWidget *parent = nullptr);
    ~BytePane() override;

    void setBytes(const ByteText &bytes);
    // The whole document; kept until the next change, so repeated calls
    // (Find, the views) cost nothing.
    ByteText bytes() const;
    ByteText selectedBytes() const;

    // byteCount() is kept with every change; the others look at no more
    // than a block's text.
    qsizetype byteCount() const;
    qsizetype selectedByteCount() const;
    // The byte offset of a cursor position.
    qsizetype byteOffset(int position) const;
    // The cursor position before a byte offset; an offset inside a CR LF
    // pair gives the position before the pair.
    int positionOfByte(qsizetype offset) const;

    // The selection, or the cursor when nothing is selected, in bytes.
    qsizetype selectionStartByte() const;
    // Selects length bytes from offset (clamped to the document) and
    // scrolls them into view; a line break is selected whole when the range
    // takes one of its bytes.
    void selectBytes(qsizetype offset, qsizetype length);
    // The bytes from offset on, at most length of them.
    ByteText bytesAt(qsizetype offset, qsizetype length) const;
    // Replaces length bytes from offset by bytes, as one step that Ctrl+Z
    // undoes, or as part of the step before it; the replacement is left
    // selected.
    enum class UndoStep { New, JoinPrevious };
    void replaceBytes(qsizetype offset, qsizetype length, const ByteText &bytes,
                      UndoStep step = UndoStep::New);
    // Empties the document as one step that Ctrl+Z undoes.
    void clearBytes();

signals:
    // Typed, pasted or dropped characters that have no byte were left out:
    // how many, and the first of them.
    void charactersRefused(const QString &first, qsizetype count);

protected:
    int positionAfterByte(qsizetype offset) const;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;
    // Dropped files are for the window to open, not text to insert.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // What the pane knows of each block, by block number.
    struct Block {
        bool soft = false; // the separator before it is a soft break
        int lineBreaks = 0;
    };

    // Inserts text from outside at the cursor, leaving out what has no byte.
    void insertInput(QStringView text);
    // Inserts pane text (line breaks as line separators) at the cursor,
    // cut into blocks where it is long.
    void insertPaneText(QTextCursor &cursor, QStringView text);
    // The line around a position, its line break included: from the break
    // before it to the break after it, over soft breaks.
    std::pair<int, int> lineAround(int position) const;
    // The end of a byte range from position from: before a soft break, not
    // after it.
    int rangeEnd(int from, int to) const;
    // Emits selectionChanged() if Qt changed the selection without saying so.
    void reportSelection();
    // Tells the user, at the foot of the pane, what was left out.
    void reportRefused(const QString &first, qsizetype count);
    bool mayNeedRepair(bool deleting) const;
    void editByKey(QTextCursor &cursor, const QKeyEvent *event);

    // Bookkeeping of the blocks, from the document's changes.
    void contentsChanged(int position, int removed, int added);
    Block scanBlock(const QTextBlock &block) const;
    void rescanAll();
    void presetRows(int first, int last);
    qsizetype startExtra(int blockNumber) const;
    bool isSoft(const QTextBlock &block) const;
    // Pane text of a range with the soft breaks taken out.
    QString textWithoutSoftBreaks(int from, int to) const;
    const RowPredictor &predictor() const;
    qreal textWidth() const;

    // Keeps every block short and every soft break invisible after an edit,
    // as part of that edit's undo step.
    void normalize();
    void scheduleNormalize();
    void normalizeBlock(QTextCursor &cursor, int blockNumber, bool &editing);
    void splitBlock(QTextCursor &cursor, const QTextBlock &block);

    std::vector<Block> blocks{Block{}};
    // startExtra of each block, valid below prefixValid: the bytes before a
    // block's start minus the positions before it.
    mutable std::vector<qsizetype> prefix{0};
    mutable int prefixValid = 1;
    // Sum over the blocks: line breaks plus one per hard and minus one per
    // soft separator.
    qsizetype totalExtra = 0;
    // Row counts that the next change (a load) gives its blocks.
    std::vector<int> loadRows;
    // Blocks an edit touched that normalize() has not looked at yet.
    int dirtyFirst = -1;
    int dirtyLast = -1;
    bool normalizeScheduled = false;
    bool normalizing = false;
    int laidOutWidth = -1;
    // A refusal reported during a drop, told when the drop is over.
    bool holdingReport = false;
    std::pair<QString, qsizetype> heldReport{QString(), 0};
    // Where and when the last double click was, to know a triple click.
    QPoint doubleClickPoint;
    QElapsedTimer doubleClickTime;
    // The selection, in bytes, as the last selectionChanged() reported it.
    std::pair<qsizetype, qsizetype> reportedSelection{0, 0};
    mutable std::unique_ptr<RowPredictor> rowPredictor;
    mutable ByteText byteCache;
    mutable bool byteCacheValid = true;
};
