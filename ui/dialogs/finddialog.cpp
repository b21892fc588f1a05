#include "finddialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget *parent) : EntryDialog(parent, "txtFind", tr("Найти"), "cmdFind") {
    setObjectName(QStringLiteral("dlgFind"));
    setWindowTitle(tr("Найти"));
    entry->setMinimumWidth(320);

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

    auto *form = new QFormLayout;
    form->addRow(tr("Что искать:"), entry);
    form->addRow(tr("Образец:"), kinds);
    form->addRow(QString(), chkIgnoreCase);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(lblMessage);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The keyboard reaches the options before the buttons below them.
    setTabOrder(entry, optText1251);
    setTabOrder(optText1251, optText866);
    setTabOrder(optText866, optHex);
    setTabOrder(optHex, chkIgnoreCase);

    for (QRadioButton *option : {optText1251, optText866, optHex})
        connect(option, &QRadioButton::toggled, this, &FindDialog::updateCaseOption);
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
        search::parsePattern(entry->text(), kind(), chkIgnoreCase->isChecked());
    if (!parsed.pattern) {
        refuse(parsed.error);
        return;
    }
    confirmed = std::move(parsed.pattern);
    accept();
}
