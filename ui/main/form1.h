#pragma once

#include "base/bytetext.h"
#include "codepages/views.h"
#include "form1layout.h"

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QPointer>
#include <optional>

class ByteDocument;
class ByteSelection;
class CaptionButton;
class DocumentRecovery;
class FileComparison;
class QDockWidget;
class ValuesPanel;
class FindDialog;
class FrmCheck;
class FrmTabl;
class GotoDialog;
class QAction;
class QDragEnterEvent;
class QDropEvent;
class QKeySequence;
class QLabel;
class HexEditLink;
class HexPane;
class InputPane;
class QStatusBar;
class Ruler;
class TokenView;
class QToolBar;
class StatusPanels;

// The main window: the input pane RTB1 with the document, the hex pane RTB2
// under the ruler Lbl1, the output pane RTB3, the toolbar Tlb1 and the status
// bar StB1. Geometry is given in twips and converted with the logical DPI.
class Form1 : public QMainWindow {
    Q_OBJECT

public:
    explicit Form1(QWidget *parent = nullptr);
    ~Form1() override;

    // Opens a file by the rules of the open command, without its dialog
    // (command line, dropped files). True when the document was replaced.
    bool openFile(const QString &path);

    // A copy of the document's bytes, and the document made those bytes
    // as a file is opened (nothing to undo, the caret at the start).
    ByteText document() const;
    void setDocument(const ByteText &bytes);

    // Status panels, numbered from 1 like the commands address them.
    QString panelText(int panel) const;
    void setPanelText(int panel, const QString &text);

    // The caption of the toolbar's first button, shown exactly as given.
    QString toolbarCaption() const;
    void setToolbarCaption(const QString &caption);

    bool isHexEditLayout() const { return hexEditLayout; }

    // "Сравнить с файлом…" without its dialog: the document against the
    // file at path; a file that cannot be compared is named in a message.
    bool compareWithFile(const QString &path);

    // At the program's start: the notice at the foot of the input pane that
    // names the recovery copies left for restoring, if there are any.
    void offerRecovery();

    // The program ends without the window's close (a signal, the display
    // lost): the recovery copy of unsaved edits is written at once, and
    // nothing is asked. The reason it could not be written, or an empty
    // string.
    QString keepUnsavedUnasked();

    // The texts of the About and Help messages.
    static QString aboutText();
    static QString helpText();

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private slots:
    // Файл
    void mnuOpen();
    void mnuSave();
    void mnuCompare();
    void mnuRestore();
    void mnuFont();
    void mnuExit();
    // Правка
    void mnuSelectAll();
    void mnuDell();
    void mnuFind();
    void mnuFindNext();
    void mnuGoto();
    void mnuTo1251();
    void mnuTo866();
    void mnuChecksums();
    void mnuNextDifference();
    void mnuPreviousDifference();
    // Вид
    void mnuComand();
    void mnuDOS();
    void mnuWindows();
    void mnuHexEdit();
    void mnuWholeDocument();
    void mnuNormal();
    void mnuBeside1251();
    void mnuBeside866();
    void mnuValues();
    // Клише ККМ
    void mnuKKM1251();
    void mnuKKM866();
    void mnuCheck();
    // Помощь
    void mnuHelpt();
    void mnuTable();
    void mnuAbout();

    // Counters of the status bar.
    void updateDocumentSize();
    void updateInputSelection();
    void updateHexSelection();
    void updateClock();
    void updateCaretPanel();
    // In the hex-edit layout over a piece of the document, a caret moved out
    // of it shows the whole document.
    void keepCaretInSight();

    // Ctrl+Tab and Ctrl+Shift+Tab.
    void focusNextControl();
    void focusPreviousControl();

private:
    void createPanes();
    void createActions();
    QAction *createAction(const char *name, const QString &caption, const QKeySequence &shortcut,
                          void (Form1::*slot)());
    void createMenus();
    void createToolBar();
    void createStatusBar();

    // Layouts and the resize rule.
    void applyResizeRule();
    void applyOutputPaneWidth();
    void applyLayout(bool hexEdit);
    void applyHexEditGeometry();
    void showInputPane();
    void showHexPane();
    void coverPane(QWidget *covered);
    form1layout::Layout pixelLayout() const;
    int scaleWidth() const;
    int scaleHeight() const;
    int hexEditWidth() const;

    // The views: each appends the core's view of its input to its pane. The
    // plain name is given the whole document, the name ending in t the
    // selection.
    using View = void (Form1::*)(QByteArrayView);
    void toHex(QByteArrayView document);
    void toHext(QByteArrayView selection);
    void DOS(QByteArrayView document);
    void DOSt(QByteArrayView selection);
    void Windows(QByteArrayView document);
    void Windowst(QByteArrayView selection);
    void Comand031(QByteArrayView document);
    void Comand031t(QByteArrayView selection);

    // Recovery copies (form1_recovery.cpp): the document is kept before it
    // is dropped (the window closes, another file or a restored copy
    // replaces it, the pane is cleared), and its copy follows its file.
    void setUpRecovery();
    // Before the document is dropped. False when its copy failed and the
    // user kept it: "Отмена", or the save asked for failed or was cancelled.
    bool keepUnsaved();
    // The copy written at once; when it fails, the question whether to save
    // first. True when the document may go.
    bool unsavedMayGo();
    bool askToSaveUnsaved(const QString &reason);

    // Opening: the steps before the dialog, and reading the chosen file.
    void prepareForOpen();
    bool loadDocument(const QString &path);
    // Saving: the Save As dialog, and the document written to a file. True
    // when it was saved.
    bool saveDocumentAs();
    bool saveDocumentTo(const QString &path);

    void showListing(views::View listing);
    // Converts the selection, or else the whole document, as one undo step.
    void recodeDocument(bool from866);

    // What a View command works on: the whole document while it is below
    // the size limit, else the selection; or nothing, after message A (no
    // selection) or B (the selection over the limit).
    struct ViewInput {
        enum class Scope { WholeDocument, Selection, NoSelection, SelectionTooLarge };
        Scope scope;
        ByteText bytes;
    };
    ViewInput viewInput();
    // Runs the view that fits the input's scope; a refused input runs none.
    void runView(const ViewInput &input, View whole, View selection);
    // The three output-pane commands: RTB3 cleared, then the view.
    void runOutputView(View whole, View selection);

    // The hex-edit layout over the whole document (Shift+F5).
    void showWholeDocument();
    // The view shown beside the dump: code page 1251 or 866.
    views::View textBeside() const;
    void setTextBeside(bool cp866);

    // The dump tools (form1_dumptools.cpp): the values panel beside the
    // hex-edit layout, the comparison with a file and its marks.
    void createDumpTools();
    void updateValuesPanel();
    void comparisonChanged();
    void stopComparison();
    QString chooseFileToCompare();
    void goToDifference(bool next);
    // A tip over the pane in front, as when a search goes round; the next
    // step that does not go round takes it away, or it would say so of
    // that step too.
    void sayOverPane(const QString &text);
    void unsayOverPane();

    void findFromCursor();
    // Selects the bytes and brings them into sight; in the hex-edit layout
    // over a piece that does not hold them, the whole document shows first.
    void showBytes(qint64 offset, qint64 length);
    QWidget *paneInFront() const;
    static void bringToFront(QWidget *window);

    // The document and its one selection, which every pane shows.
    ByteDocument *doc = nullptr;
    ByteSelection *selection = nullptr;

    // Panes and controls, named as the window's design names them.
    InputPane *inputPane = nullptr;
    HexPane *hexPane = nullptr;
    TokenView *outputPane = nullptr;
    Ruler *ruler = nullptr;
    HexEditLink *hexEditLink = nullptr;
    QToolBar *pathBar = nullptr;
    CaptionButton *pathButton = nullptr;
    QStatusBar *panelBar = nullptr;
    StatusPanels *panels = nullptr;
    QWidget *clientArea = nullptr;

    QAction *mnuOpenAct = nullptr;
    QAction *mnuSaveAct = nullptr;
    QAction *mnuRestoreAct = nullptr;
    QAction *mnuFontAct = nullptr;
    QAction *mnuExitAct = nullptr;
    QAction *mnuSelectAllAct = nullptr;
    QAction *mnuDellAct = nullptr;
    QAction *mnuFindAct = nullptr;
    QAction *mnuFindNextAct = nullptr;
    QAction *mnuGotoAct = nullptr;
    QAction *mnuTo1251Act = nullptr;
    QAction *mnuTo866Act = nullptr;
    QAction *mnuComandAct = nullptr;
    QAction *mnuDOSAct = nullptr;
    QAction *mnuWindowsAct = nullptr;
    QAction *mnuHexEditAct = nullptr;
    QAction *mnuWholeDocumentAct = nullptr;
    QAction *mnuNormalAct = nullptr;
    QAction *mnuBeside1251Act = nullptr;
    QAction *mnuBeside866Act = nullptr;
    QAction *mnuValuesAct = nullptr;
    QAction *mnuChecksumsAct = nullptr;
    QAction *mnuCompareAct = nullptr;
    QAction *mnuNextDifferenceAct = nullptr;
    QAction *mnuPreviousDifferenceAct = nullptr;
    QAction *mnuKKM1251Act = nullptr;
    QAction *mnuKKM866Act = nullptr;
    QAction *mnuCheckAct = nullptr;
    QAction *mnuHelptAct = nullptr;
    QAction *mnuTableAct = nullptr;
    QAction *mnuAboutAct = nullptr;

    // The layout in force: the hex pane's width is not read back to decide.
    bool hexEditLayout = false;
    // The text beside the dump is code page 866 rather than 1251.
    bool besideCp866 = false;

    // The panel "Значения", docked on the right while the hex pane is in
    // front and the user wants it; the window grew by widenedBy to make
    // room for it, so the client area kept its width.
    QDockWidget *valuesDock = nullptr;
    ValuesPanel *valuesPanel = nullptr;
    bool valuesWanted = false;
    int widenedBy = 0;
    // The comparison with a file, its summary on the toolbar.
    FileComparison *comparison = nullptr;
    QLabel *comparisonLabel = nullptr;
    QAction *comparisonShown = nullptr;

    // The code table window, while it is open.
    QPointer<FrmTabl> frmTabl;
    // The cliche check window, while it is open.
    QPointer<FrmCheck> frmCheck;
    // What the shared dialog remembers between commands: the path last
    // chosen in the open or save dialog, the font and colour last chosen.
    QString gcdgFileName;
    // The file of the document on screen: the one it was opened from or last
    // saved to; empty for a typed document. The save dialog proposes it.
    QString documentFile;
    QFont gcdgFont;
    QColor gcdgColor;
    // The recovery copies of the document, which it follows in the pane.
    DocumentRecovery *recovery = nullptr;
    // Made on first use; they keep what was typed for the next time.
    FindDialog *findDialog = nullptr;
    GotoDialog *gotoDialog = nullptr;
};
