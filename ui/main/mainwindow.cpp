#include "mainwindow.h"

#include "objectnames.h"

#include "captionbutton.h"
#include "clichecommands.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "dumptoolcommands.h"
#include "filecommands.h"
#include "filecomparison.h"
#include "findcommands.h"
#include "helpcommands.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "recovery/documentrecovery.h"
#include "recoverycommands.h"
#include "ruler.h"
#include "statuscounters.h"
#include "statuspanels.h"
#include "twips.h"
#include "viewcommands.h"
#include "windowgeometry.h"
#include "windowlayout.h"
#include "windowsettings.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace geometry = windowgeometry;
using twips::toPixelsX;
using twips::toPixelsY;

namespace {

// Columns 0..F, each digit over the second hex digit of its group.
const QString rulerText =
    QStringLiteral(" 0   1   2   3   4   5   6   7   8   9   A   B   C   D   E   F   ");

// The faces the panes were designed with. Neither exists on Linux: the
// style hint lets the nearest installed face of the same kind serve.
// Cyrillic and Latin text needs no shaping; skipping it halves the cost of
// a keystroke in a long paragraph.
QFont msSansSerif() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setStyleHint(QFont::SansSerif);
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPointSizeF(8.25);
    return font;
}

QFont lucidaConsole() {
    QFont font(QStringLiteral("Lucida Console"));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setStyleStrategy(QFont::PreferNoShaping);
    font.setPointSizeF(8.25);
    return font;
}

} // namespace

MainWindow::MainWindow(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QLatin1String(objectnames::mainWindow));
    setWindowTitle(tr("Просмотр бинарных файлов"));
    // Files dropped anywhere on the window are opened.
    setAcceptDrops(true);
    // The toolbar carries no commands, so no menu to hide it either.
    setContextMenuPolicy(Qt::NoContextMenu);

    parts.window = this;
    createPanes();
    createControllers();
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    parts.comparison = new FileComparison(parts.document, this);
    dumpTools->createTools(actions);
    parts.recovery = new DocumentRecovery(parts.document, recovery::defaultDirectory(), this);
    recoveryCommands->watchCopies();
    counters = new StatusCounters(parts, this);

    resize(toPixelsX(*this, geometry::clientWidth),
           toPixelsY(*this, geometry::clientHeight) + menuBar()->sizeHint().height());
    parts.inputPane->setFocus();
}

MainWindow::~MainWindow() = default;

void MainWindow::createPanes() {
    auto *clientArea = new QWidget(this);
    parts.clientArea = clientArea;
    clientArea->setObjectName(QLatin1String(objectnames::clientArea));
    setCentralWidget(clientArea);

    // Made after the client area, so the panes go before the document does.
    auto *doc = new ByteDocument(this);
    parts.document = doc;
    parts.selection = new ByteSelection(doc);

    auto *inputPane = new InputPane(doc, parts.selection, clientArea);
    parts.inputPane = inputPane;
    inputPane->setObjectName(QLatin1String(objectnames::inputPane));
    inputPane->setFont(msSansSerif());
    // A scroll bar that came and went would change the width and lay the
    // document out twice.
    inputPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int paneLeft = toPixelsX(*this, geometry::paneLeft);
    const int paneTop = toPixelsY(*this, geometry::paneTop);
    inputPane->setGeometry(paneLeft, paneTop, toPixelsX(*this, geometry::inputWidth), 0);

    auto *hexPane = new HexPane(clientArea);
    parts.hexPane = hexPane;
    hexPane->setObjectName(QLatin1String(objectnames::hexPane));
    hexPane->setFont(lucidaConsole());
    // 16 groups to a row, whatever the font.
    hexPane->setTokensPerRow(16);
    hexPane->setGeometry(paneLeft, paneTop, toPixelsX(*this, geometry::normal.hexWidth), 0);
    // Its glyphs made while the window waits, not at the first Shift+F5.
    QTimer::singleShot(0, hexPane, &HexPane::prepareFont);

    // Listings and views wrap between their codes, never inside one.
    auto *outputPane = new TokenView(clientArea);
    parts.outputPane = outputPane;
    outputPane->setObjectName(QLatin1String(objectnames::outputPane));
    // The output pane keeps the window's default face; see msSansSerif().
    QFont outputFont = outputPane->font();
    outputFont.setStyleStrategy(QFont::PreferNoShaping);
    outputPane->setFont(outputFont);
    outputPane->setGeometry(toPixelsX(*this, geometry::normal.outputLeft), paneTop, 0, 0);

    auto *ruler = new Ruler(rulerText, clientArea);
    parts.ruler = ruler;
    ruler->setObjectName(QLatin1String(objectnames::ruler));
    ruler->setFont(lucidaConsole());
    ruler->setGeometry(paneLeft, toPixelsY(*this, geometry::rulerTop),
                       toPixelsX(*this, geometry::rulerWidth),
                       toPixelsY(*this, geometry::rulerHeight));
    // Its digits stand over the hex pane's columns.
    ruler->follow(hexPane);
    ruler->hide();

    parts.hexEditLink = new HexEditLink(doc, parts.selection, hexPane, outputPane, this);
    setTabOrder(inputPane, hexPane);
    setTabOrder(hexPane, outputPane);
    parts.layout = new WindowLayout(parts, this);
}

void MainWindow::createControllers() {
    parts.views = new ViewCommands(parts, this);
    parts.files = new FileCommands(parts, this);
    parts.find = new FindCommands(parts, this);
    dumpTools = new DumpToolCommands(parts, this);
    recoveryCommands = new RecoveryCommands(parts, this);
    cliche = new ClicheCommands(parts, this);
    help = new HelpCommands(this, this);
    // The values panel shows beside the hex pane only.
    connect(parts.layout, &WindowLayout::hexPaneLinked, dumpTools,
            &DumpToolCommands::updateValuesPanel);
}

// Each caption's access key (the letter after "&", underlined) differs from
// the others of its menu; where two captions start alike, another letter or
// the code page's number serves.
void MainWindow::createActions() {
    createFileActions();
    createEditActions();
    createViewActions();
    createHelpActions();
    createWindowKeys();
}

void MainWindow::createFileActions() {
    namespace names = objectnames;
    FileCommands *files = parts.files;
    actions.add(files, {{names::openCommand, tr("&Открыть"), QKeySequence(Qt::CTRL | Qt::Key_O),
                         &FileCommands::open},
                        {names::saveCommand, tr("&Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S),
                         &FileCommands::save}});
    actions.add(names::restoreCommand, tr("Восстановить &несохранённое…"), {}, recoveryCommands,
                &RecoveryCommands::restore);
    actions.add(names::fontCommand, tr("&Фонт"), {}, parts.views, &ViewCommands::chooseFont);
    actions.add(names::exitCommand, tr("&Выход"), {}, static_cast<QWidget *>(this),
                &QWidget::close);
    actions.add(names::compareCommand, tr("С&равнить с файлом…"), {}, dumpTools,
                &DumpToolCommands::compare);
}

void MainWindow::createEditActions() {
    namespace names = objectnames;
    actions.add(names::selectAllCommand, tr("&Выделить все"), {}, parts.inputPane,
                &InputPane::selectAll);
    actions.add(names::clearCommand, tr("&Очистить окно ввода"), {}, parts.files,
                &FileCommands::clearDocument);
    // F3, the usual key, shows the 866 view; F9 for find next is the next
    // free key after the row of view and help keys, and no desktop takes it
    // for itself.
    actions.add(parts.find,
                {{names::findCommand, tr("&Найти…"), QKeySequence(Qt::CTRL | Qt::Key_F),
                  &FindCommands::find},
                 {names::findNextCommand, tr("Найти &далее"), Qt::Key_F9, &FindCommands::findNext},
                 {names::goToCommand, tr("&Перейти к смещению…"),
                  QKeySequence(Qt::CTRL | Qt::Key_G), &FindCommands::goToOffset}});
    actions.add(cliche, {{names::recodeTo1251Command,
                          tr("Перекодировать &866 → 1251"),
                          {},
                          &ClicheCommands::recodeTo1251},
                         {names::recodeTo866Command,
                          tr("Перекодировать &1251 → 866"),
                          {},
                          &ClicheCommands::recodeTo866}});
    // Alt+Down and Alt+Up step through differences, as in the diff tools
    // engineers know: no pane and no other command takes them.
    actions.add(
        dumpTools,
        {{names::checksumsCommand, tr("&Контрольные суммы…"), {}, &DumpToolCommands::showChecksums},
         {names::nextDifferenceCommand, tr("Следующее &различие"),
          FileComparison::nextDifferenceKey(), &DumpToolCommands::nextDifference},
         {names::previousDifferenceCommand, tr("Пр&едыдущее различие"),
          FileComparison::previousDifferenceKey(), &DumpToolCommands::previousDifference}});
}

void MainWindow::createViewActions() {
    namespace names = objectnames;
    ViewCommands *views = parts.views;
    // Shift+F5 beside F5: the same layout without the size limit.
    actions.add(
        views,
        {{names::controlNamesCommand, tr("&Просмотр команд"), Qt::Key_F2,
          &ViewCommands::showControlNames},
         {names::cp866Command, tr("кодировка &866 DOS"), Qt::Key_F3, &ViewCommands::showCp866},
         {names::cp1251Command, tr("кодировка &1251 Win"), Qt::Key_F4, &ViewCommands::showCp1251},
         {names::hexEditCommand, tr("HexE&dit mode"), Qt::Key_F5, &ViewCommands::showHexEdit},
         {names::wholeDocumentCommand, tr("&Весь документ (HexEdit)"),
          QKeySequence(Qt::SHIFT | Qt::Key_F5), &ViewCommands::showWholeDocument},
         {names::normalLayoutCommand, tr("&Нормальный вид"), Qt::Key_F6, &ViewCommands::showNormal},
         {names::beside1251Command, tr("&1251 Win"), {}, &ViewCommands::besideIn1251},
         {names::beside866Command, tr("&866 DOS"), {}, &ViewCommands::besideIn866},
         {names::listing1251Command, tr("Группа ККМ &1251"), Qt::Key_F7,
          &ViewCommands::showListing1251},
         {names::listing866Command, tr("Группа ККМ &866"), Qt::Key_F8,
          &ViewCommands::showListing866}});
    auto *beside = new QActionGroup(this);
    for (QAction *action : actions.list({names::beside1251Command, names::beside866Command})) {
        action->setCheckable(true);
        beside->addAction(action);
    }
    actions[views->textBesideIsCp866() ? names::beside866Command : names::beside1251Command]
        ->setChecked(true);
    QAction *values = actions.add(names::valuesCommand, tr("&Значения"), {}, dumpTools,
                                  &DumpToolCommands::toggleValuesPanel);
    values->setCheckable(true);
    values->setChecked(windowsettings::valuesPanelWanted());
    actions.add(names::clicheCheckCommand, tr("&Проверка клише…"),
                QKeySequence(Qt::CTRL | Qt::Key_K), cliche, &ClicheCommands::showCheckWindow);
}

void MainWindow::createHelpActions() {
    namespace names = objectnames;
    actions.add(help, {{names::helpCommand, tr("&Инструкция"), Qt::Key_F1, &HelpCommands::showHelp},
                       {names::codeTableCommand, tr("&Таблицы"), QKeySequence(Qt::CTRL | Qt::Key_T),
                        &HelpCommands::showCodeTable},
                       {names::aboutCommand, tr("&О программе"), {}, &HelpCommands::showAbout}});
}

// Keys of the window that no menu shows.
void MainWindow::createWindowKeys() {
    // Tab types byte 9 in the input pane, so Ctrl+Tab and Ctrl+Shift+Tab move
    // the focus on from any pane (Qt matches the Backtab that X11 sends for
    // Shift+Tab to the Tab of the shortcut).
    auto *nextControl = new QAction(this);
    nextControl->setObjectName(QLatin1String(objectnames::nextControlKey));
    nextControl->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    connect(nextControl, &QAction::triggered, this, [this] { focusNextPrevChild(true); });
    auto *previousControl = new QAction(this);
    previousControl->setObjectName(QLatin1String(objectnames::previousControlKey));
    previousControl->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab));
    connect(previousControl, &QAction::triggered, this, [this] { focusNextPrevChild(false); });
    // The menus' letters are Cyrillic, out of reach in a Latin layout: F10
    // opens the first menu, as in Windows and GNOME programs, and the arrows
    // go on from there.
    auto *openMenus = new QAction(this);
    openMenus->setObjectName(QLatin1String(objectnames::menuBarKey));
    openMenus->setShortcut(Qt::Key_F10);
    connect(openMenus, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
    addActions({nextControl, previousControl, openMenus});
}

void MainWindow::createMenus() {
    namespace names = objectnames;
    QMenu *fileMenu = menuBar()->addMenu(tr("&Файл"));
    fileMenu->setObjectName(QLatin1String(names::fileMenu));
    fileMenu->addActions(
        actions.list({names::openCommand, names::saveCommand, names::restoreCommand,
                      names::compareCommand, names::fontCommand, names::exitCommand}));

    QMenu *editMenu = menuBar()->addMenu(tr("&Правка"));
    editMenu->setObjectName(QLatin1String(names::editMenu));
    editMenu->addActions(actions.list({names::selectAllCommand, names::clearCommand}));
    editMenu->addSeparator();
    editMenu->addActions(
        actions.list({names::findCommand, names::findNextCommand, names::goToCommand}));
    editMenu->addSeparator();
    editMenu->addActions(actions.list({names::recodeTo1251Command, names::recodeTo866Command}));
    editMenu->addSeparator();
    editMenu->addActions(actions.list(
        {names::checksumsCommand, names::nextDifferenceCommand, names::previousDifferenceCommand}));

    QMenu *viewMenu = menuBar()->addMenu(tr("&Вид"));
    viewMenu->setObjectName(QLatin1String(names::viewMenu));
    viewMenu->addActions(actions.list({names::controlNamesCommand, names::cp866Command,
                                       names::cp1251Command, names::hexEditCommand,
                                       names::wholeDocumentCommand, names::normalLayoutCommand}));
    viewMenu->addSeparator();
    QMenu *besideMenu = viewMenu->addMenu(tr("&Текст рядом"));
    besideMenu->setObjectName(QLatin1String(names::besideMenu));
    besideMenu->addActions(actions.list({names::beside1251Command, names::beside866Command}));
    viewMenu->addAction(actions[names::valuesCommand]);

    QMenu *clicheMenu = menuBar()->addMenu(tr("&Клише ККМ"));
    clicheMenu->setObjectName(QLatin1String(names::clicheMenu));
    clicheMenu->addActions(actions.list({names::listing1251Command, names::listing866Command}));
    clicheMenu->addSeparator();
    clicheMenu->addAction(actions[names::clicheCheckCommand]);

    QMenu *helpMenu = menuBar()->addMenu(tr("По&мощь"));
    helpMenu->setObjectName(QLatin1String(names::helpMenu));
    helpMenu->addActions(
        actions.list({names::helpCommand, names::codeTableCommand, names::aboutCommand}));
}

void MainWindow::createToolBar() {
    auto *pathBar = new QToolBar(this);
    parts.pathBar = pathBar;
    pathBar->setObjectName(QLatin1String(objectnames::pathBar));
    pathBar->setMovable(false);
    pathBar->setFloatable(false);
    // As high as the caption needs, descenders and underscores included,
    // and never lower than designed.
    pathBar->setMinimumHeight(toPixelsY(*this, geometry::toolBarHeight));
    addToolBar(Qt::BottomToolBarArea, pathBar);

    parts.pathButton = new CaptionButton(pathBar);
    parts.pathButton->setObjectName(QLatin1String(objectnames::pathButton));
    pathBar->addWidget(parts.pathButton);
}

void MainWindow::createStatusBar() {
    auto *panelBar = new QStatusBar(this);
    panelBar->setObjectName(QLatin1String(objectnames::statusBar));
    // As high as designed, or as the panels' font needs.
    panelBar->setMinimumHeight(toPixelsY(*this, geometry::statusBarHeight));
    setStatusBar(panelBar);

    std::array<int, 8> minimumWidths{};
    for (int i = 0; i < 8; ++i)
        minimumWidths[i] = toPixelsX(*this, geometry::panelMinimumWidths[i]);
    parts.panels = new StatusPanels(panelBar, minimumWidths);
    parts.panels->setText(7, tr("     программа работы с бинарными файлами ККТ"));
}

QString MainWindow::panelText(int panel) const {
    return parts.panels->text(panel);
}

void MainWindow::setPanelText(int panel, const QString &text) {
    parts.panels->setText(panel, text);
}

QString MainWindow::toolbarCaption() const {
    return parts.pathButton->caption();
}

void MainWindow::setToolbarCaption(const QString &caption) {
    parts.pathButton->setCaption(caption);
}

bool MainWindow::isHexEditLayout() const {
    return parts.layout->isHexEdit();
}

ByteText MainWindow::document() const {
    return parts.document->read(0, parts.document->size());
}

void MainWindow::setDocument(const ByteText &bytes) {
    parts.comparison->stop();
    parts.document->load(bytes);
    parts.selection->moveCaret(0);
}

bool MainWindow::openFile(const QString &path) {
    return parts.files->openFile(path);
}

bool MainWindow::compareWithFile(const QString &path) {
    return dumpTools->compareWithFile(path);
}

void MainWindow::offerRecovery() {
    recoveryCommands->offerRecovery();
}

QString MainWindow::keepUnsavedUnasked() {
    return parts.recovery->secure();
}

// The code table and the check window close with the main window.
void MainWindow::closeEvent(QCloseEvent *event) {
    if (!parts.files->keepUnsaved()) {
        event->ignore();
        return;
    }
    help->closeWindows();
    cliche->closeWindows();
    QMainWindow::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent *event) {
    if (!FileCommands::droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        QMainWindow::dragEnterEvent(event);
}

void MainWindow::dropEvent(QDropEvent *event) {
    const QString path = FileCommands::droppedFile(event->mimeData());
    if (path.isEmpty()) {
        QMainWindow::dropEvent(event);
        return;
    }
    event->acceptProposedAction();
    openFile(path);
}
