#include "statuscounters.h"

#include "carettext.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "hexpane.h"
#include "inputpane.h"
#include "statuspanels.h"

#include <QDateTime>
#include <QEvent>
#include <QLocale>
#include <QTimer>

StatusCounters::StatusCounters(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {
    ByteDocument *doc = parts.document;
    ByteSelection *selection = parts.selection;
    connect(doc, &ByteDocument::changed, this, &StatusCounters::updateDocumentSize);
    // The caret's place follows every move, an edit's too.
    connect(doc, &ByteDocument::changed, this, &StatusCounters::updateCaretPanel);
    connect(selection, &ByteSelection::changed, this, &StatusCounters::updateCaretPanel);
    // Besides the mouse moves, every selection change updates the selection
    // counters: a selection made with the keyboard must count too.
    connect(selection, &ByteSelection::changed, this, &StatusCounters::updateInputSelection);
    connect(parts.hexPane, &TokenView::selectionChanged, this, &StatusCounters::updateHexSelection);
    for (QWidget *viewport : {parts.inputPane->viewport(), parts.hexPane->viewport()}) {
        viewport->setMouseTracking(true);
        viewport->installEventFilter(this);
    }

    // Load: the counters start at zero.
    parts.panels->setText(1, QStringLiteral("0"));
    parts.panels->setText(3, QStringLiteral("0"));
    parts.panels->setText(4, QStringLiteral("0"));
    updateCaretPanel();

    // Panels 5 and 6 show the time and the date.
    auto *clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &StatusCounters::updateClock);
    clock->start(1000);
    updateClock();
}

void StatusCounters::updateClock() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QDateTime now = QDateTime::currentDateTime();
    const QString time = russian.toString(now.time(), QLocale::ShortFormat);
    const QString date = russian.toString(now.date(), QLocale::ShortFormat);
    if (parts.panels->text(5) != time)
        parts.panels->setText(5, time);
    if (parts.panels->text(6) != date)
        parts.panels->setText(6, date);
}

// The one place panels 1 and 2 are set: every load, edit and clear of the
// document comes through here.
void StatusCounters::updateDocumentSize() {
    parts.panels->setText(1, QString::number(parts.document->size()));
    parts.panels->setText(2, QStringLiteral(" bytes"));
}

// Panel 8: the caret's offset, or the selection's first and last byte and
// its length, in document offsets whatever the panes show; empty while
// there is no byte to point at, as at the start.
void StatusCounters::updateCaretPanel() {
    const qint64 size = parts.document->size();
    if (size == 0) {
        parts.panels->setText(8, QString());
        return;
    }
    const ByteSelection &selection = *parts.selection;
    parts.panels->setText(
        8, carettext::caret(selection.caret(), selection.start(), selection.length(), size));
}

void StatusCounters::updateInputSelection() {
    parts.panels->setText(3, QString::number(parts.selection->length()));
}

void StatusCounters::updateHexSelection() {
    const HexPane *hex = parts.hexPane;
    parts.panels->setText(4, QString::number(hex->selectionEnd() - hex->selectionStart()));
}

bool StatusCounters::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == parts.inputPane->viewport())
            updateInputSelection();
        else if (watched == parts.hexPane->viewport())
            updateHexSelection();
    }
    return QObject::eventFilter(watched, event);
}
