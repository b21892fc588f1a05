#pragma once

class ByteDocument;
class ByteSelection;
class CaptionButton;
class DocumentRecovery;
class FileCommands;
class FindCommands;
class FileComparison;
class HexEditLink;
class HexPane;
class InputPane;
class QMainWindow;
class QToolBar;
class QWidget;
class Ruler;
class StatusPanels;
class TokenView;
class ViewCommands;
class WindowLayout;

// What the main window's controllers work on: the document with its one
// selection, the panes that show it and the bars. The window makes them all
// before any controller, and they live as long as it does.
struct WindowParts {
    QMainWindow *window = nullptr;
    QWidget *clientArea = nullptr;
    ByteDocument *document = nullptr;
    ByteSelection *selection = nullptr;
    InputPane *inputPane = nullptr;
    HexPane *hexPane = nullptr;
    TokenView *outputPane = nullptr;
    Ruler *ruler = nullptr;
    HexEditLink *hexEditLink = nullptr;
    QToolBar *pathBar = nullptr;
    CaptionButton *pathButton = nullptr;
    StatusPanels *panels = nullptr;
    // The recovery copies of the document, which follow it in the pane.
    DocumentRecovery *recovery = nullptr;
    // The comparison of the document with a file.
    FileComparison *comparison = nullptr;

    // The controllers that others call on.
    WindowLayout *layout = nullptr;
    ViewCommands *views = nullptr;
    FileCommands *files = nullptr;
    FindCommands *find = nullptr;
};
