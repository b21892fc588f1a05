#include "viewcommands.h"

#include "base/sizebounds.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "fontchoice.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "messagebox.h"
#include "ruler.h"
#include "windowlayout.h"
#include "windowsettings.h"

#include <QMainWindow>

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

} // namespace

ViewCommands::ViewCommands(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts), besideCp866(windowsettings::textBesideCp866()) {}

// The hex pane follows the document over the range the input came from,
// rather than keeping a copy of it: it shows the bytes as they are after
// every edit. The whole document is followed to its end. Bytes the
// document does not hold there are dumped as given.
void ViewCommands::dumpHex(QByteArrayView bytes, qint64 offset) {
    const ByteDocument &doc = *parts.document;
    if (doc.read(offset, bytes.size()) != bytes) {
        parts.hexPane->append(views::hexDump, PieceTable(bytes.toByteArray()), offset);
        return;
    }
    const bool whole = offset == 0 && bytes.size() == doc.size();
    parts.hexPane->follow(views::hexDump, &doc, offset, whole ? PieceTable::toEnd : bytes.size());
}

// Appending sets the pane's text to its old text followed by the view of
// the input. The pane keeps a copy of the input's bytes (below the size
// limit), not the view's text, and learns which bytes of the document it
// shows.
void ViewCommands::appendView(views::View view, const ViewInput &input) {
    parts.outputPane->append(view, PieceTable(input.bytes), input.offset);
}

// The size of the document and the length of the selection, the numbers the
// status panels 1 and 3 show, decide; the bytes are read from the document
// once.
ViewCommands::ViewInput ViewCommands::viewInput() {
    using Scope = ViewInput::Scope;
    const ByteDocument &doc = *parts.document;
    const ByteSelection &selection = *parts.selection;
    if (doc.size() < sizebounds::viewInputBelow)
        return {Scope::WholeDocument, doc.read(0, doc.size()), 0};
    const qint64 selected = selection.length();
    if (selected == 0) {
        showMessage(parts.window, messageA());
        return {Scope::NoSelection, {}};
    }
    if (selected < sizebounds::viewInputBelow)
        return {Scope::Selection, doc.read(selection.start(), selected), selection.start()};
    showMessage(parts.window, messageB());
    return {Scope::SelectionTooLarge, {}};
}

// The output pane is cleared before the decision, so a refused command
// leaves it empty.
void ViewCommands::runOutputView(views::View view) {
    parts.outputPane->clear();
    const ViewInput input = viewInput();
    if (!input.refused())
        appendView(view, input);
}

void ViewCommands::showControlNames() {
    runOutputView(views::controlNames);
}

void ViewCommands::showCp866() {
    runOutputView(views::cp866Glyphs);
}

void ViewCommands::showCp1251() {
    runOutputView(views::cp1251Glyphs);
}

// The text beside the dump and the hex dump of the same input side by side.
// The text step is the command of its code page ("кодировка 1251 Win" unless
// the 866 text was chosen to stand beside) on the input decided here:
// nothing changes between two decisions, so they would agree. A refusal
// clears nothing; without a selection the input pane comes back to the
// front.
void ViewCommands::showHexEdit() {
    const ViewInput input = viewInput();
    if (input.scope == ViewInput::Scope::NoSelection) {
        parts.layout->showInputPane();
        return;
    }
    if (input.refused())
        return;

    parts.hexEditLink->stop();
    parts.hexPane->clear();
    parts.outputPane->clear();
    // The whole document gets the layout before its views, a selection after.
    const bool whole = input.scope == ViewInput::Scope::WholeDocument;
    if (whole)
        parts.layout->apply(true);
    appendView(textBeside(), input);
    dumpHex(input.bytes, input.offset);
    if (!whole)
        parts.layout->apply(true);
    parts.layout->showHexPane();
}

// The hex-edit layout over the whole document, whatever its size: both
// panes follow the document, nothing is copied, and the caret's row comes
// into sight.
void ViewCommands::showWholeDocument() {
    dumpWholeDocument();
    parts.hexPane->ensureVisible(parts.hexPane->cursorPlace());
}

void ViewCommands::dumpWholeDocument() {
    parts.hexEditLink->stop();
    parts.hexPane->clear();
    parts.outputPane->clear();
    parts.layout->apply(true);
    parts.outputPane->follow(views::textColumnOf(textBeside()), parts.document, 0);
    parts.hexPane->follow(views::hexDump, parts.document, 0);
    parts.layout->showHexPane();
}

void ViewCommands::showNormal() {
    parts.layout->apply(false);
    parts.layout->showInputPane();
}

void ViewCommands::clearForNewDocument() {
    showNormal();
    parts.hexPane->clear();
    parts.outputPane->clear();
    parts.ruler->hide();
}

views::View ViewCommands::textBeside() const {
    return besideCp866 ? views::cp866Glyphs : views::cp1251Glyphs;
}

// The text beside the dump in code page 866 or 1251, remembered; a dump on
// screen takes it at once.
void ViewCommands::setTextBeside(bool cp866) {
    besideCp866 = cp866;
    windowsettings::setTextBesideCp866(cp866);
    if (!parts.hexEditLink->isActive())
        return;
    const PaneContent::Range range = parts.hexEditLink->range();
    parts.outputPane->follow(views::textColumnOf(textBeside()), parts.document, range.offset,
                             range.length);
}

// Both listings replace the output pane's text with the listing of the
// whole document, whatever is selected.
void ViewCommands::showListing(views::View listing) {
    if (parts.document->size() > sizebounds::clicheListingAtMost) {
        showMessage(parts.window, listingTooLarge());
        return;
    }
    parts.outputPane->clear();
    // The document's bytes as they are now, shared with the pane rather than copied.
    parts.outputPane->append(listing, parts.document->bytes(), 0);
}

void ViewCommands::showListing866() {
    showListing(views::clicheListing866);
}

void ViewCommands::showListing1251() {
    showListing(views::clicheListing1251);
}

void ViewCommands::chooseFont() {
    const FontChoice initial{chosenFont, chosenColor.isValid() ? chosenColor : QColor(Qt::black)};
    const std::optional<FontChoice> chosen = ::chooseFont(parts.window, initial);
    // A cancelled dialog changes nothing.
    if (!chosen)
        return;
    chosenFont = chosen->font;
    chosenColor = chosen->color;

    // The selection of each pane, or its insertion point, takes the choice.
    const QTextCharFormat format = chosen->charFormat();
    parts.inputPane->mergeCurrentCharFormat(format);
    parts.hexPane->mergeCurrentCharFormat(format);
    parts.outputPane->mergeCurrentCharFormat(format);
}
