#include "entrydialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

EntryDialog::EntryDialog(QWidget *parent, const char *entryName, const QString &confirmCaption,
                         const char *confirmName)
    : QDialog(parent), entry(new QLineEdit(this)), lblMessage(new QLabel(this)),
      buttons(new QDialogButtonBox(this)) {
    entry->setObjectName(QLatin1String(entryName));

    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    lblMessage->hide();

    QPushButton *cmdConfirm = buttons->addButton(confirmCaption, QDialogButtonBox::AcceptRole);
    cmdConfirm->setObjectName(QLatin1String(confirmName));
    cmdConfirm->setDefault(true);
    QPushButton *cmdCancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(entry, &QLineEdit::textEdited, lblMessage, &QLabel::hide);
}

int EntryDialog::exec() {
    lblMessage->hide();
    entry->selectAll();
    entry->setFocus();
    return QDialog::exec();
}

void EntryDialog::refuse(const QString &reason) {
    lblMessage->setText(reason);
    lblMessage->show();
    entry->setFocus();
}
