#include "finddialog.h"
#include "objectnames.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

FindDialog::FindDialog(QWidget *parent)
    : EntryDialog(parent, objectnames::findText, tr("Найти"), objectnames::findButton) {
    setObjectName(QLatin1String(objectnames::findDialog));
    setWindowTitle(tr("Найти"));
    entry->setMinimumWidth(320);

    text1251Option = new QRadioButton(tr("Текст &1251"), this);
    text1251Option->setObjectName(QLatin1String(objectnames::text1251Option));
    text1251Option->setChecked(true);
    text866Option = new QRadioButton(tr("Текст &866"), this);
    text866Option->setObjectName(QLatin1String(objectnames::text866Option));
    hexOption = new QRadioButton(tr("Байты &hex"), this);
    hexOption->setObjectName(QLatin1String(objectnames::hexOption));
    auto *kinds = new QHBoxLayout;
    kinds->addWidget(text1251Option);
    kinds->addWidget(text866Option);
    kinds->addWidget(hexOption);
    kinds->addStretch();

    ignoreCaseBox = new QCheckBox(tr("Без учёта &регистра"), this);
    ignoreCaseBox->setObjectName(QLatin1String(objectnames::ignoreCaseOption));

    auto *form = new QFormLayout;
    form->addRow(tr("Что искать:"), entry);
    form->addRow(tr("Образец:"), kinds);
    form->addRow(QString(), ignoreCaseBox);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(messageLabel);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The keyboard reaches the options before the buttons below them.
    setTabOrder(entry, text1251Option);
    setTabOrder(text1251Option, text866Option);
    setTabOrder(text866Option, hexOption);
    setTabOrder(hexOption, ignoreCaseBox);

    for (QRadioButton *option : {text1251Option, text866Option, hexOption})
        connect(option, &QRadioButton::toggled, this, &FindDialog::updateCaseOption);
}

search::PatternKind FindDialog::kind() const {
    if (text866Option->isChecked())
        return search::PatternKind::Text866;
    if (hexOption->isChecked())
        return search::PatternKind::Hex;
    return search::PatternKind::Text1251;
}

// Hex bytes match exactly; only text has a case to ignore.
void FindDialog::updateCaseOption() {
    ignoreCaseBox->setEnabled(kind() != search::PatternKind::Hex);
    messageLabel->hide();
}

void FindDialog::confirm() {
    search::ParsedPattern parsed =
        search::parsePattern(entry->text(), kind(), ignoreCaseBox->isChecked());
    if (!parsed.pattern) {
        refuse(parsed.error);
        return;
    }
    confirmed = std::move(parsed.pattern);
    accept();
}
