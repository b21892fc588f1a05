#include "form1.h"

#include "codepages/recode.h"
#include "document/bytedocument.h"
#include "document/byteedit.h"
#include "document/byteselection.h"
#include "frmcheck.h"
#include "inputpane.h"
#include "panenotice.h"
#include "windowplacement.h"

void Form1::mnuCheck() {
    if (!frmCheck) {
        frmCheck = new FrmCheck(doc, selection);
        windowplacement::placeOver(frmCheck, this);
    }
    bringToFront(frmCheck);
}

void Form1::mnuTo1251() {
    recodeDocument(true);
}

void Form1::mnuTo866() {
    recodeDocument(false);
}

void Form1::recodeDocument(bool from866) {
    const bool whole = selection->isEmpty();
    const qint64 start = whole ? 0 : selection->start();
    const qint64 cursor = selection->start();
    const ByteText source = doc->read(start, whole ? doc->size() : selection->length());
    const recode::Result result =
        from866 ? recode::cp866ToCp1251(source) : recode::cp1251ToCp866(source);

    if (const auto edit = byteedit::difference(source, result.bytes)) {
        doc->replace(start + edit->offset, edit->length, edit->bytes);
        // A selection stays selected; otherwise the cursor stays where it was.
        if (whole)
            selection->moveCaret(cursor);
        else
            selection->selectRange(start, result.bytes.size());
    }
    // Said in the pane without taking the focus from it.
    const QString notice = recode::unmatchedNotice(result, from866);
    if (!notice.isEmpty())
        PaneNotice::say(inputPane, notice);
}
