#include "recoverydialog.h"
#include "objectnames.h"

#include "carettext.h"
#include "recoverytext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr int idRole = Qt::UserRole;
// Why the copy cannot be restored, as the dialog says it; empty for one
// that can.
constexpr int damageRole = Qt::UserRole + 1;

} // namespace

RecoveryDialog::RecoveryDialog(recovery::Store copies, QWidget *parent)
    : QDialog(parent), store(std::move(copies)) {
    setObjectName(QLatin1String(objectnames::recoveryWindow));
    setWindowTitle(tr("Восстановить несохранённое"));

    auto *aboutLabel =
        new QLabel(tr("Изменённые документы, которые не были сохранены: окно закрыли, открыли "
                      "другой файл или программа прервалась. Восстановленный документ "
                      "откроется несохранённым: сохраните его командой «Файл» → «Сохранить»."),
                   this);
    aboutLabel->setObjectName(QLatin1String(objectnames::recoveryAbout));
    aboutLabel->setWordWrap(true);

    copyList = new QTreeWidget(this);
    copyList->setObjectName(QLatin1String(objectnames::recoveryCopies));
    copyList->setHeaderLabels({tr("Записан"), tr("Размер"), tr("Файл")});
    copyList->setRootIsDecorated(false);
    copyList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    copyList->setAllColumnsShowFocus(true);
    copyList->header()->setStretchLastSection(true);

    emptyLabel = new QLabel(tr("Несохранённых документов нет."), this);
    emptyLabel->setObjectName(QLatin1String(objectnames::recoveryEmpty));

    damageLabel = new QLabel(this);
    damageLabel->setObjectName(QLatin1String(objectnames::recoveryDamage));
    damageLabel->setWordWrap(true);
    damageLabel->setTextFormat(Qt::PlainText);

    auto *buttons = new QDialogButtonBox(this);
    restoreButton = buttons->addButton(tr("&Восстановить"), QDialogButtonBox::AcceptRole);
    restoreButton->setObjectName(QLatin1String(objectnames::restoreButton));
    deleteButton = buttons->addButton(tr("&Удалить"), QDialogButtonBox::ActionRole);
    deleteButton->setObjectName(QLatin1String(objectnames::deleteButton));
    QPushButton *closeButton = buttons->addButton(tr("&Закрыть"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QLatin1String(objectnames::closeButton));
    // Enter restores the copy in the list, never closes by accident.
    restoreButton->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(aboutLabel);
    layout->addWidget(copyList);
    layout->addWidget(emptyLabel);
    layout->addWidget(damageLabel);
    layout->addWidget(buttons);

    // The restore button's own clicked() does it: the box's accepted() would
    // close the dialog with nothing chosen.
    connect(restoreButton, &QPushButton::clicked, this, &RecoveryDialog::restoreSelected);
    connect(deleteButton, &QPushButton::clicked, this, &RecoveryDialog::deleteSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(copyList, &QTreeWidget::itemSelectionChanged, this, &RecoveryDialog::updateButtons);
    connect(copyList, &QTreeWidget::currentItemChanged, this, &RecoveryDialog::showDamage);
    connect(copyList, &QTreeWidget::itemActivated, this, &RecoveryDialog::restoreSelected);

    refresh();
    resize(640, 320);
}

void RecoveryDialog::refresh() {
    copyList->clear();
    const QDateTime now = QDateTime::currentDateTime();
    for (const recovery::CopyInfo &copy : store.list()) {
        // A damaged copy's size is what its header says, which is wrong.
        const QString size = copy.damage.isEmpty() ? carettext::bytes(copy.size) : tr("повреждена");
        auto *item = new QTreeWidgetItem(
            copyList, {recoverytext::when(copy.written, now), size, recoverytext::origin(copy)});
        // A copy of edits whose file changed is whole: the file may come back.
        const QString why = !copy.damage.isEmpty() ? copy.damage + tr(" Её можно только удалить.")
                                                   : copy.originalChanged;
        item->setData(0, idRole, copy.id);
        item->setData(0, damageRole, why);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(2, recoverytext::origin(copy));
        if (!why.isEmpty()) {
            item->setToolTip(1, copy.damage.isEmpty() ? why : copy.damage);
            for (int column = 0; column < 3; ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    for (int column = 0; column < 2; ++column)
        copyList->resizeColumnToContents(column);
    const bool empty = copyList->topLevelItemCount() == 0;
    emptyLabel->setVisible(empty);
    if (!empty)
        copyList->setCurrentItem(copyList->topLevelItem(0));
    showDamage();
    updateButtons();
}

void RecoveryDialog::showDamage() {
    const QTreeWidgetItem *current = copyList->currentItem();
    const QString damage = current ? current->data(0, damageRole).toString() : QString();
    damageLabel->setText(damage);
    damageLabel->setVisible(!damage.isEmpty());
}

void RecoveryDialog::updateButtons() {
    const qsizetype selected = selectedIds().size();
    restoreButton->setEnabled(selected == 1 && !selectedIsDamaged());
    deleteButton->setEnabled(selected > 0);
}

bool RecoveryDialog::selectedIsDamaged() const {
    const QList<QTreeWidgetItem *> items = copyList->selectedItems();
    return std::any_of(items.cbegin(), items.cend(), [](const QTreeWidgetItem *item) {
        return !item->data(0, damageRole).toString().isEmpty();
    });
}

QStringList RecoveryDialog::selectedIds() const {
    QStringList ids;
    for (const QTreeWidgetItem *item : copyList->selectedItems())
        ids << item->data(0, idRole).toString();
    return ids;
}

void RecoveryDialog::restoreSelected() {
    const QStringList ids = selectedIds();
    if (ids.size() != 1 || selectedIsDamaged())
        return;
    chosen = ids.constFirst();
    accept();
}

// A copy that another window took meanwhile leaves the list as well.
void RecoveryDialog::deleteSelected() {
    for (const QString &id : selectedIds())
        store.remove(id);
    refresh();
}
