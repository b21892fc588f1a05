#include "recoverydialog.h"

#include "carettext.h"
#include "recoverytext.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

constexpr int idRole = Qt::UserRole;

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
    layout->addWidget(buttons);

    // The restore button's own clicked() does it: the box's accepted() would
    // close the dialog with nothing chosen.
    connect(cmdRestore, &QPushButton::clicked, this, &RecoveryDialog::restoreSelected);
    connect(cmdDelete, &QPushButton::clicked, this, &RecoveryDialog::deleteSelected);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(lstCopies, &QTreeWidget::itemSelectionChanged, this, &RecoveryDialog::updateButtons);
    connect(lstCopies, &QTreeWidget::itemActivated, this, &RecoveryDialog::restoreSelected);

    refresh();
    resize(640, 320);
}

void RecoveryDialog::refresh() {
    lstCopies->clear();
    const QDateTime now = QDateTime::currentDateTime();
    for (const recovery::CopyInfo &copy : store.list()) {
        auto *item = new QTreeWidgetItem(lstCopies,
                                         {recoverytext::when(copy.written, now),
                                          carettext::bytes(copy.size), recoverytext::origin(copy)});
        item->setData(0, idRole, copy.id);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(2, recoverytext::origin(copy));
    }
    for (int column = 0; column < 2; ++column)
        lstCopies->resizeColumnToContents(column);
    const bool empty = lstCopies->topLevelItemCount() == 0;
    lblEmpty->setVisible(empty);
    if (!empty)
        lstCopies->setCurrentItem(lstCopies->topLevelItem(0));
    updateButtons();
}

void RecoveryDialog::updateButtons() {
    const qsizetype selected = selectedIds().size();
    cmdRestore->setEnabled(selected == 1);
    cmdDelete->setEnabled(selected > 0);
}

QStringList RecoveryDialog::selectedIds() const {
    QStringList ids;
    for (const QTreeWidgetItem *item : lstCopies->selectedItems())
        ids << item->data(0, idRole).toString();
    return ids;
}

void RecoveryDialog::restoreSelected() {
    const QStringList ids = selectedIds();
    if (ids.size() != 1)
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
