#include "form1.h"

#include "objectnames.h"

#include "captionbutton.h"
#include "carettext.h"
#include "document/bytedocument.h"
#include "document/byteselection.h"
#include "filecomparison.h"
#include "form1layout.h"
#include "frmcheck.h"
#include "frmtabl.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "ruler.h"
#include "statuspanels.h"
#include "twips.h"
#include "windowsettings.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QScrollBar>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace layout = form1layout;
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

Form1::Form1(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QLatin1String(objectnames::mainWindow));
    setWindowTitle(tr("Просмотр бинарных файлов"));
    // Files dropped anywhere on the window are opened.
    setAcceptDrops(true);
    // The toolbar carries no commands, so no menu to hide it either.
    setContextMenuPolicy(Qt::NoContextMenu);

    createPanes();
    createActions();
    createMenus();
    createToolBar();
    createStatusBar();
    createDumpTools();
    setUpRecovery();

    // Load: the counters start at zero.
    setPanelText(1, QStringLiteral("0"));
    setPanelText(3, QStringLiteral("0"));
    setPanelText(4, QStringLiteral("0"));
    updateCaretPanel();

    resize(toPixelsX(*this, layout::clientWidth),
           toPixelsY(*this, layout::clientHeight) + menuBar()->sizeHint().height());
    inputPane->setFocus();
}

Form1::~Form1() = default;

void Form1::createPanes() {
    clientArea = new QWidget(this);
    clientArea->setObjectName(QStringLiteral("clientArea"));
    setCentralWidget(clientArea);
    // The panes keep the places given in twips, so the client area has no
    // layout; its resize applies the resize rule.
    clientArea->installEventFilter(this);

    // Made after the client area, so the panes go before the document does.
    doc = new ByteDocument(this);
    selection = new ByteSelection(doc);

    inputPane = new InputPane(doc, selection, clientArea);
    inputPane->setObjectName(QLatin1String(objectnames::inputPane));
    inputPane->setFont(msSansSerif());
    // A scroll bar that came and went would change the width and lay the
    // document out twice.
    inputPane->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int paneLeft = toPixelsX(*this, layout::paneLeft);
    const int paneTop = toPixelsY(*this, layout::paneTop);
    inputPane->setGeometry(paneLeft, paneTop, toPixelsX(*this, layout::inputWidth), 0);

    hexPane = new HexPane(clientArea);
    hexPane->setObjectName(QLatin1String(objectnames::hexPane));
    hexPane->setFont(lucidaConsole());
    // 16 groups to a row, whatever the font.
    hexPane->setTokensPerRow(16);
    hexPane->setGeometry(paneLeft, paneTop, toPixelsX(*this, layout::normal.hexWidth), 0);

    // Listings and views wrap between their codes, never inside one.
    outputPane = new TokenView(clientArea);
    outputPane->setObjectName(QLatin1String(objectnames::outputPane));
    // The output pane keeps the window's default face; see msSansSerif().
    QFont outputFont = outputPane->font();
    outputFont.setStyleStrategy(QFont::PreferNoShaping);
    outputPane->setFont(outputFont);
    outputPane->setGeometry(toPixelsX(*this, layout::normal.outputLeft), paneTop, 0, 0);

    ruler = new Ruler(rulerText, clientArea);
    ruler->setObjectName(QLatin1String(objectnames::ruler));
    ruler->setFont(lucidaConsole());
    ruler->setGeometry(paneLeft, toPixelsY(*this, layout::rulerTop),
                       toPixelsX(*this, layout::rulerWidth), toPixelsY(*this, layout::rulerHeight));
    // Its digits stand over the hex pane's columns.
    ruler->follow(hexPane);
    ruler->hide();

    hexEditLink = new HexEditLink(doc, selection, hexPane, outputPane, this);
    // A font that widens the hex pane's columns widens the pane.
    connect(
        hexPane, &HexPane::columnsChanged, this,
        [this] {
            if (hexEditLayout)
                applyLayout(true);
        },
        Qt::QueuedConnection);

    setTabOrder(inputPane, hexPane);
    setTabOrder(hexPane, outputPane);
    inputPane->raise();
    coverPane(hexPane);

    connect(doc, &ByteDocument::changed, this, &Form1::updateDocumentSize);
    // The caret's place follows every move, an edit's too.
    connect(doc, &ByteDocument::changed, this, &Form1::updateCaretPanel);
    connect(selection, &ByteSelection::changed, this, &Form1::updateCaretPanel);
    // A caret moved out of a dumped piece by another window (the cliche
    // check's findings) or a command: the whole document shows, once the
    // move is complete.
    connect(selection, &ByteSelection::changed, this, &Form1::keepCaretInSight,
            Qt::QueuedConnection);
    // Besides the mouse moves, every selection change updates the selection
    // counters: a selection made with the keyboard must count too.
    connect(selection, &ByteSelection::changed, this, &Form1::updateInputSelection);
    connect(hexPane, &TokenView::selectionChanged, this, &Form1::updateHexSelection);
    for (QWidget *viewport : {inputPane->viewport(), hexPane->viewport()}) {
        viewport->setMouseTracking(true);
        viewport->installEventFilter(this);
    }
}

QAction *Form1::createAction(const char *name, const QString &caption, const QKeySequence &shortcut,
                             void (Form1::*slot)()) {
    auto *action = new QAction(caption, this);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(shortcut);
    connect(action, &QAction::triggered, this, slot);
    return action;
}

// Each caption's access key (the letter after "&", underlined) differs from
// the others of its menu; where two captions start alike, another letter or
// the code page's number serves.
void Form1::createActions() {
    mnuOpenAct = createAction(objectnames::openCommand, tr("&Открыть"),
                              QKeySequence(Qt::CTRL | Qt::Key_O), &Form1::mnuOpen);
    mnuSaveAct = createAction(objectnames::saveCommand, tr("&Сохранить"),
                              QKeySequence(Qt::CTRL | Qt::Key_S), &Form1::mnuSave);
    mnuRestoreAct = createAction(objectnames::restoreCommand, tr("Восстановить &несохранённое…"),
                                 {}, &Form1::mnuRestore);
    mnuFontAct = createAction(objectnames::fontCommand, tr("&Фонт"), {}, &Form1::mnuFont);
    mnuExitAct = createAction(objectnames::exitCommand, tr("&Выход"), {}, &Form1::mnuExit);
    mnuCompareAct = createAction(objectnames::compareCommand, tr("С&равнить с файлом…"), {},
                                 &Form1::mnuCompare);

    mnuSelectAllAct =
        createAction(objectnames::selectAllCommand, tr("&Выделить все"), {}, &Form1::mnuSelectAll);
    mnuDellAct =
        createAction(objectnames::clearCommand, tr("&Очистить окно ввода"), {}, &Form1::mnuDell);
    mnuFindAct = createAction(objectnames::findCommand, tr("&Найти…"),
                              QKeySequence(Qt::CTRL | Qt::Key_F), &Form1::mnuFind);
    // F3, the usual key, shows the 866 view; F9 is the next free key after
    // the row of view and help keys, and no desktop takes it for itself.
    mnuFindNextAct = createAction(objectnames::findNextCommand, tr("Найти &далее"), Qt::Key_F9,
                                  &Form1::mnuFindNext);
    mnuGotoAct = createAction(objectnames::goToCommand, tr("&Перейти к смещению…"),
                              QKeySequence(Qt::CTRL | Qt::Key_G), &Form1::mnuGoto);
    mnuTo1251Act = createAction(objectnames::recodeTo1251Command, tr("Перекодировать &866 → 1251"),
                                {}, &Form1::mnuTo1251);
    mnuTo866Act = createAction(objectnames::recodeTo866Command, tr("Перекодировать &1251 → 866"),
                               {}, &Form1::mnuTo866);
    mnuChecksumsAct = createAction(objectnames::checksumsCommand, tr("&Контрольные суммы…"), {},
                                   &Form1::mnuChecksums);
    // Alt+Down and Alt+Up, as in the diff tools engineers know: no pane and
    // no other command takes them.
    mnuNextDifferenceAct =
        createAction(objectnames::nextDifferenceCommand, tr("Следующее &различие"),
                     FileComparison::nextDifferenceKey(), &Form1::mnuNextDifference);
    mnuPreviousDifferenceAct =
        createAction(objectnames::previousDifferenceCommand, tr("Пр&едыдущее различие"),
                     FileComparison::previousDifferenceKey(), &Form1::mnuPreviousDifference);

    mnuComandAct = createAction(objectnames::controlNamesCommand, tr("&Просмотр команд"),
                                Qt::Key_F2, &Form1::mnuComand);
    mnuDOSAct = createAction(objectnames::cp866Command, tr("кодировка &866 DOS"), Qt::Key_F3,
                             &Form1::mnuDOS);
    mnuWindowsAct = createAction(objectnames::cp1251Command, tr("кодировка &1251 Win"), Qt::Key_F4,
                                 &Form1::mnuWindows);
    mnuHexEditAct = createAction(objectnames::hexEditCommand, tr("HexE&dit mode"), Qt::Key_F5,
                                 &Form1::mnuHexEdit);
    // Shift+F5 beside F5: the same layout without the size limit.
    mnuWholeDocumentAct =
        createAction(objectnames::wholeDocumentCommand, tr("&Весь документ (HexEdit)"),
                     QKeySequence(Qt::SHIFT | Qt::Key_F5), &Form1::mnuWholeDocument);
    mnuNormalAct = createAction(objectnames::normalLayoutCommand, tr("&Нормальный вид"), Qt::Key_F6,
                                &Form1::mnuNormal);
    besideCp866 = windowsettings::textBesideCp866();
    mnuBeside1251Act =
        createAction(objectnames::beside1251Command, tr("&1251 Win"), {}, &Form1::mnuBeside1251);
    mnuBeside866Act =
        createAction(objectnames::beside866Command, tr("&866 DOS"), {}, &Form1::mnuBeside866);
    auto *beside = new QActionGroup(this);
    for (QAction *action : {mnuBeside1251Act, mnuBeside866Act}) {
        action->setCheckable(true);
        beside->addAction(action);
    }
    (besideCp866 ? mnuBeside866Act : mnuBeside1251Act)->setChecked(true);
    valuesWanted = windowsettings::valuesPanelWanted();
    mnuValuesAct = createAction(objectnames::valuesCommand, tr("&Значения"), {}, &Form1::mnuValues);
    mnuValuesAct->setCheckable(true);
    mnuValuesAct->setChecked(valuesWanted);

    mnuKKM1251Act = createAction(objectnames::listing1251Command, tr("Группа ККМ &1251"),
                                 Qt::Key_F7, &Form1::mnuKKM1251);
    mnuKKM866Act = createAction(objectnames::listing866Command, tr("Группа ККМ &866"), Qt::Key_F8,
                                &Form1::mnuKKM866);
    mnuCheckAct = createAction(objectnames::clicheCheckCommand, tr("&Проверка клише…"),
                               QKeySequence(Qt::CTRL | Qt::Key_K), &Form1::mnuCheck);

    mnuHelptAct =
        createAction(objectnames::helpCommand, tr("&Инструкция"), Qt::Key_F1, &Form1::mnuHelpt);
    mnuTableAct = createAction(objectnames::codeTableCommand, tr("&Таблицы"),
                               QKeySequence(Qt::CTRL | Qt::Key_T), &Form1::mnuTable);
    mnuAboutAct = createAction(objectnames::aboutCommand, tr("&О программе"), {}, &Form1::mnuAbout);

    // Tab types byte 9 in the input pane, so Ctrl+Tab and Ctrl+Shift+Tab move
    // the focus on from any pane (Qt matches the Backtab that X11 sends for
    // Shift+Tab to the Tab of the shortcut).
    auto *nextControl = new QAction(this);
    nextControl->setObjectName(QStringLiteral("focusNextControl"));
    nextControl->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab));
    connect(nextControl, &QAction::triggered, this, &Form1::focusNextControl);
    auto *previousControl = new QAction(this);
    previousControl->setObjectName(QStringLiteral("focusPreviousControl"));
    previousControl->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab));
    connect(previousControl, &QAction::triggered, this, &Form1::focusPreviousControl);
    // The menus' letters are Cyrillic, out of reach in a Latin layout: F10
    // opens the first menu, as in Windows and GNOME programs, and the arrows
    // go on from there.
    auto *openMenus = new QAction(this);
    openMenus->setObjectName(QStringLiteral("openMenuBar"));
    openMenus->setShortcut(Qt::Key_F10);
    connect(openMenus, &QAction::triggered, this,
            [this] { menuBar()->setActiveAction(menuBar()->actions().value(0)); });
    addActions({nextControl, previousControl, openMenus});
}

void Form1::focusNextControl() {
    focusNextPrevChild(true);
}

void Form1::focusPreviousControl() {
    focusNextPrevChild(false);
}

void Form1::createMenus() {
    QMenu *fileMenu = menuBar()->addMenu(tr("&Файл"));
    fileMenu->setObjectName(QLatin1String(objectnames::fileMenu));
    fileMenu->addActions(
        {mnuOpenAct, mnuSaveAct, mnuRestoreAct, mnuCompareAct, mnuFontAct, mnuExitAct});

    QMenu *editMenu = menuBar()->addMenu(tr("&Правка"));
    editMenu->setObjectName(QLatin1String(objectnames::editMenu));
    editMenu->addActions({mnuSelectAllAct, mnuDellAct});
    editMenu->addSeparator();
    editMenu->addActions({mnuFindAct, mnuFindNextAct, mnuGotoAct});
    editMenu->addSeparator();
    editMenu->addActions({mnuTo1251Act, mnuTo866Act});
    editMenu->addSeparator();
    editMenu->addActions({mnuChecksumsAct, mnuNextDifferenceAct, mnuPreviousDifferenceAct});

    QMenu *viewMenu = menuBar()->addMenu(tr("&Вид"));
    viewMenu->setObjectName(QLatin1String(objectnames::viewMenu));
    viewMenu->addActions(
        {mnuComandAct, mnuDOSAct, mnuWindowsAct, mnuHexEditAct, mnuWholeDocumentAct, mnuNormalAct});
    viewMenu->addSeparator();
    QMenu *besideMenu = viewMenu->addMenu(tr("&Текст рядом"));
    besideMenu->setObjectName(QLatin1String(objectnames::besideMenu));
    besideMenu->addActions({mnuBeside1251Act, mnuBeside866Act});
    viewMenu->addAction(mnuValuesAct);

    QMenu *clicheMenu = menuBar()->addMenu(tr("&Клише ККМ"));
    clicheMenu->setObjectName(QLatin1String(objectnames::clicheMenu));
    clicheMenu->addActions({mnuKKM1251Act, mnuKKM866Act});
    clicheMenu->addSeparator();
    clicheMenu->addAction(mnuCheckAct);

    QMenu *helpMenu = menuBar()->addMenu(tr("По&мощь"));
    helpMenu->setObjectName(QLatin1String(objectnames::helpMenu));
    helpMenu->addActions({mnuHelptAct, mnuTableAct, mnuAboutAct});
}

void Form1::createToolBar() {
    pathBar = new QToolBar(this);
    pathBar->setObjectName(QLatin1String(objectnames::pathBar));
    pathBar->setMovable(false);
    pathBar->setFloatable(false);
    // As high as the caption needs, descenders and underscores included,
    // and never lower than designed.
    pathBar->setMinimumHeight(toPixelsY(*this, layout::toolBarHeight));
    addToolBar(Qt::BottomToolBarArea, pathBar);

    pathButton = new CaptionButton(pathBar);
    pathButton->setObjectName(QLatin1String(objectnames::pathButton));
    pathBar->addWidget(pathButton);
}

void Form1::createStatusBar() {
    panelBar = new QStatusBar(this);
    panelBar->setObjectName(QLatin1String(objectnames::statusBar));
    // As high as designed, or as the panels' font needs.
    panelBar->setMinimumHeight(toPixelsY(*this, layout::statusBarHeight));
    setStatusBar(panelBar);

    std::array<int, 8> minimumWidths{};
    for (int i = 0; i < 8; ++i)
        minimumWidths[i] = toPixelsX(*this, layout::panelMinimumWidths[i]);
    panels = new StatusPanels(panelBar, minimumWidths);
    panels->setText(7, tr("     программа работы с бинарными файлами ККТ"));

    // Panels 5 and 6 show the time and the date.
    auto *clock = new QTimer(this);
    connect(clock, &QTimer::timeout, this, &Form1::updateClock);
    clock->start(1000);
    updateClock();
}

QString Form1::panelText(int panel) const {
    return panels->text(panel);
}

void Form1::setPanelText(int panel, const QString &text) {
    panels->setText(panel, text);
}

QString Form1::toolbarCaption() const {
    return pathButton->caption();
}

void Form1::setToolbarCaption(const QString &caption) {
    pathButton->setCaption(caption);
}

ByteText Form1::document() const {
    return doc->read(0, doc->size());
}

void Form1::setDocument(const ByteText &bytes) {
    stopComparison();
    doc->load(bytes);
    selection->moveCaret(0);
}

void Form1::updateClock() {
    const QLocale russian(QLocale::Russian, QLocale::Russia);
    const QDateTime now = QDateTime::currentDateTime();
    const QString time = russian.toString(now.time(), QLocale::ShortFormat);
    const QString date = russian.toString(now.date(), QLocale::ShortFormat);
    if (panelText(5) != time)
        setPanelText(5, time);
    if (panelText(6) != date)
        setPanelText(6, date);
}

void Form1::updateDocumentSize() {
    setPanelText(1, QString::number(doc->size()));
    setPanelText(2, QStringLiteral(" bytes"));
}

// Panel 8: the caret's offset, or the selection's first and last byte and
// its length, in document offsets whatever the panes show; empty while
// there is no byte to point at, as at the start.
void Form1::updateCaretPanel() {
    if (doc->size() == 0) {
        setPanelText(8, QString());
        return;
    }
    setPanelText(8, carettext::caret(selection->caret(), selection->start(), selection->length(),
                                     doc->size()));
}

void Form1::updateInputSelection() {
    setPanelText(3, QString::number(selection->length()));
}

void Form1::updateHexSelection() {
    setPanelText(4, QString::number(hexPane->selectionEnd() - hexPane->selectionStart()));
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == inputPane->viewport())
            updateInputSelection();
        else if (watched == hexPane->viewport())
            updateHexSelection();
    } else if (event->type() == QEvent::Resize && watched == clientArea) {
        applyResizeRule();
    }
    return QMainWindow::eventFilter(watched, event);
}

// The client area below the menu bar, toolbar and status bar included.
int Form1::scaleWidth() const {
    return clientArea->width();
}

int Form1::scaleHeight() const {
    return height() - menuBar()->height();
}

// The hex pane's width in the hex-edit layout: the width at which the
// offsets and 16 groups in the hex pane's fonts fit
// beside its scroll bar, and never less than the designed width.
// Never wider than the client area leaves beside it: the pane scrolls then.
int Form1::hexEditWidth() const {
    const int room =
        scaleWidth() - toPixelsX(*this, layout::paneLeft + layout::hexEdit.outputRightMargin);
    return qMax(toPixelsX(*this, layout::hexEdit.hexWidth),
                qMin(hexPane->widthForColumns(doc->size()), room));
}

// The layout in force in pixels. Where the hex pane's font needs a wider hex
// pane, the output pane moves right by as much.
form1layout::Layout Form1::pixelLayout() const {
    const layout::Layout &design = hexEditLayout ? layout::hexEdit : layout::normal;
    const int hexWidth = hexEditLayout ? hexEditWidth() : toPixelsX(*this, design.hexWidth);
    const int widening = hexWidth - toPixelsX(*this, design.hexWidth);
    return {hexWidth, toPixelsX(*this, design.outputLeft) + widening,
            toPixelsX(*this, design.outputRightMargin)};
}

void Form1::applyResizeRule() {
    // Each step stands alone: a negative size is skipped, the pane keeps
    // what it had.
    const int height = scaleHeight() - panelBar->height() - pathBar->height() -
                       toPixelsY(*this, layout::paneVerticalMargins);
    if (height >= 0) {
        inputPane->resize(inputPane->width(), height);
        hexPane->resize(hexPane->width(), height);
        outputPane->resize(outputPane->width(), height);
    }
    // A hex pane narrowed by a small window takes the room a larger one gives.
    if (hexEditLayout)
        applyLayout(true);
    else
        applyOutputPaneWidth();
}

void Form1::applyOutputPaneWidth() {
    const int width = pixelLayout().outputWidth(scaleWidth());
    if (width >= 0)
        outputPane->resize(width, outputPane->height());
}

// The hex pane's width and the output pane's place and width.
void Form1::applyLayout(bool hexEdit) {
    hexEditLayout = hexEdit;
    const layout::Layout pixels = pixelLayout();
    hexPane->resize(pixels.hexWidth, hexPane->height());
    outputPane->move(pixels.outputLeft, outputPane->y());
    applyOutputPaneWidth();
    // The ruler reaches over a hex pane that grew past it.
    ruler->resize(qMax(toPixelsX(*this, layout::rulerWidth), hexEdit ? pixels.hexWidth : 0),
                  ruler->height());
}

void Form1::applyHexEditGeometry() {
    applyLayout(true);
}

void Form1::mnuNormal() {
    applyLayout(false);
    showInputPane();
}

// The input pane in front, the ruler hidden, the panes unlinked; the focus
// does not stay in the hex pane behind it.
void Form1::showInputPane() {
    hexEditLink->stop();
    updateValuesPanel();
    inputPane->raise();
    coverPane(hexPane);
    ruler->hide();
    if (hexPane->hasFocus())
        inputPane->setFocus();
}

// The input and the hex pane share their place: the one behind takes no
// focus from the keyboard, so that Ctrl+Tab never moves into a pane out of
// sight.
void Form1::coverPane(QWidget *covered) {
    QWidget *front = covered == inputPane ? static_cast<QWidget *>(hexPane) : inputPane;
    front->setFocusPolicy(Qt::StrongFocus);
    covered->setFocusPolicy(Qt::NoFocus);
}

// The hex pane in front under the ruler, linked to the document; the focus
// does not stay in the input pane behind it.
void Form1::showHexPane() {
    hexPane->raise();
    coverPane(inputPane);
    ruler->show();
    hexEditLink->start();
    updateValuesPanel();
    if (inputPane->hasFocus())
        hexPane->setFocus();
}

void Form1::mnuSelectAll() {
    inputPane->selectAll();
}

// The display panes keep what they show, unlinked.
void Form1::mnuDell() {
    if (!keepUnsaved())
        return;
    hexEditLink->stop();
    stopComparison();
    doc->clear();
}

void Form1::mnuExit() {
    close();
}

// The code table and the check window: one of each at a time, brought to the
// front while open, made anew after it was closed.
void Form1::bringToFront(QWidget *window) {
    window->show();
    window->raise();
    window->activateWindow();
}

// The code table and the check window close with the main window.
void Form1::closeEvent(QCloseEvent *event) {
    if (!keepUnsaved()) {
        event->ignore();
        return;
    }
    if (frmTabl)
        frmTabl->close();
    if (frmCheck)
        frmCheck->close();
    QMainWindow::closeEvent(event);
}
