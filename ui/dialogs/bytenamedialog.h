#pragma once

#include <QFileDialog>

class ByteNameProxy;
class QAbstractItemView;
class QLineEdit;

// The open and save dialogs: Qt's file dialog prepared by prepareFileDialog,
// which also lists the files whose names are not UTF-8 (as "\xCF"). Such a
// file is chosen as any other, by a click, the keys or its shown name typed,
// and comes back by its bytes. A name that Qt decoded lossily, as
// selectFile() with a name not in UTF-8 leaves it, is let through for
// nativename::resolveLossy to find.
class ByteNameDialog : public QFileDialog {
    Q_OBJECT

public:
    explicit ByteNameDialog(QWidget *parent = nullptr, const QString &caption = {});

    // After the dialog was accepted: the file it listed by its bytes, as
    // nativename::decode gives the path; empty when another was chosen.
    QString chosenByBytes() const { return chosen; }

    // Proposes the file: as selectFile() does, and a name that is not UTF-8
    // as the list shows it.
    void proposeFile(const QString &path);

    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ByteNameProxy *names() const;
    // The listed file that is selected, or else whose shown name is typed.
    QString listedChoice() const;
    void selectionChanged();

    QList<QAbstractItemView *> views; // the list and the details
    QLineEdit *nameEdit = nullptr;
    QString chosen;
};
