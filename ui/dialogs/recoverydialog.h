#pragma once

#include "recovery/recoverystore.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTreeWidget;

// "Восстановить несохранённое": the recovery copies left by documents that
// were dropped unsaved or whose program was killed, newest first, each by
// when it was written, its size and the file it came from. The user picks
// one to restore (the dialog is accepted and chosenId() names it) or
// deletes those not wanted. A damaged copy is listed so that it can be
// deleted, and says why it cannot be restored; so is a copy of edits to a
// file changed since, which may be restored once the file is back. Copies that another running
// window holds are not listed.
class RecoveryDialog : public QDialog {
    Q_OBJECT

public:
    explicit RecoveryDialog(recovery::Store store, QWidget *parent = nullptr);

    // The copy to restore, once accepted.
    QString chosenId() const { return chosen; }

private:
    void refresh();
    void updateButtons();
    void showDamage();
    bool selectedIsDamaged() const;
    void restoreSelected();
    void deleteSelected();
    QStringList selectedIds() const;

    recovery::Store store;
    QTreeWidget *copyList;
    QLabel *emptyLabel;
    QLabel *damageLabel;
    QPushButton *restoreButton;
    QPushButton *deleteButton;
    QString chosen;
};
