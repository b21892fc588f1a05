#pragma once

#include "actiontable.h"
#include "base/bytetext.h"
#include "windowparts.h"

#include <QMainWindow>

class ClicheCommands;
class DumpToolCommands;
class FileCommands;
class FindCommands;
class HelpCommands;
class QDragEnterEvent;
class QDropEvent;
class RecoveryCommands;
class StatusCounters;
class ViewCommands;
class WindowLayout;

// The main window: the input pane with the document, the hex pane under the
// column ruler, the output pane, the toolbar with the file's path and the
// status bar. It builds the parts and the action table; the controllers
// carry out the commands. Geometry is given in twips and converted with the
// logical DPI.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

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

    bool isHexEditLayout() const;

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

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void createPanes();
    void createControllers();
    void createActions();
    void createFileActions();
    void createEditActions();
    void createViewActions();
    void createHelpActions();
    void createWindowKeys();
    void createMenus();
    void createToolBar();
    void createStatusBar();

    WindowParts parts;
    ActionTable actions{this};

    StatusCounters *counters = nullptr;
    DumpToolCommands *dumpTools = nullptr;
    RecoveryCommands *recoveryCommands = nullptr;
    ClicheCommands *cliche = nullptr;
    HelpCommands *help = nullptr;
};
