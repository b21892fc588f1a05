#include "entrydialog.h"
#include "objectnames.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

EntryDialog::EntryDialog(QWidget *parent, const char *entryName, const QString &confirmCaption,
                         const char *confirmName)
    : QDialog(parent), entry(new QLineEdit(this)), messageLabel(new QLabel(this)),
      buttons(new QDialogButtonBox(this)) {
    entry->setObjectName(QLatin1String(entryName));

    messageLabel->setObjectName(QLatin1String(objectnames::entryMessage));
    messageLabel->setWordWrap(true);
    messageLabel->setTextFormat(Qt::PlainText);
    messageLabel->setStyleSheet(QStringLiteral("color: #b00000"));
    messageLabel->hide();

    QPushButton *confirmButton = buttons->addButton(confirmCaption, QDialogButtonBox::AcceptRole);
    confirmButton->setObjectName(QLatin1String(confirmName));
    confirmButton->setDefault(true);
    QPushButton *cancelButton = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cancelButton->setObjectName(QLatin1String(objectnames::cancelButton));

    connect(buttons, &QDialogButtonBox::accepted, this, [this] { confirm(); });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(entry, &QLineEdit::textEdited, messageLabel, &QLabel::hide);
}

int EntryDialog::exec() {
    messageLabel->hide();
    entry->selectAll();
    entry->setFocus();
    return QDialog::exec();
}

void EntryDialog::refuse(const QString &reason) {
    messageLabel->setText(reason);
    messageLabel->show();
    entry->setFocus();
}
