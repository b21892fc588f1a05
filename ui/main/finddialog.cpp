#include "finddialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("dlgFind"));
    setWindowTitle(tr("Найти"));

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setMinimumWidth(320);

    optText1251 = new QRadioButton(tr("Текст &1251"), this);
    optText1251->setObjectName(QStringLiteral("optText1251"));
    optText1251->setChecked(true);
    optText866 = new QRadioButton(tr("Текст &866"), this);
    optText866->setObjectName(QStringLiteral("optText866"));
    optHex = new QRadioButton(tr("Байты &hex"), this);
    optHex->setObjectName(QStringLiteral("optHex"));
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(optText1251);
    kinds->addWidget(optText866);
    kinds->addWidget(optHex);
    kinds->addStretch();

    chkIgnoreCase = new QCheckBox(tr("Без учёта &регистра"), this);
    chkIgnoreCase->setObjectName(QStringLiteral("chkIgnoreCase"));

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setTextFormat(Qt::PlainText);
    lblMessage->setStyleSheet(QStringLiteral("color: #b00000"));
    lblMessage->hide();

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *cmdFind = buttons->addButton(tr("Найти"), QDialogButtonBox::AcceptRole);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setDefault(true);
    QPushButton *cmdCancel = buttons->addButton(tr("Отмена"), QDialogButtonBox::RejectRole);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *form = new QFormLayout;
    form->addRow(tr("Что искать:"), txtFind);
    form->addRow(tr("Образец:"), kinds);
    form->addRow(QString(), chkIgnoreCase);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblMessage);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(buttons, &QDialogButtonBox::accepted, this, &FindDialog::confirm);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(txtFind, &QLineEdit::textEdited, lblMessage, &QLabel::hide);
    for (QRadioButton *option : {optText1251, optText866, optHex})
        connect(option, &QRadioButton::toggled, this, &FindDialog::updateCaseOption);
}

int FindDialog::exec() {
    lblMessage->hide();
    txtFind->selectAll();
    txtFind->setFocus();
    return QDialog::exec();
}

search::PatternKind FindDialog::kind() const {
    if (optText866->isChecked())
        return search::PatternKind::Text866;
    if (optHex->isChecked())
        return search::PatternKind::Hex;
    return search::PatternKind::Text1251;
}

// Hex bytes match exactly; only text has a case to ignore.
void FindDialog::updateCaseOption() {
    chkIgnoreCase->setEnabled(kind() != search::PatternKind::Hex);
    lblMessage->hide();
}

void FindDialog::confirm() {
    search::ParsedPattern parsed =
        search::parsePattern(txtFind->text(), kind(), chkIgnoreCase->isChecked());
    if (!parsed.pattern) {
        lblMessage->setText(parsed.error);
        lblMessage->show();
        txtFind->setFocus();
        return;
    }
    confirmed = std::move(parsed.pattern);
    accept();
}
