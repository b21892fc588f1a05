#pragma once

#include "entrydialog.h"

// Asks for an offset in the document, decimal or hex. An offset past the
// end is refused in the dialog with the document's size; the size itself,
// the end of the document, is taken.
class GotoDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit GotoDialog(QWidget *parent = nullptr);

    // Sets the size offsets are checked against; call before exec().
    void setDocumentSize(qsizetype size);
    // The offset last confirmed with "Перейти".
    qsizetype offset() const { return confirmed; }

private:
    void confirm() override;

    QLabel *promptLabel = nullptr;
    qsizetype documentSize = 0;
    qsizetype confirmed = 0;
};
