#include "gotodialog.h"

#include "codepages/offsettext.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString bothBases(qint64 number) {
    return QStringLiteral("%1 (0x%2)").arg(number).arg(QString::number(number, 16).toUpper());
}

} // namespace

GotoDialog::GotoDialog(QWidget *parent)
    : EntryDialog(parent, "txtOffset", tr("Перейти"), "cmdGoto") {
    setObjectName(QStringLiteral("dlgGoto"));
    setWindowTitle(tr("Перейти к смещению"));

    lblPrompt = new QLabel(this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    lblPrompt->setBuddy(entry);
    lblPrompt->setWordWrap(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(entry);
    layout->addWidget(lblMessage);
    layout->addWidget(buttons);
    // Sized by its layout, so a refusal of two lines shows whole.
    entry->setMinimumWidth(380);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void GotoDialog::setDocumentSize(qsizetype size) {
    documentSize = size;
    lblPrompt->setText(tr("Смещение от 0 до %1 (конец документа),\nдесятичное (496) или "
                          "шестнадцатеричное (0x1F0, 1F0h):")
                           .arg(bothBases(size)));
}

void GotoDialog::confirm() {
    const QString text = entry->text().trimmed();
    const std::optional<qint64> offset = parseOffset(text);
    QString refusal;
    if (text.isEmpty())
        refusal = tr("Введите смещение.");
    else if (!offset)
        refusal = tr("«%1» — не смещение. Введите десятичное число (496) или "
                     "шестнадцатеричное (0x1F0 или 1F0h).")
                      .arg(text);
    else if (*offset > documentSize)
        refusal = tr("Смещение %1 за концом документа. Размер документа: %2 байт.")
                      .arg(text, bothBases(documentSize));
    if (!refusal.isEmpty()) {
        refuse(refusal);
        entry->selectAll();
        return;
    }
    confirmed = *offset;
    accept();
}
