#pragma once

#include <QDialog>

class QDialogButtonBox;
class QLabel;
class QLineEdit;

// A small dialog that asks for one entry: the entry line, a message that
// says why an entry was refused, and a confirm and a cancel button. It keeps
// the entry for the next time and opens with it selected, ready to be typed
// over; the message goes as soon as the entry is edited.
class EntryDialog : public QDialog {
    Q_OBJECT

public:
    int exec() override;

protected:
    // The names are the objectNames of the entry line and the confirm button.
    EntryDialog(QWidget *parent, const char *entryName, const QString &confirmCaption,
                const char *confirmName);

    // Checks the entry once the confirm button is pressed: accept() or refuse().
    virtual void confirm() = 0;
    // Shows why the entry is refused and gives the entry the focus back.
    void refuse(const QString &reason);

    QLineEdit *const entry;
    QLabel *const messageLabel;
    QDialogButtonBox *const buttons;
};
