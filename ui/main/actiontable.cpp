#include "actiontable.h"

QAction *ActionTable::make(const char *name, const QString &caption, const QKeySequence &key) {
    auto *action = new QAction(caption, owner);
    action->setObjectName(QLatin1String(name));
    action->setShortcut(key);
    actions.insert(action->objectName(), action);
    return action;
}

QAction *ActionTable::operator[](const char *name) const {
    QAction *action = actions.value(QLatin1String(name));
    if (!action)
        qFatal("no action %s", name);
    return action;
}

QList<QAction *> ActionTable::list(std::initializer_list<const char *> names) const {
    QList<QAction *> found;
    for (const char *name : names)
        found << (*this)[name];
    return found;
}
