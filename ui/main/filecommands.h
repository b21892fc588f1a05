#pragma once

#include "windowparts.h"

#include <QObject>
#include <QString>

class QMimeData;

// The commands on files and the document as a whole: open, save, clear,
// and the rule that no document is dropped before its unsaved edits are
// kept in a recovery copy or saved.
class FileCommands : public QObject {
    Q_OBJECT

public:
    explicit FileCommands(const WindowParts &parts, QObject *parent = nullptr);

    void open();
    void save();
    // The display panes keep what they show, unlinked.
    void clearDocument();

    // Opens a file by the rules of the open command, without its dialog
    // (command line, dropped files). True when the document was replaced.
    bool openFile(const QString &path);
    // The one local file dropped or dragged, or an empty string.
    static QString droppedFile(const QMimeData *data);

    // The open dialog's face and rules, titled for the comparison.
    QString chooseFileToCompare();

    // Saving: the Save As dialog, and the document written to a file. True
    // when it was saved.
    bool saveDocumentAs();
    bool saveDocumentTo(const QString &path);

    // Before the document is dropped. False when its copy failed and the
    // user kept it: "Отмена", or the save asked for failed or was cancelled.
    bool keepUnsaved();
    // The copy written at once; when it fails, the question whether to save
    // first. True when the document may go.
    bool unsavedMayGo();
    bool askToSaveUnsaved(const QString &reason);

    // The document now stands for the file at path (empty for none): the
    // save dialog proposes it and the toolbar names it.
    void setDocumentFile(const QString &path);

private:
    bool loadDocument(const QString &path);

    const WindowParts &parts;
    // The path last chosen in the open or save dialog.
    QString lastChosenPath;
};
