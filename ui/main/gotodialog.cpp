#include "gotodialog.h"

#include "offsettext.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString bothBases(qint64 number) {
    return QStringLiteral("%1 (0x%2)").arg(number).arg(QString::number(number, 16).toUpper());
}

} // namespace

GotoDialog::GotoDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgGoto"));
    setWindowTitle(tr("Перейти к смещению"));

    lblPrompt = new QLabel(this);
    lblPrompt->setObjectName(QStringLiteral("lblPrompt"));
    txtOffset = new QLineEdit(this);
    txtOffset->setObjectName(QStringLiteral("txtOffset"));
    lblPrompt->setBuddy(txtOffset);
    lblPrompt->setWordWrap(true);

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    lblMessage->hide();

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cmdGoto = buttons->addButton(tr("Перейти"), QDialogButtonBox::AcceptRole);
    cmdGoto->setObjectName(QStringLiteral("cmdGoto"));
    cmdGoto->setDefault(true);
    QPushButton *cmdCancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblPrompt);
    layout->addWidget(txtOffset);
    layout->addWidget(lblMessage);
    layout->addWidget(buttons);
    setFixedWidth(420);

    connect(buttons, &QDialogButtonBox::accepted, this, &GotoDialog::confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(txtOffset, &QLineEdit::textEdited, lblMessage, &QLabel::hide);
}

void GotoDialog::setDocumentSize(qsizetype size) {
    documentSize = size;
    lblPrompt->setText(tr("Смещение от 0 до %1 (конец документа),\nдесятичное (496) или "
                          "шестнадцатеричное (0x1F0, 1F0h):")
                           .arg(bothBases(size)));
}

int GotoDialog::exec() {
    lblMessage->hide();
    txtOffset->selectAll();
    txtOffset->setFocus();
    return QDialog::exec();
}

void GotoDialog::confirm() {
    const QString text = txtOffset->text().trimmed();
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
        lblMessage->setText(refusal);
        lblMessage->show();
        txtOffset->setFocus();
        txtOffset->selectAll();
        return;
    }
    confirmed = *offset;
    accept();
}
