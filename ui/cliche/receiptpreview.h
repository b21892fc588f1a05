#pragma once

#include "base/bytetext.h"
#include "checks/clichecheck.h"
#include "checks/registermodels.h"

#include <QAbstractScrollArea>
#include <array>

// The cliche as the register prints it: one row per printed line under a
// ruler of columns, the paper exactly the model's width. What falls beyond
// the paper's edge, what will not print (shown as "."), small letters on a
// capitals-only model and the lines beyond the model's limit are marked in
// colour. Only the rows in view are drawn, so a long text costs nothing.
class ReceiptPreview : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit ReceiptPreview(QWidget *parent = nullptr);

    void setContent(const ByteText &document, const cliche::RegisterModel &model);
    // Outlines these bytes of the document and scrolls them into view.
    void mark(qsizetype offset, qsizetype length);

    // What the row shows for its characters, as drawn ("." for a character
    // that will not print).
    QString rowText(int row) const;
    int rowCount() const { return int(lines.size()); }
    // The columns of the paper: the model's width, or the longest line.
    int paperColumns() const;

    QSize sizeHint() const override;

signals:
    // A character of the preview was clicked: its offset in the document.
    void byteClicked(qsizetype offset);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    QChar glyph(unsigned char byte) const;
    int gutterWidth() const;
    int rowHeight() const;
    int columnWidth() const;
    void updateScrollBars();

    ByteText document;
    cliche::RegisterModel model;
    QList<cliche::Line> lines;
    std::array<cliche::CharClass, 256> classes{};
    qsizetype longestLine = 0;
    qsizetype markOffset = -1;
    qsizetype markLength = 0;
};
