#include "receiptpreview.h"

#include "codepages/cp1251codec.h"
#include "findingcolours.h"

#include <QFontDatabase>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace {

const QColor outsideColor(224, 224, 224);
const QColor paperColor(Qt::white);
const QColor inkColor(Qt::black);
const QColor edgeColor(200, 0, 0);
const QColor rulerInk(90, 90, 90);

// "----+----1----+----2": a mark every column, a cross every five, the
// tens digit every ten.
QChar rulerMark(int column) {
    if (column % 10 == 0)
        return QChar(u'0' + (column / 10) % 10);
    return column % 5 == 0 ? QChar(u'+') : QChar(u'-');
}

// The finding a character of the class is, inside the paper; none for one
// that prints.
const findingcolours::Marking &markingOf(cliche::CharClass charClass) {
    switch (charClass) {
    case cliche::CharClass::Unprintable:
        return findingcolours::of(cliche::FindingKind::Unprintable);
    case cliche::CharClass::SmallLetter:
        return findingcolours::of(cliche::FindingKind::SmallLetter);
    case cliche::CharClass::StrayBreak:
        return findingcolours::of(cliche::FindingKind::LoneLineBreak);
    case cliche::CharClass::Printable:
        break;
    }
    return findingcolours::of(cliche::FindingKind::TextTooLong);
}

} // namespace

ReceiptPreview::ReceiptPreview(QWidget *parent) : QAbstractScrollArea(parent) {
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleStrategy(QFont::PreferNoShaping);
    setFont(font);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setContent({}, cliche::RegisterModel{});
}

void ReceiptPreview::setContent(const ByteText &newDocument,
                                const cliche::RegisterModel &newModel) {
    document = newDocument;
    model = newModel;
    lines = cliche::printedLines(document, model.group);
    for (int b = 0; b < 256; ++b)
        classes[b] = cliche::classify(static_cast<unsigned char>(b), model);
    longestLine = 0;
    for (const cliche::Line &line : lines)
        longestLine = std::max(longestLine, line.length);
    markOffset = -1;
    markLength = 0;
    updateScrollBars();
    viewport()->update();
}

int ReceiptPreview::paperColumns() const {
    return model.hasWidth() ? model.width : int(std::max<qsizetype>(longestLine, 1));
}

QChar ReceiptPreview::glyph(unsigned char byte) const {
    switch (classes[byte]) {
    case cliche::CharClass::Printable:
    case cliche::CharClass::SmallLetter:
        return cp1251::toChar(byte);
    default:
        return QLatin1Char('.');
    }
}

QString ReceiptPreview::rowText(int row) const {
    const cliche::Line &line = lines.at(row);
    QString text(line.length, Qt::Uninitialized);
    for (qsizetype k = 0; k < line.length; ++k)
        text[k] = glyph(static_cast<unsigned char>(document[line.start + k]));
    return text;
}

int ReceiptPreview::columnWidth() const {
    return qCeil(QFontMetricsF(font()).horizontalAdvance(QLatin1Char('0')));
}

int ReceiptPreview::rowHeight() const {
    return fontMetrics().height() + 2;
}

int ReceiptPreview::gutterWidth() const {
    const int digits = int(QString::number(std::max<qsizetype>(lines.size(), 9)).size());
    return (digits + 1) * columnWidth();
}

QSize ReceiptPreview::sizeHint() const {
    // Room for the paper and for some of what runs over its edge.
    const int columns = std::max(paperColumns(), 24) + 16;
    return {gutterWidth() + columns * columnWidth() + verticalScrollBar()->sizeHint().width() +
                2 * frameWidth(),
            rowHeight() * 16};
}

void ReceiptPreview::updateScrollBars() {
    const int visibleRows = std::max(1, (viewport()->height() - rowHeight()) / rowHeight());
    verticalScrollBar()->setRange(0, std::max(0, int(lines.size()) - visibleRows));
    verticalScrollBar()->setPageStep(visibleRows);
    const qsizetype columns = std::max<qsizetype>(paperColumns(), longestLine) + 2;
    const qsizetype width = gutterWidth() + columns * columnWidth();
    horizontalScrollBar()->setRange(
        0, int(std::clamp<qsizetype>(width - viewport()->width(), 0, INT_MAX)));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(columnWidth());
}

void ReceiptPreview::resizeEvent(QResizeEvent *event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void ReceiptPreview::mark(qsizetype offset, qsizetype length) {
    markOffset = offset;
    markLength = length;
    const auto after =
        std::upper_bound(lines.begin(), lines.end(), offset,
                         [](qsizetype o, const cliche::Line &l) { return o < l.start; });
    if (after != lines.begin()) {
        const int row = int(after - lines.begin() - 1);
        QScrollBar *rows = verticalScrollBar();
        if (row < rows->value() || row >= rows->value() + rows->pageStep())
            rows->setValue(row - rows->pageStep() / 2);
        const qsizetype x = (offset - lines[row].start) * columnWidth();
        QScrollBar *columns = horizontalScrollBar();
        const int textWidth = viewport()->width() - gutterWidth();
        if (x < columns->value() || x + columnWidth() > columns->value() + textWidth)
            columns->setValue(int(std::max<qsizetype>(0, x - textWidth / 2)));
    }
    viewport()->update();
}

void ReceiptPreview::mousePressEvent(QMouseEvent *event) {
    const QPoint at = event->position().toPoint();
    const int row = verticalScrollBar()->value() + (at.y() - rowHeight()) / rowHeight();
    const int x = at.x() - gutterWidth() + horizontalScrollBar()->value();
    if (at.y() < rowHeight() || x < 0 || row >= lines.size())
        return;
    const qsizetype column = x / columnWidth();
    if (column < lines[row].length)
        emit byteClicked(lines[row].start + column);
}

// Where the paint of the moment puts things: sizes in pixels, and the rows
// and columns in view.
struct ReceiptPreview::PaintView {
    int cw;
    int rh;
    int gutter;
    int left; // x of column 1
    int paper;
    QRect area;
    int ascent;
    int firstRow;
    int rowsInView;
    int firstColumn;
    int columnsInView;

    QRect cell(qsizetype column, int y) const { return QRect(left + int(column) * cw, y, cw, rh); }
};

ReceiptPreview::PaintView ReceiptPreview::paintView() const {
    PaintView view;
    view.cw = columnWidth();
    view.rh = rowHeight();
    view.gutter = gutterWidth();
    view.left = view.gutter - horizontalScrollBar()->value();
    view.paper = paperColumns();
    view.area = viewport()->rect();
    view.ascent = fontMetrics().ascent() + 1;
    view.firstRow = verticalScrollBar()->value();
    view.rowsInView = view.area.height() / view.rh + 1;
    view.firstColumn = std::max(0, (view.gutter - view.left) / view.cw);
    view.columnsInView = view.area.width() / view.cw + 2;
    return view;
}

void ReceiptPreview::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const PaintView view = paintView();
    painter.fillRect(view.area, outsideColor);
    painter.fillRect(QRect(view.left, 0, view.paper * view.cw, view.area.height()), paperColor);

    for (int i = 0; i < view.rowsInView && view.firstRow + i < lines.size(); ++i)
        paintRow(painter, view, view.firstRow + i, view.rh + i * view.rh);

    // The paper's edge, and the line after the last line the model takes.
    const int edge = view.left + view.paper * view.cw;
    painter.setPen(QPen(model.hasWidth() ? edgeColor : rulerInk, 1,
                        model.hasWidth() ? Qt::SolidLine : Qt::DashLine));
    painter.drawLine(edge, 0, edge, view.area.height());
    if (model.lineLimit > 0 && model.lineLimit >= view.firstRow) {
        const int y = view.rh + (model.lineLimit - view.firstRow) * view.rh;
        painter.setPen(QPen(edgeColor, 1, Qt::DashLine));
        painter.drawLine(view.left, y, view.area.width(), y);
    }
    paintRulers(painter, view);
}

void ReceiptPreview::drawGlyph(QPainter &painter, const PaintView &view, const QRect &cell,
                               QChar ch, const QColor &ink) const {
    painter.setPen(ink);
    painter.drawText(cell.x(), cell.y() + view.ascent, QString(ch));
}

void ReceiptPreview::paintRow(QPainter &painter, const PaintView &view, int row, int y) const {
    const QColor &beyondEdge = findingcolours::of(cliche::FindingKind::LineTooWide).background;
    const QColor &extraLine = findingcolours::of(cliche::FindingKind::TooManyLines).background;
    const cliche::Line &line = lines[row];
    if (model.lineLimit > 0 && row >= model.lineLimit)
        painter.fillRect(QRect(view.left, y, view.area.width(), view.rh), extraLine);
    const qsizetype end = std::min<qsizetype>(line.length, view.firstColumn + view.columnsInView);
    for (qsizetype k = view.firstColumn; k < end; ++k) {
        const qsizetype offset = line.start + k;
        const auto byte = static_cast<unsigned char>(document[offset]);
        const QRect r = view.cell(k, y);
        const bool beyond = model.hasWidth() && k >= model.width;
        // Beyond the edge, its colour takes the place of the character's own.
        const findingcolours::Marking &marking = markingOf(classes[byte]);
        if (beyond || marking.isMarked())
            painter.fillRect(r, beyond ? beyondEdge : marking.background);
        drawGlyph(painter, view, r, glyph(byte), marking.ink.isValid() ? marking.ink : inkColor);
    }
    paintMark(painter, view, line, y);
}

void ReceiptPreview::paintMark(QPainter &painter, const PaintView &view, const cliche::Line &line,
                               int y) const {
    // One frame around the marked characters of the row.
    const qsizetype markFrom = std::max(markOffset, line.start) - line.start;
    const qsizetype markTo =
        std::min(markOffset + markLength, line.start + line.length) - line.start;
    if (markLength > 0 && markFrom < markTo) {
        painter.setPen(QPen(inkColor, 1));
        painter.drawRect(
            QRect(view.cell(markFrom, y).topLeft(), view.cell(markTo - 1, y).bottomRight()));
    }
    // A mark on the line's break, or an empty one, is a bar.
    const qsizetype breakAt = line.start + line.length;
    const bool onBreak =
        markOffset >= breakAt && markOffset < breakAt + std::max(1, line.breakLength);
    if (onBreak || (markLength == 0 && markOffset >= line.start && markOffset < breakAt)) {
        painter.setPen(QPen(inkColor, 2));
        const int x = view.left + int(std::min(markOffset, breakAt) - line.start) * view.cw;
        painter.drawLine(x, y, x, y + view.rh - 1);
    }
}

// The ruler and the line numbers stay in place while the rows scroll.
void ReceiptPreview::paintRulers(QPainter &painter, const PaintView &view) const {
    const QRect &area = view.area;
    painter.fillRect(QRect(0, 0, area.width(), view.rh), outsideColor.lighter(104));
    for (int k = view.firstColumn; k < view.firstColumn + view.columnsInView; ++k)
        drawGlyph(painter, view, view.cell(k, 0), rulerMark(k + 1),
                  k < view.paper ? inkColor : rulerInk);
    painter.fillRect(QRect(0, 0, view.gutter, area.height()), outsideColor);
    for (int i = 0; i < view.rowsInView && view.firstRow + i < lines.size(); ++i) {
        const int row = view.firstRow + i;
        const bool extra = model.lineLimit > 0 && row >= model.lineLimit;
        painter.setPen(extra ? edgeColor : rulerInk);
        painter.drawText(QRect(0, view.rh + i * view.rh, view.gutter - view.cw / 2, view.rh),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(row + 1));
    }
}
