#include "form1.h"

#include "bytepane.h"
#include "cp1251codec.h"
#include "messagebox.h"
#include "views.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

// Documents and selections of this many bytes or more are refused.
constexpr double sizeLimit = 10700;

// A listing is four to five characters per byte; for a larger document
// (a 1 MiB one without a line break takes about a second to lay out and a
// quarter of a gigabyte) showing it would freeze the window.
constexpr qsizetype listingLimit = 1024 * 1024;

QString listingTooLarge() {
    return QObject::tr("Файл больше 1 МБ!\nЛистинг клише строится для файлов до 1 МБ");
}

QString messageA() {
    return QObject::tr("Файл больше 10К!\nВыделите часть файла менее 10К\nИ повторите команду");
}

QString messageB() {
    return QObject::tr(
        "Выделенная часть больше 10К!\nВыделите часть файла менее 10К\nИ повторите команду");
}

// Appending sets the pane's text to its old text followed by the piece; the
// piece is built whole first, so the pane changes once.
template <class Pane> void appendToPane(Pane *pane, const ByteText &piece) {
    const QString text = cp1251::toDisplayText(piece);
    if (pane->document()->isEmpty()) {
        pane->setPlainText(text);
        return;
    }
    QTextCursor cursor(pane->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

} // namespace

void Form1::toHex() {
    appendToPane(RTB2, views::hexDump(RTB1->bytes()));
}

void Form1::toHext() {
    appendToPane(RTB2, views::hexDump(RTB1->selectedBytes()));
}

void Form1::DOS() {
    appendToPane(RTB3, views::cp866Glyphs(RTB1->bytes()));
}

void Form1::DOSt() {
    appendToPane(RTB3, views::cp866Glyphs(RTB1->selectedBytes()));
}

void Form1::Windows() {
    appendToPane(RTB3, views::cp1251Glyphs(RTB1->bytes()));
}

void Form1::Windowst() {
    appendToPane(RTB3, views::cp1251Glyphs(RTB1->selectedBytes()));
}

void Form1::Comand031() {
    appendToPane(RTB3, views::controlNames(RTB1->bytes()));
}

void Form1::Comand031t() {
    appendToPane(RTB3, views::controlNames(RTB1->selectedBytes()));
}

// The size (panel 1) and the selection (panel 3) as the status bar shows
// them decide between the whole document and the selection.
Form1::Scope Form1::viewScope() {
    if (panelText(1).toDouble() < sizeLimit)
        return Scope::WholeDocument;
    const double selection = panelText(3).toDouble();
    if (selection == 0) {
        showMessage(this, messageA());
        return Scope::Refused;
    }
    if (selection < sizeLimit)
        return Scope::Selection;
    showMessage(this, messageB());
    return Scope::Refused;
}

// The family of the three output-pane views: the pane is cleared before the
// check, so a refused command leaves it empty.
void Form1::runView(void (Form1::*whole)(), void (Form1::*selection)()) {
    RTB3->clear();
    switch (viewScope()) {
    case Scope::WholeDocument:
        (this->*whole)();
        break;
    case Scope::Selection:
        (this->*selection)();
        break;
    case Scope::Refused:
        break;
    }
}

void Form1::mnuComand() {
    runView(&Form1::Comand031, &Form1::Comand031t);
}

void Form1::mnuDOS() {
    runView(&Form1::DOS, &Form1::DOSt);
}

void Form1::mnuWindows() {
    runView(&Form1::Windows, &Form1::Windowst);
}

void Form1::mnuHexEdit() {
    if (panelText(1).toDouble() < sizeLimit) {
        RTB2->clear();
        RTB3->clear();
        applyHexEditGeometry();
        mnuWindows();
        toHex();
    } else {
        const double selection = panelText(3).toDouble();
        if (selection == 0) {
            showMessage(this, messageA());
            RTB1->raise();
            Lbl1->hide();
            return;
        }
        if (selection >= sizeLimit) {
            showMessage(this, messageB());
            return;
        }
        RTB2->clear();
        RTB3->clear();
        mnuWindows();
        toHext();
        applyHexEditGeometry();
    }
    RTB2->raise();
    Lbl1->show();
}

// Both listings replace the output pane's text with the listing of the
// whole document, whatever is selected.
void Form1::showListing(ByteText (*listing)(QByteArrayView)) {
    if (RTB1->byteCount() > listingLimit) {
        showMessage(this, listingTooLarge());
        return;
    }
    RTB3->setPlainText(cp1251::toDisplayText(listing(RTB1->bytes())));
}

void Form1::mnuKKM866() {
    showListing(views::clicheListing866);
}

void Form1::mnuKKM1251() {
    showListing(views::clicheListing1251);
}
