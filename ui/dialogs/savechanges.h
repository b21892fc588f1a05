#pragma once

#include <QString>

class QWidget;

// The question before a modified document is dropped when its recovery copy
// could not be written: the one time dropping it unasked would lose edits.
namespace savechanges {

enum class Answer { Save, Discard, Cancel };

// "Сохранить изменения в «kkm.bin»?" (a typed document: "в новом
// документе"), with the buttons Сохранить, Не сохранять and Отмена (Esc),
// and under it the folder the copy was to go to and why it could not.
// file is the document's file, empty for a typed document.
Answer ask(QWidget *parent, const QString &file, const QString &directory, const QString &reason);

} // namespace savechanges
