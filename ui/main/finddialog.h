#pragma once

#include "search.h"

#include <QDialog>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

// Asks what to find: the pattern and its kind (text in code page 1251 or
// 866, or hex bytes) and whether text ignores case. A pattern that gives no
// bytes is refused in the dialog with the reason; the dialog keeps its
// entries for the next time.
class FindDialog : public QDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget *parent = nullptr);

    // The pattern last confirmed with "Найти", if any.
    const std::optional<search::Pattern> &pattern() const { return confirmed; }

    // Opens with the pattern's text selected, ready to be typed over.
    int exec() override;

private:
    void confirm();
    search::PatternKind kind() const;
    void updateCaseOption();

    QLineEdit *txtFind = nullptr;
    QRadioButton *optText1251 = nullptr;
    QRadioButton *optText866 = nullptr;
    QRadioButton *optHex = nullptr;
    QCheckBox *chkIgnoreCase = nullptr;
    QLabel *lblMessage = nullptr;
    std::optional<search::Pattern> confirmed;
};
