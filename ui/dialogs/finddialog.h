#pragma once

#include "document/search.h"
#include "entrydialog.h"

#include <optional>

class QCheckBox;
class QRadioButton;

// Asks what to find: the pattern and its kind (text in code page 1251 or
// 866, or hex bytes) and whether text ignores case. A pattern that gives no
// bytes is refused in the dialog with the reason; the dialog keeps its
// entries for the next time.
class FindDialog : public EntryDialog {
    Q_OBJECT

public:
    explicit FindDialog(QWidget *parent = nullptr);

    // The pattern last confirmed with "Найти", if any.
    const std::optional<search::Pattern> &pattern() const { return confirmed; }

private:
    void confirm() override;
    search::PatternKind kind() const;
    void updateCaseOption();

    QRadioButton *optText1251 = nullptr;
    QRadioButton *optText866 = nullptr;
    QRadioButton *optHex = nullptr;
    QCheckBox *chkIgnoreCase = nullptr;
    std::optional<search::Pattern> confirmed;
};
