#pragma once

#include "checks/checksums.h"
#include "document/piecetable.h"

#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <vector>

class ByteDocument;
class ByteSelection;
class ChecksumJob;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

// "Контрольные суммы": the ten checksums of the selection, or of the whole
// document when nothing is selected, as the document was when the dialog
// opened. Each value has its copy button, and "Копировать все" copies the
// ten as lines "name: value". A large range is summed on a thread of its
// own with a progress bar, so the window never freezes; the dialog closes
// at any moment, which stops the summing.
//
// Modal: the sums belong to the bytes as they were when it opened, and an
// edit behind an open dialog would leave it showing sums of bytes no longer
// there. It is opened, read or copied from, and closed.
class ChecksumsDialog : public QDialog {
    Q_OBJECT

public:
    // [offset, offset + length) of snapshot, clamped to it.
    ChecksumsDialog(PieceTable snapshot, qint64 offset, qint64 length, QWidget *parent = nullptr);
    // The selection of document, or all of it when nothing is selected.
    ChecksumsDialog(const ByteDocument &document, const ByteSelection &selection,
                    QWidget *parent = nullptr);
    ~ChecksumsDialog() override;

    bool isComputing() const;
    // Empty while computing.
    const std::vector<checksums::Result> &results() const { return shown; }
    // What the sums are of: "Весь документ: 9 байт", "Выделение: 0x0010–0x0018, 9 байт".
    QString scopeText() const;

    // Ranges up to this size are summed at once (about 10 ms), larger ones
    // on a thread.
    static constexpr qint64 computeAtOnceBytes = 1024 * 1024;

    void done(int result) override;

signals:
    // The ten values are shown.
    void computed();

private:
    void showResults(std::vector<checksums::Result> results);
    void copy(const QString &text, const QString &what);

    QLabel *lblScope = nullptr;
    std::vector<QLineEdit *> valueFields;
    std::vector<QPushButton *> copyButtons;
    QProgressBar *prgSums = nullptr;
    QLabel *lblCopied = nullptr;
    QPushButton *cmdCopyAll = nullptr;
    QTimer copiedShown;

    QPointer<ChecksumJob> job;
    std::vector<checksums::Result> shown;
};
