#include "valuespanel.h"

#include "carettext.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "objectnames.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QStyle>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

// How long "Скопировано" stays under the rows.
constexpr int copiedShownMs = 3000;

// Rows with every label and the longest values: each control byte's name,
// the widest integers, a date with its time.
std::vector<caretvalues::Row> rowsOfEveryKind() {
    QList<QByteArray> samples = {QByteArray::fromHex("3112242359"), QByteArray::fromHex("00000080"),
                                 QByteArray::fromHex("FFFFFFFF"), QByteArray::fromHex("80")};
    for (int byte = 0; byte < 32; ++byte)
        samples << QByteArray(1, char(byte));
    samples << QByteArray(1, char(127));
    std::vector<caretvalues::Row> rows;
    for (const QByteArray &sample : samples) {
        const std::vector<caretvalues::Row> more = caretvalues::rows(sample);
        rows.insert(rows.end(), more.begin(), more.end());
    }
    return rows;
}

} // namespace

ValuesPanel::ValuesPanel(QWidget *parent)
    : QWidget(parent), lblOffset(new QLabel(this)), lstValues(new QTreeWidget(this)),
      lblCopied(new QLabel(this)) {
    setObjectName(QLatin1String(objectnames::valuesPanel));
    setWindowTitle(tr("Значения"));

    lblOffset->setObjectName(QStringLiteral("lblOffset"));
    lblOffset->setTextFormat(Qt::PlainText);
    lblOffset->setTextInteractionFlags(Qt::TextSelectableByMouse);

    lstValues->setObjectName(QStringLiteral("lstValues"));
    lstValues->setColumnCount(2);
    lstValues->setHeaderLabels({tr("Как читать"), tr("Значение")});
    lstValues->setRootIsDecorated(false);
    lstValues->setUniformRowHeights(true);
    lstValues->setSelectionMode(QAbstractItemView::SingleSelection);
    lstValues->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lstValues->header()->setStretchLastSection(true);
    lstValues->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    lstValues->setToolTip(tr("Щелчок по строке копирует значение"));
    // A click copies; Enter on the current row too.
    connect(lstValues, &QTreeWidget::itemClicked, this, &ValuesPanel::copyValue);
    connect(lstValues, &QTreeWidget::itemActivated, this, &ValuesPanel::copyValue);

    lblCopied->setObjectName(QStringLiteral("lblCopied"));
    lblCopied->setTextFormat(Qt::PlainText);
    copiedShown.setSingleShot(true);
    copiedShown.setInterval(copiedShownMs);
    connect(&copiedShown, &QTimer::timeout, lblCopied, &QLabel::clear);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(lblOffset);
    layout->addWidget(lstValues, 1);
    layout->addWidget(lblCopied);

    refresh();
}

void ValuesPanel::follow(ByteDocument *newDocument, ByteSelection *newSelection) {
    if (document)
        disconnect(document, nullptr, this, nullptr);
    if (selection)
        disconnect(selection, nullptr, this, nullptr);
    document = newDocument;
    selection = newSelection;
    // The selection moves with an edit before this panel hears of it, as it
    // listens to the document from its construction on; either signal reads
    // again, and the second finds nothing new.
    if (document)
        connect(document, &ByteDocument::changed, this, &ValuesPanel::refresh);
    if (selection)
        connect(selection, &ByteSelection::changed, this, &ValuesPanel::refresh);
    shownOffset = -1;
    refresh();
}

void ValuesPanel::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    refresh();
}

void ValuesPanel::refresh() {
    // Hidden, it reads nothing; what it shows is compared anew when shown.
    if (!isVisible() && shownOffset >= 0)
        return;
    const qint64 size = document && selection ? document->size() : 0;
    const qint64 offset = document && selection ? std::min(selection->start(), size) : 0;
    const QByteArray bytes =
        size > 0 ? document->read(offset, caretvalues::bytesRead) : QByteArray();
    if (offset == shownOffset && bytes == shownBytes && size == shownSize)
        return;
    shownOffset = offset;
    shownSize = size;
    shownBytes = bytes;

    QString where;
    if (!document || !selection)
        where = tr("Нет документа");
    else if (size == 0)
        where = tr("Документ пуст");
    else if (bytes.isEmpty())
        where = carettext::offset(offset, size) + tr(": конец документа");
    else
        where = carettext::offset(offset, size) + QStringLiteral(": ") +
                QString::fromLatin1(bytes.toHex(' ').toUpper());
    lblOffset->setText(where);
    showRows(caretvalues::rows(bytes));
}

// Items are kept and only their texts set, so a caret move that leaves the
// rows' labels as they were changes values only.
void ValuesPanel::showRows(std::vector<caretvalues::Row> rows) {
    const int count = int(rows.size());
    while (lstValues->topLevelItemCount() > count)
        delete lstValues->takeTopLevelItem(lstValues->topLevelItemCount() - 1);
    while (lstValues->topLevelItemCount() < count)
        lstValues->addTopLevelItem(new QTreeWidgetItem(lstValues));
    for (int i = 0; i < count; ++i) {
        QTreeWidgetItem *item = lstValues->topLevelItem(i);
        if (item->text(0) != rows[std::size_t(i)].label)
            item->setText(0, rows[std::size_t(i)].label);
        if (item->text(1) != rows[std::size_t(i)].value) {
            item->setText(1, rows[std::size_t(i)].value);
            // A long control name may not fit the column.
            item->setToolTip(1, rows[std::size_t(i)].value);
        }
    }
    shownRows = std::move(rows);
}

void ValuesPanel::copyValue(QTreeWidgetItem *item) {
    const int row = lstValues->indexOfTopLevelItem(item);
    if (row < 0 || row >= int(shownRows.size()))
        return;
    const caretvalues::Row &copied = shownRows[std::size_t(row)];
    QApplication::clipboard()->setText(copied.value);
    lblCopied->setText(tr("Скопировано: %1 = %2").arg(copied.label, copied.value));
    copiedShown.start();
    emit valueCopied(copied.value);
}

QSize ValuesPanel::sizeHint() const {
    // The longest label beside the longest value, each whole, without a
    // scroll bar: a row's value is never cut, whatever the caret's bytes.
    const QFontMetrics metrics = lstValues->fontMetrics();
    const int frames = 2 * lstValues->frameWidth() + layout()->contentsMargins().left() +
                       layout()->contentsMargins().right();
    const int scrollBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, lstValues);
    // The gap the view leaves around a cell's text, and some air.
    const int gap =
        2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, lstValues) + 1) +
        2 * metrics.averageCharWidth();
    int labels = 0;
    int values = 0;
    for (const caretvalues::Row &row : rowsOfEveryKind()) {
        labels = qMax(labels, metrics.horizontalAdvance(row.label));
        values = qMax(values, metrics.horizontalAdvance(row.value));
    }
    return {labels + values + 2 * gap + frames + scrollBar, QWidget::sizeHint().height()};
}
