#include "form1.h"

#include "byteedit.h"
#include "bytepane.h"
#include "cp1251codec.h"
#include "frmcheck.h"
#include "panenotice.h"
#include "recode.h"
#include "windowplacement.h"

void Form1::mnuCheck() {
    if (!frmCheck) {
        frmCheck = new FrmCheck(RTB1);
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
    const bool whole = RTB1->selectedByteCount() == 0;
    const qsizetype start = whole ? 0 : RTB1->selectionStartByte();
    const qsizetype cursor = RTB1->selectionStartByte();
    const ByteText source = whole ? RTB1->bytes() : RTB1->selectedBytes();
    const recode::Result result =
        from866 ? recode::cp866ToCp1251(source) : recode::cp1251ToCp866(source);

    if (const auto edit = byteedit::difference(source, result.bytes)) {
        RTB1->replaceBytes(start + edit->offset, edit->length, edit->bytes);
        // A selection stays selected; otherwise the cursor stays where it was.
        if (whole)
            RTB1->selectBytes(cursor, 0);
        else
            RTB1->selectBytes(start, result.bytes.size());
    }
    // Said in the pane without taking the focus from it.
    const ByteText notice = recode::unmatchedNotice(result, from866);
    if (!notice.isEmpty())
        PaneNotice::say(RTB1, cp1251::toDisplayText(notice));
}
