#include "form1.h"

#include "bytedocument.h"
#include "byteselection.h"
#include "captionbutton.h"
#include "form1layout.h"
#include "frmcheck.h"
#include "frmtabl.h"
#include "hexeditlink.h"
#include "hexpane.h"
#include "inputpane.h"
#include "ruler.h"
#include "statuspanels.h"
#include "twips.h"

#include <QAction>
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
    setObjectName(QStringLiteral("Form1"));
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
    setUpRecovery();

    // Load: the counters start at zero.
    setPanelText(1, QStringLiteral("0"));
    setPanelText(3, QStringLiteral("0"));
    setPanelText(4, QStringLiteral("0"));

    resize(toPixelsX(*this, layout::clientWidth),
           toPixelsY(*this, layout::clientHeight) + menuBar()->sizeHint().height());
    RTB1->setFocus();
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

    RTB1 = new InputPane(doc, selection, clientArea);
    RTB1->setObjectName(QStringLiteral("RTB1"));
    RTB1->setFont(msSansSerif());
    // A scroll bar that came and went would change the width and lay the
    // document out twice.
    RTB1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    const int paneLeft = toPixelsX(*this, layout::paneLeft);
    const int paneTop = toPixelsY(*this, layout::paneTop);
    RTB1->setGeometry(paneLeft, paneTop, toPixelsX(*this, layout::inputWidth), 0);

    RTB2 = new HexPane(clientArea);
    RTB2->setObjectName(QStringLiteral("RTB2"));
    RTB2->setFont(lucidaConsole());
    // 16 groups to a row, whatever the font.
    RTB2->setTokensPerRow(16);
    RTB2->setGeometry(paneLeft, paneTop, toPixelsX(*this, layout::normal.hexWidth), 0);

    // Listings and views wrap between their codes, never inside one.
    RTB3 = new TokenView(clientArea);
    RTB3->setObjectName(QStringLiteral("RTB3"));
    // The output pane keeps the window's default face; see msSansSerif().
    QFont outputFont = RTB3->font();
    outputFont.setStyleStrategy(QFont::PreferNoShaping);
    RTB3->setFont(outputFont);
    RTB3->setGeometry(toPixelsX(*this, layout::normal.outputLeft), paneTop, 0, 0);

    Lbl1 = new Ruler(rulerText, clientArea);
    Lbl1->setObjectName(QStringLiteral("Lbl1"));
    Lbl1->setFont(lucidaConsole());
    Lbl1->setGeometry(paneLeft, toPixelsY(*this, layout::rulerTop),
                      toPixelsX(*this, layout::rulerWidth), toPixelsY(*this, layout::rulerHeight));
    // Its digits stand over the hex pane's columns.
    Lbl1->follow(RTB2);
    Lbl1->hide();

    hexEditLink = new HexEditLink(doc, selection, RTB2, RTB3, this);
    // A font that widens the hex pane's columns widens the pane.
    connect(
        RTB2, &HexPane::columnsChanged, this,
        [this] {
            if (hexEditLayout)
                applyLayout(true);
        },
        Qt::QueuedConnection);

    setTabOrder(RTB1, RTB2);
    setTabOrder(RTB2, RTB3);
    RTB1->raise();
    coverPane(RTB2);

    connect(doc, &ByteDocument::changed, this, &Form1::updateDocumentSize);
    // Besides the mouse moves, every selection change updates the selection
    // counters: a selection made with the keyboard must count too.
    connect(selection, &ByteSelection::changed, this, &Form1::updateInputSelection);
    connect(RTB2, &TokenView::selectionChanged, this, &Form1::updateHexSelection);
    for (QWidget *viewport : {RTB1->viewport(), RTB2->viewport()}) {
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
    mnuOpenAct = createAction("mnuOpen", tr("&Открыть"), QKeySequence(Qt::CTRL | Qt::Key_O),
                              &Form1::mnuOpen);
    mnuSaveAct = createAction("mnuSave", tr("&Сохранить"), QKeySequence(Qt::CTRL | Qt::Key_S),
                              &Form1::mnuSave);
    mnuRestoreAct =
        createAction("mnuRestore", tr("Восстановить &несохранённое…"), {}, &Form1::mnuRestore);
    mnuFontAct = createAction("mnuFont", tr("&Фонт"), {}, &Form1::mnuFont);
    mnuExitAct = createAction("mnuExit", tr("&Выход"), {}, &Form1::mnuExit);

    mnuSelectAllAct = createAction("mnuSelectAll", tr("&Выделить все"), {}, &Form1::mnuSelectAll);
    mnuDellAct = createAction("mnuDell", tr("&Очистить окно ввода"), {}, &Form1::mnuDell);
    mnuFindAct =
        createAction("mnuFind", tr("&Найти…"), QKeySequence(Qt::CTRL | Qt::Key_F), &Form1::mnuFind);
    // F3, the usual key, shows the 866 view; F9 is the next free key after
    // the row of view and help keys, and no desktop takes it for itself.
    mnuFindNextAct =
        createAction("mnuFindNext", tr("Найти &далее"), Qt::Key_F9, &Form1::mnuFindNext);
    mnuGotoAct = createAction("mnuGoto", tr("&Перейти к смещению…"),
                              QKeySequence(Qt::CTRL | Qt::Key_G), &Form1::mnuGoto);
    mnuTo1251Act =
        createAction("mnuTo1251", tr("Перекодировать &866 → 1251"), {}, &Form1::mnuTo1251);
    mnuTo866Act = createAction("mnuTo866", tr("Перекодировать &1251 → 866"), {}, &Form1::mnuTo866);

    mnuComandAct = createAction("mnuComand", tr("&Просмотр команд"), Qt::Key_F2, &Form1::mnuComand);
    mnuDOSAct = createAction("mnuDOS", tr("кодировка &866 DOS"), Qt::Key_F3, &Form1::mnuDOS);
    mnuWindowsAct =
        createAction("mnuWindows", tr("кодировка &1251 Win"), Qt::Key_F4, &Form1::mnuWindows);
    mnuHexEditAct = createAction("mnuHexEdit", tr("HexE&dit mode"), Qt::Key_F5, &Form1::mnuHexEdit);
    mnuNormalAct = createAction("mnuNormal", tr("&Нормальный вид"), Qt::Key_F6, &Form1::mnuNormal);

    mnuKKM1251Act =
        createAction("mnuKKM1251", tr("Группа ККМ &1251"), Qt::Key_F7, &Form1::mnuKKM1251);
    mnuKKM866Act = createAction("mnuKKM866", tr("Группа ККМ &866"), Qt::Key_F8, &Form1::mnuKKM866);
    mnuCheckAct = createAction("mnuCheck", tr("&Проверка клише…"),
                               QKeySequence(Qt::CTRL | Qt::Key_K), &Form1::mnuCheck);

    mnuHelptAct = createAction("mnuHelpt", tr("&Инструкция"), Qt::Key_F1, &Form1::mnuHelpt);
    mnuTableAct = createAction("mnuTable", tr("&Таблицы"), QKeySequence(Qt::CTRL | Qt::Key_T),
                               &Form1::mnuTable);
    mnuAboutAct = createAction("mnuAbout", tr("&О программе"), {}, &Form1::mnuAbout);

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
    addActions({nextControl, previousControl});
}

void Form1::focusNextControl() {
    focusNextPrevChild(true);
}

void Form1::focusPreviousControl() {
    focusNextPrevChild(false);
}

void Form1::createMenus() {
    QMenu *fileMenu = menuBar()->addMenu(tr("&Файл"));
    fileMenu->setObjectName(QStringLiteral("mnufile"));
    fileMenu->addActions({mnuOpenAct, mnuSaveAct, mnuRestoreAct, mnuFontAct, mnuExitAct});

    QMenu *editMenu = menuBar()->addMenu(tr("&Правка"));
    editMenu->setObjectName(QStringLiteral("mnuEdit"));
    editMenu->addActions({mnuSelectAllAct, mnuDellAct});
    editMenu->addSeparator();
    editMenu->addActions({mnuFindAct, mnuFindNextAct, mnuGotoAct});
    editMenu->addSeparator();
    editMenu->addActions({mnuTo1251Act, mnuTo866Act});

    QMenu *viewMenu = menuBar()->addMenu(tr("&Вид"));
    viewMenu->setObjectName(QStringLiteral("mnuViev"));
    viewMenu->addActions({mnuComandAct, mnuDOSAct, mnuWindowsAct, mnuHexEditAct, mnuNormalAct});

    QMenu *clicheMenu = menuBar()->addMenu(tr("&Клише ККМ"));
    clicheMenu->setObjectName(QStringLiteral("mnuClishe"));
    clicheMenu->addActions({mnuKKM1251Act, mnuKKM866Act});
    clicheMenu->addSeparator();
    clicheMenu->addAction(mnuCheckAct);

    QMenu *helpMenu = menuBar()->addMenu(tr("По&мощь"));
    helpMenu->setObjectName(QStringLiteral("mnuHelp"));
    helpMenu->addActions({mnuHelptAct, mnuTableAct, mnuAboutAct});
}

void Form1::createToolBar() {
    Tlb1 = new QToolBar(this);
    Tlb1->setObjectName(QStringLiteral("Tlb1"));
    Tlb1->setMovable(false);
    Tlb1->setFloatable(false);
    // As high as the caption needs, descenders and underscores included,
    // and never lower than designed.
    Tlb1->setMinimumHeight(toPixelsY(*this, layout::toolBarHeight));
    addToolBar(Qt::BottomToolBarArea, Tlb1);

    tlbButton1 = new CaptionButton(Tlb1);
    tlbButton1->setObjectName(QStringLiteral("Button1"));
    Tlb1->addWidget(tlbButton1);
}

void Form1::createStatusBar() {
    StB1 = new QStatusBar(this);
    StB1->setObjectName(QStringLiteral("StB1"));
    // As high as designed, or as the panels' font needs.
    StB1->setMinimumHeight(toPixelsY(*this, layout::statusBarHeight));
    setStatusBar(StB1);

    std::array<int, 8> minimumWidths{};
    for (int i = 0; i < 8; ++i)
        minimumWidths[i] = toPixelsX(*this, layout::panelMinimumWidths[i]);
    panels = new StatusPanels(StB1, minimumWidths);
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
    return tlbButton1->caption();
}

void Form1::setToolbarCaption(const QString &caption) {
    tlbButton1->setCaption(caption);
}

ByteText Form1::document() const {
    return doc->read(0, doc->size());
}

void Form1::setDocument(const ByteText &bytes) {
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

void Form1::updateInputSelection() {
    setPanelText(3, QString::number(selection->length()));
}

void Form1::updateHexSelection() {
    setPanelText(4, QString::number(RTB2->selectionEnd() - RTB2->selectionStart()));
}

bool Form1::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::MouseMove) {
        if (watched == RTB1->viewport())
            updateInputSelection();
        else if (watched == RTB2->viewport())
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
                qMin(RTB2->widthForColumns(doc->size()), room));
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
    const int height = scaleHeight() - StB1->height() - Tlb1->height() -
                       toPixelsY(*this, layout::paneVerticalMargins);
    if (height >= 0) {
        RTB1->resize(RTB1->width(), height);
        RTB2->resize(RTB2->width(), height);
        RTB3->resize(RTB3->width(), height);
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
        RTB3->resize(width, RTB3->height());
}

// The hex pane's width and the output pane's place and width.
void Form1::applyLayout(bool hexEdit) {
    hexEditLayout = hexEdit;
    const layout::Layout pixels = pixelLayout();
    RTB2->resize(pixels.hexWidth, RTB2->height());
    RTB3->move(pixels.outputLeft, RTB3->y());
    applyOutputPaneWidth();
    // The ruler reaches over a hex pane that grew past it.
    Lbl1->resize(qMax(toPixelsX(*this, layout::rulerWidth), hexEdit ? pixels.hexWidth : 0),
                 Lbl1->height());
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
    RTB1->raise();
    coverPane(RTB2);
    Lbl1->hide();
    if (RTB2->hasFocus())
        RTB1->setFocus();
}

// The input and the hex pane share their place: the one behind takes no
// focus from the keyboard, so that Ctrl+Tab never moves into a pane out of
// sight.
void Form1::coverPane(QWidget *covered) {
    QWidget *front = covered == RTB1 ? static_cast<QWidget *>(RTB2) : RTB1;
    front->setFocusPolicy(Qt::StrongFocus);
    covered->setFocusPolicy(Qt::NoFocus);
}

// The hex pane in front under the ruler, linked to the document; the focus
// does not stay in the input pane behind it.
void Form1::showHexPane() {
    RTB2->raise();
    coverPane(RTB1);
    Lbl1->show();
    hexEditLink->start();
    if (RTB1->hasFocus())
        RTB2->setFocus();
}

void Form1::mnuSelectAll() {
    RTB1->selectAll();
}

// The display panes keep what they show, unlinked.
void Form1::mnuDell() {
    keepUnsaved();
    hexEditLink->stop();
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
    keepUnsaved();
    if (frmTabl)
        frmTabl->close();
    if (frmCheck)
        frmCheck->close();
    QMainWindow::closeEvent(event);
}
