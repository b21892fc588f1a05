#include "clichecheckwindow.h"

#include "objectnames.h"

#include "base/russiancount.h"
#include "base/sizebounds.h"
#include "checks/clichefixes.h"
#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteeditor.h"
#include "document/byteselection.h"
#include "findingcolours.h"
#include "receiptpreview.h"

#include <QAction>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <array>

namespace {

// Typing is checked at most this often: on a 10K cliche the check takes
// about a millisecond, the list and the preview about ten to show.
constexpr int refreshDelayMs = 150;
// A binary file may have a finding per byte; the list shows the first ones.
constexpr qsizetype listedAtMost = 200;

QString shown(const ByteText &text) {
    return cp1251::toDisplayText(text);
}

using russiancount::countOf;

QString swatch(const findingcolours::Marking &marking) {
    return QStringLiteral("<span style=\"background:%1\">&nbsp;&nbsp;&nbsp;&nbsp;</span>&nbsp;%2")
        .arg(marking.background.name(), marking.caption);
}

} // namespace

ClicheCheckWindow::ClicheCheckWindow(ByteDocument *document, ByteSelection *documentSelection,
                                     QWidget *parent)
    : QWidget(parent, Qt::Window), doc(document), selection(documentSelection) {
    setObjectName(QLatin1String(objectnames::clicheCheckWindow));
    setWindowTitle(QStringLiteral("Проверка клише"));
    setAttribute(Qt::WA_DeleteOnClose);

    createControls();
    fillReplacementTable();

    refreshTimer.setSingleShot(true);
    refreshTimer.setInterval(refreshDelayMs);
    connect(&refreshTimer, &QTimer::timeout, this, &ClicheCheckWindow::refresh);
    connect(doc, &ByteDocument::changed, this, &ClicheCheckWindow::scheduleRefresh);
    connect(doc, &QObject::destroyed, this, &QWidget::close);

    for (QComboBox *box : {modelChoice, groupChoice})
        connect(box, &QComboBox::currentIndexChanged, this, &ClicheCheckWindow::modelChosen);
    for (QSpinBox *box : {widthBox, lineLimitBox})
        connect(box, &QSpinBox::valueChanged, this, &ClicheCheckWindow::modelChosen);
    connect(findingList, &QListWidget::currentRowChanged, this, &ClicheCheckWindow::findingChosen);
    connect(receiptPreview, &ReceiptPreview::byteClicked, this, [this](qsizetype offset) {
        if (selection)
            selection->selectRange(offset, 1);
        receiptPreview->mark(offset, 1);
    });
    connect(capitalsButton, &QPushButton::clicked, this, &ClicheCheckWindow::toCapitals);
    connect(replaceButton, &QPushButton::clicked, this, &ClicheCheckWindow::replaceUnprintable);

    // Escape closes the window, as it does a dialog.
    auto *closeWindow = new QAction(this);
    closeWindow->setShortcut(Qt::Key_Escape);
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);

    modelChosen();
    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * 140, metrics.height() * 34);
}

void ClicheCheckWindow::createControls() {
    QLayout *chooser = createModelChooser();
    modelLabel = new QLabel;
    modelLabel->setObjectName(QLatin1String(objectnames::modelLabel));

    receiptPreview = new ReceiptPreview;
    receiptPreview->setObjectName(QLatin1String(objectnames::receiptPreview));

    QWidget *findingsSide = createFindingsSide();

    auto *splitter = new QSplitter;
    splitter->addWidget(receiptPreview);
    splitter->addWidget(findingsSide);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes(
        {receiptPreview->sizeHint().width(), 2 * receiptPreview->sizeHint().width()});

    QLabel *legend = createLegend();

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(modelLabel);
    layout->addWidget(splitter, 1);
    layout->addWidget(legend);
}

// The model to check against; the fields of another model beside it.
QLayout *ClicheCheckWindow::createModelChooser() {
    modelChoice = new QComboBox;
    modelChoice->setObjectName(QLatin1String(objectnames::modelChoice));
    for (const cliche::RegisterModel &m : cliche::registerModels())
        modelChoice->addItem(m.name);
    modelChoice->addItem(cliche::otherModelName());

    groupChoice = new QComboBox;
    groupChoice->setObjectName(QLatin1String(objectnames::groupChoice));
    groupChoice->addItems({QStringLiteral("1251"), QStringLiteral("866")});
    widthBox = new QSpinBox;
    widthBox->setObjectName(QLatin1String(objectnames::widthBox));
    widthBox->setRange(cliche::minOtherWidth, cliche::maxOtherWidth);
    widthBox->setValue(24);
    lineLimitBox = new QSpinBox;
    lineLimitBox->setObjectName(QLatin1String(objectnames::lineLimitBox));
    lineLimitBox->setRange(0, cliche::maxOtherLineLimit);
    lineLimitBox->setSpecialValueText(QStringLiteral("без ограничения"));

    otherFields = new QWidget;
    otherFields->setObjectName(QLatin1String(objectnames::otherModelFields));
    auto *other = new QHBoxLayout(otherFields);
    other->setContentsMargins(0, 0, 0, 0);
    other->addWidget(new QLabel(QStringLiteral("Группа:")));
    other->addWidget(groupChoice);
    other->addWidget(new QLabel(QStringLiteral("Знаков в строке:")));
    other->addWidget(widthBox);
    other->addWidget(new QLabel(QStringLiteral("Строк:")));
    other->addWidget(lineLimitBox);

    auto *chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(QStringLiteral("Модель ККМ:")));
    chooser->addWidget(modelChoice);
    chooser->addWidget(otherFields);
    chooser->addStretch();
    return chooser;
}

// The findings, their summary, the fix buttons and the replacement table.
QWidget *ClicheCheckWindow::createFindingsSide() {
    findingList = new QListWidget;
    findingList->setObjectName(QLatin1String(objectnames::findingList));
    findingList->setWordWrap(true);
    findingList->setAlternatingRowColors(true);
    summaryLabel = new QLabel;
    summaryLabel->setObjectName(QLatin1String(objectnames::findingSummary));
    capitalsButton = new QPushButton(QStringLiteral("В верхний регистр"));
    capitalsButton->setObjectName(QLatin1String(objectnames::capitalsButton));
    capitalsButton->setToolTip(
        QStringLiteral("Русские и латинские строчные буквы в заглавные, ё в Ё"));
    replaceButton = new QPushButton(QStringLiteral("Заменить непечатаемые"));
    replaceButton->setObjectName(QLatin1String(objectnames::replaceButton));
    replaceButton->setToolTip(QStringLiteral("Знаки без кода группы 866 по таблице ниже; "
                                             "остальные только отмечаются"));
    replacementTable = new QTableWidget;
    replacementTable->setObjectName(QLatin1String(objectnames::replacementTable));

    auto *findingsSide = new QWidget;
    auto *side = new QVBoxLayout(findingsSide);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(new QLabel(QStringLiteral("Замечания:")));
    side->addWidget(findingList, 2);
    side->addWidget(summaryLabel);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(capitalsButton);
    buttons->addWidget(replaceButton);
    buttons->addStretch();
    side->addLayout(buttons);
    side->addWidget(replacementTable);
    return findingsSide;
}

QLabel *ClicheCheckWindow::createLegend() {
    QStringList swatches;
    for (const cliche::FindingKind kind : findingcolours::legend)
        swatches << swatch(findingcolours::of(kind));
    auto *legend = new QLabel(swatches.join(QStringLiteral("&nbsp;&nbsp; ")));
    legend->setObjectName(QLatin1String(objectnames::findingLegend));
    legend->setTextFormat(Qt::RichText);
    return legend;
}

void ClicheCheckWindow::fillReplacementTable() {
    const QList<cliche::Replacement> &rows = cliche::replacements866();
    // One column per replacement, read from top to bottom.
    replacementTable->setRowCount(2);
    replacementTable->setColumnCount(int(rows.size()));
    replacementTable->setVerticalHeaderLabels({QStringLiteral("Знак"), QStringLiteral("Замена")});
    replacementTable->horizontalHeader()->hide();
    replacementTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    replacementTable->setSelectionMode(QAbstractItemView::NoSelection);
    replacementTable->setFocusPolicy(Qt::NoFocus);
    const auto text = [](const ByteText &bytes) {
        // Spaces would show as nothing.
        if (bytes == "\xA0")
            return QStringLiteral("нераз. пробел");
        if (bytes == " ")
            return QStringLiteral("пробел");
        return shown(bytes);
    };
    for (int i = 0; i < rows.size(); ++i) {
        for (int row = 0; row < 2; ++row) {
            auto *item = new QTableWidgetItem(row == 0 ? text(ByteText(1, char(rows[i].from)))
                                                       : text(rows[i].to));
            item->setTextAlignment(Qt::AlignCenter);
            replacementTable->setItem(row, i, item);
        }
    }
    replacementTable->resizeColumnsToContents();
    replacementTable->resizeRowsToContents();
    replacementTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    replacementTable->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int height = replacementTable->rowHeight(0) + replacementTable->rowHeight(1) +
                       2 * replacementTable->frameWidth() +
                       replacementTable->horizontalScrollBar()->sizeHint().height();
    replacementTable->setFixedHeight(height);
}

cliche::RegisterModel ClicheCheckWindow::model() const {
    const QList<cliche::RegisterModel> &models = cliche::registerModels();
    const int index = modelChoice->currentIndex();
    if (index >= 0 && index < models.size())
        return models[index];
    return cliche::otherModel(groupChoice->currentIndex() == 1 ? cliche::Group::Cp866
                                                               : cliche::Group::Cp1251,
                              widthBox->value(), lineLimitBox->value());
}

void ClicheCheckWindow::modelChosen() {
    showModel();
    refresh();
}

void ClicheCheckWindow::showModel() {
    const cliche::RegisterModel m = model();
    otherFields->setVisible(modelChoice->currentIndex() >= cliche::registerModels().size());

    const bool is866 = m.group == cliche::Group::Cp866;
    QStringList facts{is866 ? QStringLiteral("группа 866") : QStringLiteral("группа 1251")};
    if (m.hasWidth())
        facts << countOf(m.width, "знак", "знака", "знаков") + QStringLiteral(" в строке");
    else
        facts << QStringLiteral("ширина не указана: длина строк не проверяется");
    if (m.lineLimit > 0)
        facts << QStringLiteral("не больше ") + countOf(m.lineLimit, "строки", "строк", "строк");
    if (m.capitalsOnly)
        facts << QStringLiteral("только большие русские буквы");
    facts << QStringLiteral("текст меньше 10К (%1 байт)").arg(cliche::textLimit);
    modelLabel->setText(facts.join(QStringLiteral(" · ")));

    capitalsButton->setVisible(m.capitalsOnly);
    replaceButton->setVisible(is866);
    replacementTable->setVisible(is866);
}

void ClicheCheckWindow::scheduleRefresh() {
    // While the user types, the check runs once per interval, not per key.
    if (!refreshTimer.isActive())
        refreshTimer.start();
}

void ClicheCheckWindow::refresh() {
    refreshTimer.stop();
    if (!doc)
        return;
    const bool tooLarge = doc->size() > sizebounds::checkedDocumentAtMost;
    checked = tooLarge ? ByteText() : doc->read(0, doc->size());
    const cliche::RegisterModel m = model();
    currentFindings = cliche::check(checked, m);
    receiptPreview->setContent(checked, m);
    showFindings();
    if (tooLarge)
        summaryLabel->setText(
            QStringLiteral("Документ больше %1 МиБ: такой текст не клише, проверка не выполняется")
                .arg(sizebounds::inMebibytes(sizebounds::checkedDocumentAtMost)));
    capitalsButton->setEnabled(cliche::toCapitals(checked) != checked);
    replaceButton->setEnabled(cliche::replaceUnprintable866(checked) != checked);
}

void ClicheCheckWindow::showFindings() {
    const QSignalBlocker blocker(findingList);
    findingList->clear();
    const qsizetype listed = std::min(currentFindings.size(), listedAtMost);
    // Each finding beside the colour the preview marks it with; one without
    // a colour keeps the place, so the texts stay in line.
    const int side = findingList->fontMetrics().ascent();
    std::array<QIcon, 6> swatches; // one for each kind
    const auto swatchOf = [&](cliche::FindingKind kind) {
        QIcon &icon = swatches.at(std::size_t(kind));
        if (icon.isNull()) {
            QPixmap square(side, side);
            const findingcolours::Marking &marking = findingcolours::of(kind);
            square.fill(marking.isMarked() ? marking.background : QColor(Qt::transparent));
            icon = QIcon(square);
        }
        return icon;
    };
    for (qsizetype i = 0; i < listed; ++i) {
        const cliche::Finding &f = currentFindings[i];
        new QListWidgetItem(
            swatchOf(f.kind),
            QStringLiteral("стр. %1, поз. %2: %3").arg(f.line).arg(f.column).arg(f.message),
            findingList);
    }
    if (currentFindings.size() > listed) {
        auto *more = new QListWidgetItem(
            QStringLiteral("… и ещё %1").arg(currentFindings.size() - listed), findingList);
        more->setFlags(Qt::NoItemFlags);
    }
    summaryLabel->setText(currentFindings.isEmpty()
                              ? QStringLiteral("Замечаний нет")
                              : QStringLiteral("Замечаний: %1").arg(currentFindings.size()));
}

void ClicheCheckWindow::findingChosen(int row) {
    if (row < 0 || row >= currentFindings.size())
        return;
    const cliche::Finding &f = currentFindings[row];
    if (selection)
        selection->selectRange(f.offset, f.length);
    receiptPreview->mark(f.offset, f.length);
}

void ClicheCheckWindow::apply(ByteText (*fix)(QByteArrayView)) {
    if (!doc)
        return;
    const ByteText before = doc->read(0, doc->size());
    if (const auto edit = ByteEditor(doc).rewrite(0, before.size(), fix(before))) {
        // The fixed bytes stay selected.
        if (selection)
            selection->selectRange(edit->offset, edit->length);
    }
    refresh();
}

void ClicheCheckWindow::toCapitals() {
    apply(cliche::toCapitals);
}

void ClicheCheckWindow::replaceUnprintable() {
    apply(cliche::replaceUnprintable866);
}
