#include "codetablewindow.h"

#include "objectnames.h"

#include "codetabledocument.h"
#include "twips.h"

#include <QAction>
#include <QTextEdit>
#include <QVBoxLayout>

namespace {

constexpr int clientWidthTwips = 5190;
constexpr int clientHeightTwips = 3465;

} // namespace

CodeTableWindow::CodeTableWindow(QWidget *parent)
    : QWidget(parent, Qt::Window), pane(new QTextEdit(this)) {
    setObjectName(QLatin1String(objectnames::codeTableWindow));
    setWindowTitle(QStringLiteral("Таблицы"));
    setAttribute(Qt::WA_DeleteOnClose);

    pane->setObjectName(QLatin1String(objectnames::codeTablePane));
    // A reference, not an editor: the text can be selected and copied but not
    // changed by a stray key press.
    pane->setReadOnly(true);
    pane->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    pane->setUndoRedoEnabled(false);
    // Never break inside a word: a column too narrow for a code widens
    // instead of splitting the code over two lines.
    pane->setWordWrapMode(QTextOption::WordWrap);
    // The document's text is black by design, so the page stays white under
    // a dark desktop theme too.
    QPalette page = pane->palette();
    page.setColor(QPalette::Base, Qt::white);
    page.setColor(QPalette::Text, Qt::black);
    pane->setPalette(page);
    codetable::fillCodeTableDocument(*pane->document(), logicalDpiX());
    // Filling the document carried the pane's cursor to its end; the reader
    // starts at the top.
    pane->moveCursor(QTextCursor::Start);

    // A margin-free layout keeps the pane at (0, 0) over the whole client area
    // through every resize, minimise and restore.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(pane);

    // Escape closes the window, as it closes the check window and a dialog.
    auto *closeWindow = new QAction(this);
    closeWindow->setShortcut(Qt::Key_Escape);
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    addAction(closeWindow);

    resize(twips::toPixelsX(*this, clientWidthTwips), twips::toPixelsY(*this, clientHeightTwips));
}
