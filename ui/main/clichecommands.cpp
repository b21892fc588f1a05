#include "clichecommands.h"

#include "base/sizebounds.h"
#include "clichecheckwindow.h"
#include "codepages/recode.h"
#include "document/bytedocument.h"
#include "document/byteeditor.h"
#include "document/byteselection.h"
#include "inputpane.h"
#include "panenotice.h"
#include "windowplacement.h"

#include <QMainWindow>

ClicheCommands::ClicheCommands(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {}

// One at a time, brought to the front while open, made anew after it was
// closed.
void ClicheCommands::showCheckWindow() {
    if (!checkWindow) {
        checkWindow = new ClicheCheckWindow(parts.document, parts.selection);
        windowplacement::placeOver(checkWindow, parts.window);
    }
    windowplacement::bringToFront(checkWindow);
}

void ClicheCommands::closeWindows() {
    if (checkWindow)
        checkWindow->close();
}

void ClicheCommands::recodeDocument(bool from866) {
    ByteDocument *doc = parts.document;
    ByteSelection *selection = parts.selection;
    const bool whole = selection->isEmpty();
    const qint64 start = whole ? 0 : selection->start();
    const qint64 cursor = selection->start();
    const qint64 length = whole ? doc->size() : selection->length();
    if (length > sizebounds::recodedAtMost) {
        PaneNotice::say(parts.inputPane,
                        tr("Перекодировать можно не более %1 МБ за раз: выделите часть документа")
                            .arg(sizebounds::inMebibytes(sizebounds::recodedAtMost)));
        return;
    }
    const ByteText source = doc->read(start, length);
    const recode::Result result =
        from866 ? recode::cp866ToCp1251(source) : recode::cp1251ToCp866(source);

    if (ByteEditor(doc).rewrite(start, source.size(), result.bytes)) {
        // A selection stays selected; otherwise the cursor stays where it was.
        if (whole)
            selection->moveCaret(cursor);
        else
            selection->selectRange(start, result.bytes.size());
    }
    // Said in the pane without taking the focus from it.
    const QString notice = recode::unmatchedNotice(result, from866);
    if (!notice.isEmpty())
        PaneNotice::say(parts.inputPane, notice);
}
