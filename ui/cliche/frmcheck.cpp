#include "frmcheck.h"

#include "objectnames.h"

#include "base/russiancount.h"
#include "base/sizebounds.h"
#include "checks/clichefixes.h"
#include "codepages/cp1251codec.h"
#include "document/bytedocument.h"
#include "document/byteedit.h"
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

FrmCheck::FrmCheck(ByteDocument *document, ByteSelection *documentSelection, QWidget *parent)
    : QWidget(parent, Qt::Window), doc(document), selection(documentSelection) {
    setObjectName(QLatin1String(objectnames::clicheCheckWindow));
    setWindowTitle(QStringLiteral("Проверка клише"));
    setAttribute(Qt::WA_DeleteOnClose);

    createControls();
    fillReplacementTable();

    refreshTimer.setSingleShot(true);
    refreshTimer.setInterval(refreshDelayMs);
    connect(&refreshTimer, &QTimer::timeout, this, &FrmCheck::refresh);
    connect(doc, &ByteDocument::changed, this, &FrmCheck::scheduleRefresh);
    connect(doc, &QObject::destroyed, this, &QWidget::close);

    connect(cboModel, &QComboBox::currentIndexChanged, this, &FrmCheck::modelChosen);
    connect(cboGroup, &QComboBox::currentIndexChanged, this, &FrmCheck::modelChosen);
    connect(spnWidth, &QSpinBox::valueChanged, this, &FrmCheck::modelChosen);
    connect(spnLines, &QSpinBox::valueChanged, this, &FrmCheck::modelChosen);
    connect(lstFindings, &QListWidget::currentRowChanged, this, &FrmCheck::findingChosen);
    connect(prvReceipt, &ReceiptPreview::byteClicked, this, [this](qsizetype offset) {
        if (selection)
            selection->selectRange(offset, 1);
        prvReceipt->mark(offset, 1);
    });
    connect(cmdUpper, &QPushButton::clicked, this, &FrmCheck::toCapitals);
    connect(cmdReplace, &QPushButton::clicked, this, &FrmCheck::replaceUnprintable);

    // Escape closes the window, as it does a dialog.
    auto *closeWindow = new QAction(this);
    closeWindow->setShortcut(Qt::Key_Escape);
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);

    modelChosen();
    const QFontMetrics metrics = fontMetrics();
    resize(metrics.averageCharWidth() * 140, metrics.height() * 34);
}

void FrmCheck::createControls() {
    cboModel = new QComboBox;
    cboModel->setObjectName(QStringLiteral("cboModel"));
    for (const cliche::RegisterModel &m : cliche::registerModels())
        cboModel->addItem(m.name);
    cboModel->addItem(cliche::otherModelName());

    cboGroup = new QComboBox;
    cboGroup->setObjectName(QStringLiteral("cboGroup"));
    cboGroup->addItems({QStringLiteral("1251"), QStringLiteral("866")});
    spnWidth = new QSpinBox;
    spnWidth->setObjectName(QStringLiteral("spnWidth"));
    spnWidth->setRange(cliche::minOtherWidth, cliche::maxOtherWidth);
    spnWidth->setValue(24);
    spnLines = new QSpinBox;
    spnLines->setObjectName(QStringLiteral("spnLines"));
    spnLines->setRange(0, cliche::maxOtherLineLimit);
    spnLines->setSpecialValueText(QStringLiteral("без ограничения"));

    otherFields = new QWidget;
    otherFields->setObjectName(QStringLiteral("otherFields"));
    auto *other = new QHBoxLayout(otherFields);
    other->setContentsMargins(0, 0, 0, 0);
    other->addWidget(new QLabel(QStringLiteral("Группа:")));
    other->addWidget(cboGroup);
    other->addWidget(new QLabel(QStringLiteral("Знаков в строке:")));
    other->addWidget(spnWidth);
    other->addWidget(new QLabel(QStringLiteral("Строк:")));
    other->addWidget(spnLines);

    auto *chooser = new QHBoxLayout;
    chooser->addWidget(new QLabel(QStringLiteral("Модель ККМ:")));
    chooser->addWidget(cboModel);
    chooser->addWidget(otherFields);
    chooser->addStretch();

    lblModel = new QLabel;
    lblModel->setObjectName(QStringLiteral("lblModel"));

    prvReceipt = new ReceiptPreview;
    prvReceipt->setObjectName(QStringLiteral("prvReceipt"));

    lstFindings = new QListWidget;
    lstFindings->setObjectName(QStringLiteral("lstFindings"));
    lstFindings->setWordWrap(true);
    lstFindings->setAlternatingRowColors(true);
    lblSummary = new QLabel;
    lblSummary->setObjectName(QStringLiteral("lblSummary"));
    cmdUpper = new QPushButton(QStringLiteral("В верхний регистр"));
    cmdUpper->setObjectName(QStringLiteral("cmdUpper"));
    cmdUpper->setToolTip(QStringLiteral("Русские и латинские строчные буквы в заглавные, ё в Ё"));
    cmdReplace = new QPushButton(QStringLiteral("Заменить непечатаемые"));
    cmdReplace->setObjectName(QStringLiteral("cmdReplace"));
    cmdReplace->setToolTip(QStringLiteral("Знаки без кода группы 866 по таблице ниже; "
                                          "остальные только отмечаются"));
    tblReplacements = new QTableWidget;
    tblReplacements->setObjectName(QStringLiteral("tblReplacements"));

    auto *findingsSide = new QWidget;
    auto *side = new QVBoxLayout(findingsSide);
    side->setContentsMargins(0, 0, 0, 0);
    side->addWidget(new QLabel(QStringLiteral("Замечания:")));
    side->addWidget(lstFindings, 2);
    side->addWidget(lblSummary);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(cmdUpper);
    buttons->addWidget(cmdReplace);
    buttons->addStretch();
    side->addLayout(buttons);
    side->addWidget(tblReplacements);

    auto *splitter = new QSplitter;
    splitter->addWidget(prvReceipt);
    splitter->addWidget(findingsSide);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setChildrenCollapsible(false);
    splitter->setSizes({prvReceipt->sizeHint().width(), 2 * prvReceipt->sizeHint().width()});

    QStringList swatches;
    for (const cliche::FindingKind kind : findingcolours::legend)
        swatches << swatch(findingcolours::of(kind));
    auto *legend = new QLabel(swatches.join(QStringLiteral("&nbsp;&nbsp; ")));
    legend->setObjectName(QStringLiteral("lblLegend"));
    legend->setTextFormat(Qt::RichText);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(chooser);
    layout->addWidget(lblModel);
    layout->addWidget(splitter, 1);
    layout->addWidget(legend);
}

void FrmCheck::fillReplacementTable() {
    const QList<cliche::Replacement> &rows = cliche::replacements866();
    // One column per replacement, read from top to bottom.
    tblReplacements->setRowCount(2);
    tblReplacements->setColumnCount(int(rows.size()));
    tblReplacements->setVerticalHeaderLabels({QStringLiteral("Знак"), QStringLiteral("Замена")});
    tblReplacements->horizontalHeader()->hide();
    tblReplacements->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblReplacements->setSelectionMode(QAbstractItemView::NoSelection);
    tblReplacements->setFocusPolicy(Qt::NoFocus);
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
            tblReplacements->setItem(row, i, item);
        }
    }
    tblReplacements->resizeColumnsToContents();
    tblReplacements->resizeRowsToContents();
    tblReplacements->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    tblReplacements->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const int height = tblReplacements->rowHeight(0) + tblReplacements->rowHeight(1) +
                       2 * tblReplacements->frameWidth() +
                       tblReplacements->horizontalScrollBar()->sizeHint().height();
    tblReplacements->setFixedHeight(height);
}

cliche::RegisterModel FrmCheck::model() const {
    const QList<cliche::RegisterModel> &models = cliche::registerModels();
    const int index = cboModel->currentIndex();
    if (index >= 0 && index < models.size())
        return models[index];
    return cliche::otherModel(cboGroup->currentIndex() == 1 ? cliche::Group::Cp866
                                                            : cliche::Group::Cp1251,
                              spnWidth->value(), spnLines->value());
}

void FrmCheck::modelChosen() {
    showModel();
    refresh();
}

void FrmCheck::showModel() {
    const cliche::RegisterModel m = model();
    otherFields->setVisible(cboModel->currentIndex() >= cliche::registerModels().size());

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
    lblModel->setText(facts.join(QStringLiteral(" · ")));

    cmdUpper->setVisible(m.capitalsOnly);
    cmdReplace->setVisible(is866);
    tblReplacements->setVisible(is866);
}

void FrmCheck::scheduleRefresh() {
    // While the user types, the check runs once per interval, not per key.
    if (!refreshTimer.isActive())
        refreshTimer.start();
}

void FrmCheck::refresh() {
    refreshTimer.stop();
    if (!doc)
        return;
    const bool tooLarge = doc->size() > sizebounds::checkedDocumentAtMost;
    checked = tooLarge ? ByteText() : doc->read(0, doc->size());
    const cliche::RegisterModel m = model();
    currentFindings = cliche::check(checked, m);
    prvReceipt->setContent(checked, m);
    showFindings();
    if (tooLarge)
        lblSummary->setText(
            QStringLiteral("Документ больше %1 МиБ: такой текст не клише, проверка не выполняется")
                .arg(sizebounds::inMebibytes(sizebounds::checkedDocumentAtMost)));
    cmdUpper->setEnabled(cliche::toCapitals(checked) != checked);
    cmdReplace->setEnabled(cliche::replaceUnprintable866(checked) != checked);
}

void FrmCheck::showFindings() {
    const QSignalBlocker blocker(lstFindings);
    lstFindings->clear();
    const qsizetype listed = std::min(currentFindings.size(), listedAtMost);
    // Each finding beside the colour the preview marks it with; one without
    // a colour keeps the place, so the texts stay in line.
    const int side = lstFindings->fontMetrics().ascent();
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
            lstFindings);
    }
    if (currentFindings.size() > listed) {
        auto *more = new QListWidgetItem(
            QStringLiteral("… и ещё %1").arg(currentFindings.size() - listed), lstFindings);
        more->setFlags(Qt::NoItemFlags);
    }
    lblSummary->setText(currentFindings.isEmpty()
                            ? QStringLiteral("Замечаний нет")
                            : QStringLiteral("Замечаний: %1").arg(currentFindings.size()));
}

void FrmCheck::findingChosen(int row) {
    if (row < 0 || row >= currentFindings.size())
        return;
    const cliche::Finding &f = currentFindings[row];
    if (selection)
        selection->selectRange(f.offset, f.length);
    prvReceipt->mark(f.offset, f.length);
}

void FrmCheck::apply(ByteText (*fix)(QByteArrayView)) {
    if (!doc)
        return;
    const ByteText before = doc->read(0, doc->size());
    if (const auto edit = byteedit::difference(before, fix(before))) {
        doc->replace(edit->offset, edit->length, edit->bytes);
        // The fixed bytes stay selected.
        if (selection)
            selection->selectRange(edit->offset, edit->bytes.size());
    }
    refresh();
}

void FrmCheck::toCapitals() {
    apply(cliche::toCapitals);
}

void FrmCheck::replaceUnprintable() {
    apply(cliche::replaceUnprintable866);
}
