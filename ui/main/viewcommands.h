#pragma once

#include "base/bytetext.h"
#include "codepages/views.h"
#include "windowparts.h"

#include <QColor>
#include <QFont>
#include <QObject>

// The commands of "Вид" and the listings of "Клише ККМ": the views of the
// document in the output pane (F2, F3, F4), the hex-edit layout (F5, and
// Shift+F5 over the whole document), the normal layout (F6), the text beside
// the dump, the cliche listings (F7, F8), and the font of the panes.
class ViewCommands : public QObject {
    Q_OBJECT

public:
    explicit ViewCommands(const WindowParts &parts, QObject *parent = nullptr);

    void showControlNames();
    void showCp866();
    void showCp1251();
    void showHexEdit();
    void showWholeDocument();
    void showNormal();
    void showListing1251();
    void showListing866();
    void besideIn1251() { setTextBeside(false); }
    void besideIn866() { setTextBeside(true); }
    bool textBesideIsCp866() const { return besideCp866; }
    void chooseFont();

    // The hex-edit layout over the whole document, the caret's row not
    // brought into sight.
    void dumpWholeDocument();
    // Before another document comes: the normal layout, the display panes
    // empty.
    void clearForNewDocument();

    // The hex pane shows the dump of bytes, which stand at offset in the
    // document. While they are the document's own bytes there, the pane
    // follows the document, so that an edit shows at once.
    void dumpHex(QByteArrayView bytes, qint64 offset);

private:
    // What a view command works on: the whole document while it is below
    // the size limit, else the selection; or nothing, after message A (no
    // selection) or B (the selection over the limit).
    struct ViewInput {
        enum class Scope { WholeDocument, Selection, NoSelection, SelectionTooLarge };
        Scope scope;
        ByteText bytes;
        // Where the bytes stand in the document.
        qint64 offset = 0;
        bool refused() const {
            return scope == Scope::NoSelection || scope == Scope::SelectionTooLarge;
        }
    };
    ViewInput viewInput();
    // The output pane's text followed by the view of the input.
    void appendView(views::View view, const ViewInput &input);
    // The three output-pane commands: RTB3 cleared, then the view.
    void runOutputView(views::View view);
    void showListing(views::View listing);
    // The view shown beside the dump: code page 1251 or 866.
    views::View textBeside() const;
    void setTextBeside(bool cp866);

    const WindowParts &parts;
    // The text beside the dump is code page 866 rather than 1251.
    bool besideCp866 = false;
    // What the font dialog remembers between commands.
    QFont chosenFont;
    QColor chosenColor;
};
