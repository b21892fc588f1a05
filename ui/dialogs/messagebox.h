#pragma once

#include <QString>

class QWidget;

// The title every message box of the program carries.
QString applicationTitle();

// The program's message box: modal, the text as plain text (lines joined
// with "\n"), one OK button, no icon, the application's title.
void showMessage(QWidget *parent, const QString &text);
