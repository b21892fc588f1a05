#include "form1.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "hexpane.h"
#include "messagebox.h"
#include "ruler.h"
#include "sizebounds.h"
#include "views.h"

namespace {

QString listingTooLarge() {
    const qint64 mebibytes = sizebounds::inMebibytes(sizebounds::clicheListingAtMost);
    return QObject::tr("Файл больше %1 МБ!\nЛистинг клише строится для файлов до %1 МБ")
        .arg(mebibytes);
}

QString messageA() {
    return QObject::tr("Файл больше 10К!\nВыделите часть файла менее 10К\nИ повторите команду");
}

QString messageB() {
    return QObject::tr(
        "Выделенная часть больше 10К!\nВыделите часть файла менее 10К\nИ повторите команду");
}

// Appending sets the pane's text to its old text followed by the view of
// the input. The pane keeps a copy of the input's bytes (below the size
// limit), not the view's text, and learns which bytes of the document it
// shows (input starting at offset).
void appendView(TokenView *pane, views::View view, QByteArrayView input, qint64 offset) {
    pane->append(view, PieceTable(input.toByteArray()), offset);
}

} // namespace

void Form1::toHex(QByteArrayView document) {
    appendView(hexPane, views::hexDump, document, 0);
}

void Form1::toHext(QByteArrayView selected) {
    appendView(hexPane, views::hexDump, selected, selection->start());
}

void Form1::DOS(QByteArrayView document) {
    appendView(outputPane, views::cp866Glyphs, document, 0);
}

void Form1::DOSt(QByteArrayView selected) {
    appendView(outputPane, views::cp866Glyphs, selected, selection->start());
}

void Form1::Windows(QByteArrayView document) {
    appendView(outputPane, views::cp1251Glyphs, document, 0);
}

void Form1::Windowst(QByteArrayView selected) {
    appendView(outputPane, views::cp1251Glyphs, selected, selection->start());
}

void Form1::Comand031(QByteArrayView document) {
    appendView(outputPane, views::controlNames, document, 0);
}

void Form1::Comand031t(QByteArrayView selected) {
    appendView(outputPane, views::controlNames, selected, selection->start());
}

// The size of the document and the length of the selection, the numbers the
// status panels 1 and 3 show, decide; the bytes are read from the document
// once.
Form1::ViewInput Form1::viewInput() {
    using Scope = ViewInput::Scope;
    if (doc->size() < sizebounds::viewInputBelow)
        return {Scope::WholeDocument, doc->read(0, doc->size())};
    const qint64 selected = selection->length();
    if (selected == 0) {
        showMessage(this, messageA());
        return {Scope::NoSelection, {}};
    }
    if (selected < sizebounds::viewInputBelow)
        return {Scope::Selection, doc->read(selection->start(), selected)};
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
    outputPane->clear();
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
        showInputPane();
        return;
    }
    if (input.scope == ViewInput::Scope::SelectionTooLarge)
        return;

    hexPane->clear();
    outputPane->clear();
    // The whole document gets the layout before its views, a selection after.
    const bool whole = input.scope == ViewInput::Scope::WholeDocument;
    if (whole)
        applyHexEditGeometry();
    runView(input, &Form1::Windows, &Form1::Windowst);
    runView(input, &Form1::toHex, &Form1::toHext);
    if (!whole)
        applyHexEditGeometry();
    showHexPane();
}

// Both listings replace the output pane's text with the listing of the
// whole document, whatever is selected.
void Form1::showListing(views::View listing) {
    if (doc->size() > sizebounds::clicheListingAtMost) {
        showMessage(this, listingTooLarge());
        return;
    }
    outputPane->clear();
    // The document's bytes as they are now, shared with the pane rather than copied.
    outputPane->append(listing, doc->bytes(), 0);
}

void Form1::mnuKKM866() {
    showListing(views::clicheListing866);
}

void Form1::mnuKKM1251() {
    showListing(views::clicheListing1251);
}
