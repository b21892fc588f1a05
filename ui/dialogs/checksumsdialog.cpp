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

    lblScope = new QLabel(this);
    lblScope->setObjectName(QStringLiteral("lblScope"));
    lblScope->setTextFormat(Qt::PlainText);
    if (range.offset == 0 && range.length == snapshot.size()) {
        lblScope->setText(tr("Весь документ: %1").arg(carettext::bytes(range.length)));
    } else {
        lblScope->setText(tr("Выделение: %1, %2")
                              .arg(carettext::range(range.offset, range.length, snapshot.size()),
                                   carettext::bytes(range.length)));
    }

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

    prgSums = new QProgressBar(this);
    prgSums->setObjectName(QStringLiteral("prgSums"));
    prgSums->setRange(0, 1000);
    prgSums->hide();

    lblCopied = new QLabel(this);
    lblCopied->setObjectName(QStringLiteral("lblCopied"));
    lblCopied->setTextFormat(Qt::PlainText);
    // Its line is kept while empty, so the buttons do not move.
    lblCopied->setMinimumHeight(lblCopied->fontMetrics().height());
    copiedShown.setSingleShot(true);
    copiedShown.setInterval(copiedShownMs);
    connect(&copiedShown, &QTimer::timeout, lblCopied, &QLabel::clear);

    auto *buttons = new QDialogButtonBox(this);
    cmdCopyAll = buttons->addButton(tr("Копировать все"), QDialogButtonBox::ActionRole);
    cmdCopyAll->setObjectName(QStringLiteral("cmdCopyAll"));
    cmdCopyAll->setAutoDefault(false);
    cmdCopyAll->setEnabled(false);
    connect(cmdCopyAll, &QPushButton::clicked, this, [this] {
        QStringList lines;
        for (const checksums::Result &result : shown)
            lines << result.name + QStringLiteral(": ") + result.value;
        copy(lines.join(u'\n') + u'\n', tr("все суммы"));
    });
    QPushButton *cmdClose = buttons->addButton(tr("Закрыть"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setDefault(true);
    // Not the first value: its frame would stand out as if it were chosen.
    cmdClose->setFocus();
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblScope);
    layout->addLayout(grid);
    layout->addWidget(prgSums);
    layout->addWidget(lblCopied);
    layout->addWidget(buttons);

    if (range.length <= computeAtOnceBytes) {
        showResults(checksums::of(snapshot, range.offset, range.length));
        return;
    }
    job = new ChecksumJob(std::move(snapshot), range.offset, range.length, this);
    prgSums->show();
    connect(job, &ChecksumJob::progress, this, [this](qint64 done, qint64 total) {
        prgSums->setValue(int(done * prgSums->maximum() / std::max<qint64>(total, 1)));
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
    return lblScope->text();
}

void ChecksumsDialog::showResults(std::vector<checksums::Result> results) {
    prgSums->hide();
    for (std::size_t i = 0; i < results.size() && i < valueFields.size(); ++i) {
        valueFields[i]->setText(results[i].value);
        copyButtons[i]->setEnabled(true);
    }
    cmdCopyAll->setEnabled(true);
    shown = std::move(results);
    emit computed();
}

void ChecksumsDialog::copy(const QString &text, const QString &what) {
    QApplication::clipboard()->setText(text);
    lblCopied->setText(tr("Скопировано: %1").arg(what));
    copiedShown.start();
}

// Closing stops the summing at once, whether or not the dialog is deleted.
void ChecksumsDialog::done(int result) {
    delete job;
    QDialog::done(result);
}
