#include "form1.h"

#include "objectnames.h"

#include "checksumsdialog.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecomparison.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "messagebox.h"
#include "valuespanel.h"
#include "windowsettings.h"

#include <QAction>
#include <QDockWidget>
#include <QLabel>
#include <QLayout>
#include <QToolBar>
#include <QToolTip>

void Form1::createDumpTools() {
    valuesPanel = new ValuesPanel;
    valuesPanel->follow(doc, selection);
    valuesDock = new QDockWidget(tr("Значения"), this);
    valuesDock->setObjectName(QLatin1String(objectnames::valuesDock));
    // Shown and hidden from "Вид" only: a dock closed, moved or floated on
    // its own would leave the menu's check wrong.
    valuesDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    valuesDock->setWidget(valuesPanel);
    addDockWidget(Qt::RightDockWidgetArea, valuesDock);
    valuesDock->hide();

    comparison = new FileComparison(doc, this);
    connect(comparison, &FileComparison::changed, this, &Form1::comparisonChanged);
    comparisonLabel = new QLabel(pathBar);
    comparisonLabel->setObjectName(QLatin1String(objectnames::comparisonSummary));
    // A widget on a toolbar shows and hides through its action.
    comparisonShown = pathBar->addWidget(comparisonLabel);
    comparisonChanged();
}

// The panel shows beside the hex-edit layout while it is wanted. The window
// grows by the panel's width, so the panes keep theirs; it shrinks back by as
// much when the panel goes. A maximised window keeps its size.
void Form1::updateValuesPanel() {
    const bool show = valuesWanted && hexEditLink->isActive();
    if (show == valuesDock->isVisible() || !isVisible())
        return;
    const bool resizable = !isMaximized() && !isFullScreen();
    if (show) {
        const int before = clientArea->width();
        valuesDock->show();
        layout()->activate();
        widenedBy = resizable ? qMax(0, before - clientArea->width()) : 0;
        if (widenedBy > 0)
            resize(width() + widenedBy, height());
    } else {
        valuesDock->hide();
        if (widenedBy > 0 && resizable)
            resize(width() - widenedBy, height());
        widenedBy = 0;
    }
}

void Form1::mnuValues() {
    valuesWanted = mnuValuesAct->isChecked();
    windowsettings::setValuesPanelWanted(valuesWanted);
    updateValuesPanel();
}

void Form1::mnuBeside1251() {
    setTextBeside(false);
}

void Form1::mnuBeside866() {
    setTextBeside(true);
}

// The sums of the selection, or of the whole document without one.
void Form1::mnuChecksums() {
    ChecksumsDialog dialog(*doc, *selection, this);
    dialog.exec();
}

void Form1::mnuCompare() {
    const QString path = chooseFileToCompare();
    if (!path.isEmpty())
        compareWithFile(path);
}

// The panes mark the differing bytes (the output pane while it follows the
// document beside the dump), the toolbar says how many differ.
void Form1::comparisonChanged() {
    const bool active = comparison->isActive();
    ByteMarks marks;
    if (active)
        marks = [this](qint64 offset) { return comparison->differs(offset); };
    hexPane->setMarkedBytes(marks);
    outputPane->setMarkedBytes(marks);
    inputPane->setMarkedBytes(marks);
    comparisonLabel->setText(active ? QStringLiteral("  ") + comparison->summary() : QString());
    comparisonLabel->setToolTip(comparison->filePath());
    comparisonShown->setVisible(active);
    mnuNextDifferenceAct->setEnabled(active);
    mnuPreviousDifferenceAct->setEnabled(active);
}

void Form1::stopComparison() {
    if (comparison)
        comparison->stop();
}

void Form1::mnuNextDifference() {
    goToDifference(true);
}

void Form1::mnuPreviousDifference() {
    goToDifference(false);
}

// A whole run of differing bytes is selected, so the next step leads past it.
void Form1::goToDifference(bool next) {
    const auto run =
        next ? comparison->nextRun(selection->end()) : comparison->previousRun(selection->start());
    if (!run) {
        if (comparison->isActive())
            sayOverPane(tr("Различий нет"));
        return;
    }
    showBytes(run->offset, run->length);
    if (run->wrapped)
        sayOverPane(next ? tr("Различия пройдены до конца документа, продолжено с начала")
                         : tr("Различия пройдены до начала документа, продолжено с конца"));
    else
        unsayOverPane();
}

void Form1::sayOverPane(const QString &text) {
    QWidget *front = paneInFront();
    QToolTip::showText(front->mapToGlobal(QPoint(front->width() / 4, 0)), text, front, QRect(),
                       4000);
}

void Form1::unsayOverPane() {
    QToolTip::hideText();
}
