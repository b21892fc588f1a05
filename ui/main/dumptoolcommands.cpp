#include "dumptoolcommands.h"

#include "objectnames.h"

#include "actiontable.h"
#include "base/sizebounds.h"
#include "checksumsdialog.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecommands.h"
#include "filecomparison.h"
#include "findcommands.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "io/nativename.h"
#include "messagebox.h"
#include "valuespanel.h"
#include "windowsettings.h"

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QLayout>
#include <QMainWindow>
#include <QToolBar>

DumpToolCommands::DumpToolCommands(const WindowParts &parts, QObject *parent)
    : QObject(parent), parts(parts) {}

void DumpToolCommands::createTools(const ActionTable &actions) {
    valuesAction = actions[objectnames::valuesCommand];
    nextAction = actions[objectnames::nextDifferenceCommand];
    previousAction = actions[objectnames::previousDifferenceCommand];
    valuesWanted = valuesAction->isChecked();
    valuesPanel = new ValuesPanel;
    valuesPanel->follow(parts.document, parts.selection);
    valuesDock = new QDockWidget(tr("Значения"), parts.window);
    valuesDock->setObjectName(QLatin1String(objectnames::valuesDock));
    // Shown and hidden from "Вид" only: a dock closed, moved or floated on
    // its own would leave the menu's check wrong.
    valuesDock->setFeatures(QDockWidget::NoDockWidgetFeatures);
    valuesDock->setWidget(valuesPanel);
    parts.window->addDockWidget(Qt::RightDockWidgetArea, valuesDock);
    valuesDock->hide();

    connect(parts.comparison, &FileComparison::changed, this, &DumpToolCommands::comparisonChanged);
    connect(parts.comparison, &FileComparison::fileChangedOnDisk, this,
            [this](const QString &message) { showMessage(parts.window, message); });
    comparisonLabel = new QLabel(parts.pathBar);
    comparisonLabel->setObjectName(QLatin1String(objectnames::comparisonSummary));
    // A widget on a toolbar shows and hides through its action.
    comparisonShown = parts.pathBar->addWidget(comparisonLabel);
    comparisonChanged();
}

// The window grows by the panel's width, so the panes keep theirs; it
// shrinks back by as much when the panel goes. A maximised window keeps its
// size.
void DumpToolCommands::updateValuesPanel() {
    QMainWindow *window = parts.window;
    const bool show = valuesWanted && parts.hexEditLink->isActive();
    if (show == valuesDock->isVisible() || !window->isVisible())
        return;
    const bool resizable = !window->isMaximized() && !window->isFullScreen();
    if (show) {
        const int before = parts.clientArea->width();
        valuesDock->show();
        window->layout()->activate();
        widenedBy = resizable ? qMax(0, before - parts.clientArea->width()) : 0;
        if (widenedBy > 0)
            window->resize(window->width() + widenedBy, window->height());
    } else {
        valuesDock->hide();
        if (widenedBy > 0 && resizable)
            window->resize(window->width() - widenedBy, window->height());
        widenedBy = 0;
    }
}

void DumpToolCommands::toggleValuesPanel() {
    valuesWanted = valuesAction->isChecked();
    windowsettings::setValuesPanelWanted(valuesWanted);
    updateValuesPanel();
}

// The sums of the selection, or of the whole document without one.
void DumpToolCommands::showChecksums() {
    ChecksumsDialog dialog(*parts.document, *parts.selection, parts.window);
    dialog.exec();
}

void DumpToolCommands::compare() {
    const QString path = parts.files->chooseFileToCompare();
    if (!path.isEmpty())
        compareWithFile(path);
}

// The file is read on demand, at most sizebounds::comparedFileAtMost of it;
// a refusal keeps the comparison that was in force.
bool DumpToolCommands::compareWithFile(const QString &path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const std::optional<QString> refused =
        parts.comparison->compareWith(nativename::absolute(path), sizebounds::comparedFileAtMost);
    QApplication::restoreOverrideCursor();
    if (refused) {
        showMessage(parts.window, *refused);
        return false;
    }
    return true;
}

// The panes mark the differing bytes (the output pane while it follows the
// document beside the dump), the toolbar says how many differ.
void DumpToolCommands::comparisonChanged() {
    FileComparison *comparison = parts.comparison;
    const bool active = comparison->isActive();
    ByteMarks marks;
    if (active)
        marks = [comparison](qint64 offset) { return comparison->differs(offset); };
    parts.hexPane->setMarkedBytes(marks);
    parts.outputPane->setMarkedBytes(marks);
    parts.inputPane->setMarkedBytes(marks);
    comparisonLabel->setText(active ? QStringLiteral("  ") + comparison->summary() : QString());
    comparisonLabel->setToolTip(comparison->filePath());
    comparisonShown->setVisible(active);
    nextAction->setEnabled(active);
    previousAction->setEnabled(active);
}

// A whole run of differing bytes is selected, so the next step leads past it.
void DumpToolCommands::goToDifference(bool next) {
    const ByteSelection &selection = *parts.selection;
    FileComparison *comparison = parts.comparison;
    const auto run =
        next ? comparison->nextRun(selection.end()) : comparison->previousRun(selection.start());
    if (!run) {
        if (comparison->isActive())
            parts.find->sayOverPane(tr("Различий нет"));
        return;
    }
    parts.find->showBytes(run->offset, run->length);
    if (run->wrapped)
        parts.find->sayOverPane(
            next ? tr("Различия пройдены до конца документа, продолжено с начала")
                 : tr("Различия пройдены до начала документа, продолжено с конца"));
    else
        FindCommands::unsayOverPane();
}
