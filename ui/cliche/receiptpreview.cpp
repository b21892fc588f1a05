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

void ReceiptPreview::paintEvent(QPaintEvent *) {
    QPainter painter(viewport());
    const int cw = columnWidth();
    const int rh = rowHeight();
    const int gutter = gutterWidth();
    const int left = gutter - horizontalScrollBar()->value(); // x of column 1
    const int paper = paperColumns();
    const QRect area = viewport()->rect();
    const int ascent = fontMetrics().ascent() + 1;

    painter.fillRect(area, outsideColor);
    painter.fillRect(QRect(left, 0, paper * cw, area.height()), paperColor);

    const int firstRow = verticalScrollBar()->value();
    const int rowsInView = area.height() / rh + 1;
    const int firstColumn = std::max(0, (gutter - left) / cw);
    const int columnsInView = area.width() / cw + 2;

    const QColor &beyondEdge = findingcolours::of(cliche::FindingKind::LineTooWide).background;
    const QColor &extraLine = findingcolours::of(cliche::FindingKind::TooManyLines).background;

    auto cell = [&](int column, int y) { return QRect(left + column * cw, y, cw, rh); };
    auto draw = [&](const QRect &r, QChar ch, const QColor &ink) {
        painter.setPen(ink);
        painter.drawText(r.x(), r.y() + ascent, QString(ch));
    };

    for (int i = 0; i < rowsInView && firstRow + i < lines.size(); ++i) {
        const int row = firstRow + i;
        const cliche::Line &line = lines[row];
        const int y = rh + i * rh;
        if (model.lineLimit > 0 && row >= model.lineLimit)
            painter.fillRect(QRect(left, y, area.width(), rh), extraLine);
        const qsizetype end = std::min<qsizetype>(line.length, firstColumn + columnsInView);
        for (qsizetype k = firstColumn; k < end; ++k) {
            const qsizetype offset = line.start + k;
            const auto byte = static_cast<unsigned char>(document[offset]);
            const QRect r = cell(int(k), y);
            const bool beyond = model.hasWidth() && k >= model.width;
            // Beyond the edge, its colour takes the place of the character's own.
            const findingcolours::Marking &marking = markingOf(classes[byte]);
            if (beyond || marking.isMarked())
                painter.fillRect(r, beyond ? beyondEdge : marking.background);
            draw(r, glyph(byte), marking.ink.isValid() ? marking.ink : inkColor);
        }
        // One frame around the marked characters of the row.
        const qsizetype markFrom = std::max(markOffset, line.start) - line.start;
        const qsizetype markTo =
            std::min(markOffset + markLength, line.start + line.length) - line.start;
        if (markLength > 0 && markFrom < markTo) {
            painter.setPen(QPen(inkColor, 1));
            painter.drawRect(
                QRect(cell(int(markFrom), y).topLeft(), cell(int(markTo - 1), y).bottomRight()));
        }
        // A mark on the line's break, or an empty one, is a bar.
        const qsizetype breakAt = line.start + line.length;
        const bool onBreak =
            markOffset >= breakAt && markOffset < breakAt + std::max(1, line.breakLength);
        if (onBreak || (markLength == 0 && markOffset >= line.start && markOffset < breakAt)) {
            painter.setPen(QPen(inkColor, 2));
            const int x = left + int(std::min(markOffset, breakAt) - line.start) * cw;
            painter.drawLine(x, y, x, y + rh - 1);
        }
    }

    // The paper's edge, and the line after the last line the model takes.
    painter.setPen(QPen(model.hasWidth() ? edgeColor : rulerInk, 1,
                        model.hasWidth() ? Qt::SolidLine : Qt::DashLine));
    painter.drawLine(left + paper * cw, 0, left + paper * cw, area.height());
    if (model.lineLimit > 0 && model.lineLimit >= firstRow) {
        const int y = rh + (model.lineLimit - firstRow) * rh;
        painter.setPen(QPen(edgeColor, 1, Qt::DashLine));
        painter.drawLine(left, y, area.width(), y);
    }

    // The ruler and the line numbers stay in place while the rows scroll.
    painter.fillRect(QRect(0, 0, area.width(), rh), outsideColor.lighter(104));
    for (int k = firstColumn; k < firstColumn + columnsInView; ++k)
        draw(cell(k, 0), rulerMark(k + 1), k < paper ? inkColor : rulerInk);
    painter.fillRect(QRect(0, 0, gutter, area.height()), outsideColor);
    for (int i = 0; i < rowsInView && firstRow + i < lines.size(); ++i) {
        const int row = firstRow + i;
        const bool extra = model.lineLimit > 0 && row >= model.lineLimit;
        const QString number = QString::number(row + 1);
        painter.setPen(extra ? edgeColor : rulerInk);
        painter.drawText(QRect(0, rh + i * rh, gutter - cw / 2, rh),
                         Qt::AlignRight | Qt::AlignVCenter, number);
    }
}
