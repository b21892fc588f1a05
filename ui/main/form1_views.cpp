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
constexpr qsizetype sizeLimit = 10700;

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

void Form1::toHex(QByteArrayView document) {
    appendToPane(RTB2, views::hexDump(document));
}

void Form1::toHext(QByteArrayView selection) {
    appendToPane(RTB2, views::hexDump(selection));
}

void Form1::DOS(QByteArrayView document) {
    appendToPane(RTB3, views::cp866Glyphs(document));
}

void Form1::DOSt(QByteArrayView selection) {
    appendToPane(RTB3, views::cp866Glyphs(selection));
}

void Form1::Windows(QByteArrayView document) {
    appendToPane(RTB3, views::cp1251Glyphs(document));
}

void Form1::Windowst(QByteArrayView selection) {
    appendToPane(RTB3, views::cp1251Glyphs(selection));
}

void Form1::Comand031(QByteArrayView document) {
    appendToPane(RTB3, views::controlNames(document));
}

void Form1::Comand031t(QByteArrayView selection) {
    appendToPane(RTB3, views::controlNames(selection));
}

// The size of the document and the length of the selection, the numbers the
// status panels 1 and 3 show, decide; the bytes are taken from the pane once.
Form1::ViewInput Form1::viewInput() {
    using Scope = ViewInput::Scope;
    if (RTB1->byteCount() < sizeLimit)
        return {Scope::WholeDocument, RTB1->bytes()};
    const qsizetype selection = RTB1->selectedByteCount();
    if (selection == 0) {
        showMessage(this, messageA());
        return {Scope::NoSelection, {}};
    }
    if (selection < sizeLimit)
        return {Scope::Selection, RTB1->selectedBytes()};
    showMessage(this, messageB());
    return {Scope::SelectionTooLarge, {}};
}

void Form1::runView(const ViewInput &input, View whole, View selection) {
    switch (input.scope) {
    case ViewInput::Scope::WholeDocument:
        (this->*whole)(input.bytes);
        break;
    case ViewInput::Scope::Selection:
        (this->*selection)(input.bytes);
        break;
    case ViewInput::Scope::NoSelection:
    case ViewInput::Scope::SelectionTooLarge:
        break;
    }
}

// The output pane is cleared before the decision, so a refused command
// leaves it empty.
void Form1::runOutputView(View whole, View selection) {
    RTB3->clear();
    runView(viewInput(), whole, selection);
}

void Form1::mnuComand() {
    runOutputView(&Form1::Comand031, &Form1::Comand031t);
}

void Form1::mnuDOS() {
    runOutputView(&Form1::DOS, &Form1::DOSt);
}

void Form1::mnuWindows() {
    runOutputView(&Form1::Windows, &Form1::Windowst);
}

// The 1251 view and the hex dump of the same input side by side. The 1251
// step is the command "кодировка 1251 Win" on the input decided here: nothing
// changes between two decisions, so they would agree. A refusal clears
// nothing; without a selection the input pane comes back to the front.
void Form1::mnuHexEdit() {
    const ViewInput input = viewInput();
    if (input.scope == ViewInput::Scope::NoSelection) {
        RTB1->raise();
        Lbl1->hide();
        return;
    }
    if (input.scope == ViewInput::Scope::SelectionTooLarge)
        return;

    RTB2->clear();
    RTB3->clear();
    // The whole document gets the layout before its views, a selection after.
    const bool whole = input.scope == ViewInput::Scope::WholeDocument;
    if (whole)
        applyHexEditGeometry();
    runView(input, &Form1::Windows, &Form1::Windowst);
    runView(input, &Form1::toHex, &Form1::toHext);
    if (!whole)
        applyHexEditGeometry();
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
