#pragma once

#include "document/caretvalues.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <vector>

class ByteDocument;
class ByteSelection;
class QLabel;
class QTreeWidget;
class QTreeWidgetItem;

// The panel "Значения": what the bytes at the caret mean, a row for each way
// of reading them (label and value), and a click on a row copies its value.
// It reads the bytes where the selection starts (the caret without one), so
// a few bytes selected show their own values whichever way they were
// selected. A caret move or an edit reads at most caretvalues::bytesRead
// bytes, and rows are redrawn only where the bytes read have changed; a
// hidden panel reads nothing until it is shown again.
class ValuesPanel : public QWidget {
    Q_OBJECT

public:
    explicit ValuesPanel(QWidget *parent = nullptr);

    // Follows the document's bytes and the selection in it; nullptr for
    // either one shows nothing.
    void follow(ByteDocument *document, ByteSelection *selection);

    // The offset and the rows shown.
    qint64 offset() const { return shownOffset; }
    const std::vector<caretvalues::Row> &rows() const { return shownRows; }

    QSize sizeHint() const override;

signals:
    // A value was put on the clipboard.
    void valueCopied(const QString &value);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void refresh();
    void showRows(std::vector<caretvalues::Row> rows);
    void copyValue(QTreeWidgetItem *item);

    QPointer<ByteDocument> document;
    QPointer<ByteSelection> selection;

    QLabel *lblOffset;
    QTreeWidget *lstValues;
    QLabel *lblCopied;
    QTimer copiedShown;

    // What the rows were read from, so that an unchanged read redraws
    // nothing; shownOffset -1: nothing read yet.
    qint64 shownOffset = -1;
    qint64 shownSize = -1;
    QByteArray shownBytes;
    std::vector<caretvalues::Row> shownRows;
};
