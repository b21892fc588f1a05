#pragma once

#include "base/bytetext.h"
#include "checks/clichecheck.h"
#include "checks/registermodels.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

class ByteDocument;
class ByteSelection;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTableWidget;
class ReceiptPreview;

// The cliche check window: a register model to choose, the receipt as that
// model prints the document, the list of findings, and the fixes. It follows
// the document as the user types and changes it only through the fix
// buttons, each one undoable step of the document; a finding chosen selects
// its bytes. Like the code table window it has no owner window; it closes
// when its document goes.
class FrmCheck : public QWidget {
    Q_OBJECT

public:
    FrmCheck(ByteDocument *document, ByteSelection *selection, QWidget *parent = nullptr);

    cliche::RegisterModel model() const;
    const QList<cliche::Finding> &findings() const { return currentFindings; }

public slots:
    // Checks the document now, without waiting for the timer.
    void refresh();

private slots:
    void scheduleRefresh();
    void modelChosen();
    void findingChosen(int row);
    void toCapitals();
    void replaceUnprintable();

private:
    void createControls();
    void fillReplacementTable();
    void showModel();
    void showFindings();
    void apply(ByteText (*fix)(QByteArrayView));

    QPointer<ByteDocument> doc;
    QPointer<ByteSelection> selection;
    QTimer refreshTimer;
    // The bytes as last checked.
    ByteText checked;
    QList<cliche::Finding> currentFindings;

    QComboBox *cboModel = nullptr;
    QWidget *otherFields = nullptr;
    QComboBox *cboGroup = nullptr;
    QSpinBox *spnWidth = nullptr;
    QSpinBox *spnLines = nullptr;
    QLabel *lblModel = nullptr;
    ReceiptPreview *prvReceipt = nullptr;
    QListWidget *lstFindings = nullptr;
    QLabel *lblSummary = nullptr;
    QPushButton *cmdUpper = nullptr;
    QPushButton *cmdReplace = nullptr;
    QTableWidget *tblReplacements = nullptr;
};
