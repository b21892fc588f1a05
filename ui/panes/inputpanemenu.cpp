#include "inputpanemenu.h"

#include "bytemimedata.h"
#include "document/bytedocument.h"
#include "inputpane.h"
#include "inputpaneediting.h"

#include <QApplication>
#include <QClipboard>
#include <QMenu>

namespace {

// Qt's own words for a text edit's context menu, in the language Qt speaks.
QString textEditWord(const char *source) {
    return QCoreApplication::translate("QWidgetTextControl", source);
}

QString withShortcut(const QString &caption, QKeySequence::StandardKey key) {
    return caption + QLatin1Char('\t') + QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

void InputPaneMenu::exec(InputPane *pane, const QPoint &globalPos) {
    const InputPane::Range shown = pane->shownSelection();
    const bool selected = shown.start < shown.end;
    const ByteDocument *doc = pane->document();
    InputPaneEditing *editing = pane->editing.get();
    QMenu menu(pane);
    struct Item {
        const char *name;
        QString caption;
        bool enabled;
        std::function<void()> run;
    };
    const Item items[] = {
        {"edit-undo", withShortcut(textEditWord("&Undo"), QKeySequence::Undo), doc->canUndo(),
         [editing] { editing->undo(); }},
        {"edit-redo", withShortcut(textEditWord("&Redo"), QKeySequence::Redo), doc->canRedo(),
         [editing] { editing->redo(); }},
        {nullptr, {}, false, {}},
        {"edit-cut", withShortcut(textEditWord("Cu&t"), QKeySequence::Cut), selected,
         [editing] { editing->cut(); }},
        {"edit-copy", withShortcut(textEditWord("&Copy"), QKeySequence::Copy), selected,
         [editing] { editing->copy(); }},
        {"edit-paste", withShortcut(textEditWord("&Paste"), QKeySequence::Paste),
         pastesAsText(QGuiApplication::clipboard()->mimeData()), [editing] { editing->paste(); }},
        {"edit-delete", textEditWord("Delete"), selected,
         [editing] { editing->deleteSelection(); }},
        {nullptr, {}, false, {}},
        {"select-all", withShortcut(textEditWord("Select All"), QKeySequence::SelectAll),
         !doc->isEmpty(), [pane] { pane->selectAll(); }},
    };
    for (const Item &item : items) {
        if (!item.name) {
            menu.addSeparator();
            continue;
        }
        QAction *action = menu.addAction(item.caption);
        action->setObjectName(QLatin1String(item.name));
        action->setEnabled(item.enabled);
        const QIcon icon = QIcon::fromTheme(QLatin1String(item.name));
        if (!icon.isNull())
            action->setIcon(icon);
        QObject::connect(action, &QAction::triggered, pane, item.run);
    }
    menu.exec(globalPos);
}
