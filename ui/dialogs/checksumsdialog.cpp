#include "checksumsdialog.h"

#include "carettext.h"
#include "checksumjob.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "objectnames.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int copiedShownMs = 3000;

struct Range {
    qint64 offset;
    qint64 length;
};

Range clamped(const PieceTable &table, qint64 offset, qint64 length) {
    offset = std::clamp<qint64>(offset, 0, table.size());
    return {offset, std::clamp<qint64>(length, 0, table.size() - offset)};
}

} // namespace

ChecksumsDialog::ChecksumsDialog(const ByteDocument &document, const ByteSelection &selection,
                                 QWidget *parent)
    : ChecksumsDialog(document.bytes(), selection.isEmpty() ? 0 : selection.start(),
                      selection.isEmpty() ? document.size() : selection.length(), parent) {}

ChecksumsDialog::ChecksumsDialog(PieceTable snapshot, qint64 offset, qint64 length, QWidget *parent)
    : QDialog(parent) {
    setObjectName(QLatin1String(objectnames::checksumsWindow));
    setWindowTitle(tr("Контрольные суммы"));
    const Range range = clamped(snapshot, offset, length);

    scopeLabel = new QLabel(this);
    scopeLabel->setObjectName(QLatin1String(objectnames::checksumsScope));
    scopeLabel->setTextFormat(Qt::PlainText);
    if (range.offset == 0 && range.length == snapshot.size()) {
        scopeLabel->setText(tr("Весь документ: %1").arg(carettext::bytes(range.length)));
    } else {
        scopeLabel->setText(tr("Выделение: %1, %2")
                                .arg(carettext::range(range.offset, range.length, snapshot.size()),
                                     carettext::bytes(range.length)));
    }
    QGridLayout *grid = createValueRows();

    sumsProgress = new QProgressBar(this);
    sumsProgress->setObjectName(QLatin1String(objectnames::checksumsProgress));
    sumsProgress->setRange(0, 1000);
    sumsProgress->hide();

    copiedLabel = new QLabel(this);
    copiedLabel->setObjectName(QLatin1String(objectnames::copiedNotice));
    copiedLabel->setTextFormat(Qt::PlainText);
    // Its line is kept while empty, so the buttons do not move.
    copiedLabel->setMinimumHeight(copiedLabel->fontMetrics().height());
    copiedShown.setSingleShot(true);
    copiedShown.setInterval(copiedShownMs);
    connect(&copiedShown, &QTimer::timeout, copiedLabel, &QLabel::clear);
    QDialogButtonBox *buttons = createButtons();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(scopeLabel);
    layout->addLayout(grid);
    layout->addWidget(sumsProgress);
    layout->addWidget(copiedLabel);
    layout->addWidget(buttons);

    if (range.length <= computeAtOnceBytes)
        showResults(checksums::of(snapshot, range.offset, range.length));
    else
        startJob(std::move(snapshot), range.offset, range.length);
}

// A row for each sum: its name, its value and its copy button.
QGridLayout *ChecksumsDialog::createValueRows() {
    // Hex values line up in a fixed face; the widest, SHA-256, shows whole.
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    const int valueWidth = QFontMetrics(fixed).horizontalAdvance(QString(66, u'0'));
    // The names as the core gives them, known before any value is.
    const std::vector<checksums::Result> names = checksums::Accumulator().results();
    auto *grid = new QGridLayout;
    grid->setColumnStretch(1, 1);
    for (int i = 0; i < int(names.size()); ++i) {
        const QString name = names[std::size_t(i)].name;
        auto *label = new QLabel(name, this);
        auto *value = new QLineEdit(this);
        value->setObjectName(QStringLiteral("txtSum%1").arg(i + 1));
        value->setReadOnly(true);
        value->setFont(fixed);
        value->setMinimumWidth(valueWidth);
        value->setPlaceholderText(tr("вычисляется…"));
        label->setBuddy(value);
        auto *copyButton = new QPushButton(tr("Копировать"), this);
        copyButton->setObjectName(QStringLiteral("cmdCopy%1").arg(i + 1));
        copyButton->setAutoDefault(false);
        copyButton->setEnabled(false);
        connect(copyButton, &QPushButton::clicked, this,
                [this, value, name] { copy(value->text(), name); });
        grid->addWidget(label, i, 0);
        grid->addWidget(value, i, 1);
        grid->addWidget(copyButton, i, 2);
        valueFields.push_back(value);
        copyButtons.push_back(copyButton);
    }
    return grid;
}

QDialogButtonBox *ChecksumsDialog::createButtons() {
    auto *buttons = new QDialogButtonBox(this);
    copyAllButton = buttons->addButton(tr("Копировать все"), QDialogButtonBox::ActionRole);
    copyAllButton->setObjectName(QLatin1String(objectnames::copyAllButton));
    copyAllButton->setAutoDefault(false);
    copyAllButton->setEnabled(false);
    connect(copyAllButton, &QPushButton::clicked, this, [this] {
        QStringList lines;
        for (const checksums::Result &result : shown)
            lines << result.name + QStringLiteral(": ") + result.value;
        copy(lines.join(u'\n') + u'\n', tr("все суммы"));
    });
    QPushButton *closeButton = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QLatin1String(objectnames::closeButton));
    closeButton->setDefault(true);
    // Not the first value: its frame would stand out as if it were chosen.
    closeButton->setFocus();
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    return buttons;
}

void ChecksumsDialog::startJob(PieceTable snapshot, qint64 offset, qint64 length) {
    job = new ChecksumJob(std::move(snapshot), offset, length, this);
    sumsProgress->show();
    connect(job, &ChecksumJob::progress, this, [this](qint64 done, qint64 total) {
        sumsProgress->setValue(int(done * sumsProgress->maximum() / std::max<qint64>(total, 1)));
    });
    connect(job, &ChecksumJob::finished, this, [this] {
        // Deleted later: this runs inside the job's own signal.
        ChecksumJob *finished = job;
        job = nullptr;
        finished->deleteLater();
        showResults(finished->results());
    });
}

ChecksumsDialog::~ChecksumsDialog() = default;

bool ChecksumsDialog::isComputing() const {
    return job != nullptr;
}

QString ChecksumsDialog::scopeText() const {
    return scopeLabel->text();
}

void ChecksumsDialog::showResults(std::vector<checksums::Result> results) {
    sumsProgress->hide();
    for (std::size_t i = 0; i < results.size() && i < valueFields.size(); ++i) {
        valueFields[i]->setText(results[i].value);
        copyButtons[i]->setEnabled(true);
    }
    copyAllButton->setEnabled(true);
    shown = std::move(results);
    emit computed();
}

void ChecksumsDialog::copy(const QString &text, const QString &what) {
    QApplication::clipboard()->setText(text);
    copiedLabel->setText(tr("Скопировано: %1").arg(what));
    copiedShown.start();
}

// Closing stops the summing at once, whether or not the dialog is deleted.
void ChecksumsDialog::done(int result) {
    delete job;
    QDialog::done(result);
}
