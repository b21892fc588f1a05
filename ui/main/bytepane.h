#pragma once

#include "bytetext.h"

#include <QPlainTextEdit>

// The input pane: a text edit that holds bytes. Every byte is one character
// of the pane (cp1251, control bytes as visible stand-ins) and a CR LF pair
// is a paragraph break, so the pane gives back exactly the bytes it was
// given. Input that has no byte is refused, and the user is told so; line
// breaks of any form become CR LF.
class BytePane : public QPlainTextEdit {
    Q_OBJECT

public:
    explicit BytePane(QWidget *parent = nullptr);

    // Empties the document as one step that Ctrl+Z undoes.
    void clearBytes();

    void setBytes(const ByteText &bytes);
    ByteText bytes() const;
    ByteText selectedBytes() const;

    // Counted from positions, without copying the text.
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
    // scrolls them into view.
    void selectBytes(qsizetype offset, qsizetype length);
    // The bytes from offset on, at most length of them.
    ByteText bytesAt(qsizetype offset, qsizetype length) const;
    // Replaces length bytes from offset by bytes, as one step that Ctrl+Z
    // undoes, or as part of the step before it; the replacement is left
    // selected.
    enum class UndoStep { New, JoinPrevious };
    void replaceBytes(qsizetype offset, qsizetype length, const ByteText &bytes,
                      UndoStep step = UndoStep::New);

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

private:
    // Inserts text from outside at the cursor, leaving out what has no byte.
    void insertInput(QStringView text);
    // Tells the user, near the cursor, what was left out.
    void reportRefused(const QString &first, qsizetype count);
};
