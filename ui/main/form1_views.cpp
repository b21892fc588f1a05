#include "form1.h"

#include "base/sizebounds.h"
#include "codepages/views.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "messagebox.h"
#include "ruler.h"
#include "windowsettings.h"

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

// The hex pane follows the document over the range the input came from,
// rather than keeping a copy of it: it shows the bytes as they are after
// every edit. The whole document is followed to its end.
void Form1::toHex(QByteArrayView) {
    hexPane->follow(views::hexDump, doc, 0);
}

void Form1::toHext(QByteArrayView) {
    hexPane->follow(views::hexDump, doc, selection->start(), selection->length());
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

// The text beside the dump and the hex dump of the same input side by side.
// The text step is the command of its code page ("кодировка 1251 Win" unless
// the 866 text was chosen to stand beside) on the input decided here:
// nothing changes between two decisions, so they would agree. A refusal
// clears nothing; without a selection the input pane comes back to the
// front.
void Form1::mnuHexEdit() {
    const ViewInput input = viewInput();
    if (input.scope == ViewInput::Scope::NoSelection) {
        showInputPane();
        return;
    }
    if (input.scope == ViewInput::Scope::SelectionTooLarge)
        return;

    hexEditLink->stop();
    hexPane->clear();
    outputPane->clear();
    // The whole document gets the layout before its views, a selection after.
    const bool whole = input.scope == ViewInput::Scope::WholeDocument;
    if (whole)
        applyHexEditGeometry();
    if (textBeside() == views::cp866Glyphs)
        runView(input, &Form1::DOS, &Form1::DOSt);
    else
        runView(input, &Form1::Windows, &Form1::Windowst);
    runView(input, &Form1::toHex, &Form1::toHext);
    if (!whole)
        applyHexEditGeometry();
    showHexPane();
}

// The hex-edit layout over the whole document, whatever its size: both
// panes follow the document, nothing is copied, and the caret's row comes
// into sight.
void Form1::mnuWholeDocument() {
    showWholeDocument();
    hexPane->ensureVisible(hexPane->cursorPlace());
}

void Form1::showWholeDocument() {
    hexEditLink->stop();
    hexPane->clear();
    outputPane->clear();
    applyHexEditGeometry();
    outputPane->follow(views::textColumnOf(textBeside()), doc, 0);
    hexPane->follow(views::hexDump, doc, 0);
    showHexPane();
}

views::View Form1::textBeside() const {
    return besideCp866 ? views::cp866Glyphs : views::cp1251Glyphs;
}

// The text beside the dump in code page 866 or 1251, remembered; a dump on
// screen takes it at once.
void Form1::setTextBeside(bool cp866) {
    besideCp866 = cp866;
    windowsettings::setTextBesideCp866(cp866);
    if (!hexEditLink->isActive())
        return;
    const PaneContent::Range range = hexEditLink->range();
    outputPane->follow(views::textColumnOf(textBeside()), doc, range.offset, range.length);
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
