#include "recoverydialog.h"

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
// Why the copy cannot be restored; empty for a whole one.
constexpr int damageRole = Qt::UserRole + 1;

} // namespace

RecoveryDialog::RecoveryDialog(recovery::Store copies, QWidget *parent)
    : QDialog(parent), store(std::move(copies)) {
    setObjectName(QStringLiteral("frmRecovery"));
    setWindowTitle(tr("Восстановить несохранённое"));

    auto *lblAbout =
        new QLabel(tr("Изменённые документы, которые не были сохранены: окно закрыли, открыли "
                      "другой файл или программа прервалась. Восстановленный документ "
                      "откроется несохранённым: сохраните его командой «Файл» → «Сохранить»."),
                   this);
    lblAbout->setObjectName(QStringLiteral("lblAbout"));
    lblAbout->setWordWrap(true);

    lstCopies = new QTreeWidget(this);
    lstCopies->setObjectName(QStringLiteral("lstCopies"));
    lstCopies->setHeaderLabels({tr("Записан"), tr("Размер"), tr("Файл")});
    lstCopies->setRootIsDecorated(false);
    lstCopies->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstCopies->setAllColumnsShowFocus(true);
    lstCopies->header()->setStretchLastSection(true);

    lblEmpty = new QLabel(tr("Несохранённых документов нет."), this);
    lblEmpty->setObjectName(QStringLiteral("lblEmpty"));

    lblDamage = new QLabel(this);
    lblDamage->setObjectName(QStringLiteral("lblDamage"));
    lblDamage->setWordWrap(true);
    lblDamage->setTextFormat(Qt::PlainText);

    auto *buttons = new QDialogButtonBox(this);
    cmdRestore = buttons->addButton(tr("&Восстановить"), QDialogButtonBox::AcceptRole);
    cmdRestore->setObjectName(QStringLiteral("cmdRestore"));
    cmdDelete = buttons->addButton(tr("&Удалить"), QDialogButtonBox::ActionRole);
    cmdDelete->setObjectName(QStringLiteral("cmdDelete"));
    QPushButton *cmdClose = buttons->addButton(tr("&Закрыть"), QDialogButtonBox::RejectRole);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    // Enter restores the copy in the list, never closes by accident.
    cmdRestore->setDefault(true);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblAbout);
    layout->addWidget(lstCopies);
    layout->addWidget(lblEmpty);
    layout->addWidget(lblDamage);
    layout->addWidget(buttons);

    // The restore button's own clicked() does it: the box's accepted() would
    // close the dialog with nothing chosen.
    connect(cmdRestore, &QPushButton::clicked, this, &RecoveryDialog::restoreSelected);
    connect(cmdDelete, &QPushButton::clicked, this, &RecoveryDialog::deleteSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lstCopies, &QTreeWidget::itemSelectionChanged, this, &RecoveryDialog::updateButtons);
    connect(lstCopies, &QTreeWidget::currentItemChanged, this, &RecoveryDialog::showDamage);
    connect(lstCopies, &QTreeWidget::itemActivated, this, &RecoveryDialog::restoreSelected);

    refresh();
    resize(640, 320);
}

void RecoveryDialog::refresh() {
    lstCopies->clear();
    const QDateTime now = QDateTime::currentDateTime();
    for (const recovery::CopyInfo &copy : store.list()) {
        // A damaged copy's size is what its header says, which is wrong.
        const QString size = copy.damage.isEmpty() ? carettext::bytes(copy.size) : tr("повреждена");
        auto *item = new QTreeWidgetItem(
            lstCopies, {recoverytext::when(copy.written, now), size, recoverytext::origin(copy)});
        item->setData(0, idRole, copy.id);
        item->setData(0, damageRole, copy.damage);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(2, recoverytext::origin(copy));
        if (!copy.damage.isEmpty()) {
            item->setToolTip(1, copy.damage);
            for (int column = 0; column < 3; ++column)
                item->setForeground(column, palette().brush(QPalette::Disabled, QPalette::Text));
        }
    }
    for (int column = 0; column < 2; ++column)
        lstCopies->resizeColumnToContents(column);
    const bool empty = lstCopies->topLevelItemCount() == 0;
    lblEmpty->setVisible(empty);
    if (!empty)
        lstCopies->setCurrentItem(lstCopies->topLevelItem(0));
    showDamage();
    updateButtons();
}

void RecoveryDialog::showDamage() {
    const QTreeWidgetItem *current = lstCopies->currentItem();
    const QString damage = current ? current->data(0, damageRole).toString() : QString();
    lblDamage->setText(damage + tr(" Её можно только удалить."));
    lblDamage->setVisible(!damage.isEmpty());
}

void RecoveryDialog::updateButtons() {
    const qsizetype selected = selectedIds().size();
    cmdRestore->setEnabled(selected == 1 && !selectedIsDamaged());
    cmdDelete->setEnabled(selected > 0);
}

bool RecoveryDialog::selectedIsDamaged() const {
    const QList<QTreeWidgetItem *> items = lstCopies->selectedItems();
    return std::any_of(items.cbegin(), items.cend(), [](const QTreeWidgetItem *item) {
        return !item->data(0, damageRole).toString().isEmpty();
    });
}

QStringList RecoveryDialog::selectedIds() const {
    QStringList ids;
    for (const QTreeWidgetItem *item : lstCopies->selectedItems())
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
