#pragma once

#include <QAction>
#include <QHash>
#include <QKeySequence>
#include <QList>
#include <QString>
#include <initializer_list>

// The main window's commands: each row a caption, its key, the object name
// it is found by and the handler it runs. Menus and controllers take the
// actions by object name.
class ActionTable {
public:
    explicit ActionTable(QObject *owner) : owner(owner) {}

    // The handler's result, if it has one, goes unused.
    template <class Receiver, class Result>
    QAction *add(const char *name, const QString &caption, const QKeySequence &key,
                 Receiver *receiver, Result (Receiver::*handler)()) {
        QAction *action = make(name, caption, key);
        QObject::connect(action, &QAction::triggered, receiver, handler);
        return action;
    }

    // Rows of one receiver's handlers.
    template <class Receiver> struct Row {
        const char *name;
        QString caption;
        QKeySequence key;
        void (Receiver::*handler)();
    };
    template <class Receiver>
    void add(Receiver *receiver, std::initializer_list<Row<Receiver>> rows) {
        for (const Row<Receiver> &row : rows)
            add(row.name, row.caption, row.key, receiver, row.handler);
    }

    // The action of that object name; a name not in the table is a fault.
    QAction *operator[](const char *name) const;
    QList<QAction *> list(std::initializer_list<const char *> names) const;

private:
    QAction *make(const char *name, const QString &caption, const QKeySequence &key);

    QObject *owner;
    QHash<QString, QAction *> actions;
};
