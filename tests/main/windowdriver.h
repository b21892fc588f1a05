#pragma once

// Drives the main window the way a user does: shortcut keys, typed keys,
// mouse moves, and message boxes answered with OK.

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

// Watches for message boxes while a test runs, records each one and closes
// it with its OK button.
class MessageCatcher : public QObject {
public:
    struct Message {
        QString title;
        QString text;
        QMessageBox::Icon icon;
        int buttonCount;
    };

    MessageCatcher() {
        connect(&timer, &QTimer::timeout, this, [this] { answer(); });
        timer.start(5);
    }

    QList<Message> messages;

    QStringList texts() const {
        QStringList list;
        for (const Message &message : messages)
            list << message.text;
        return list;
    }

private:
    void answer() {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box)
            return;
        messages.append({box->windowTitle(), box->text(), box->icon(), int(box->buttons().size())});
        if (QAbstractButton *ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    }

    QTimer timer;
};

// Types text key by key, with the key code a keyboard would send.
inline void typeText(QWidget *widget, const QString &text) {
    for (const QChar ch : text) {
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(ch), Qt::NoModifier);
    }
}

template <class T> T *child(QWidget *window, const char *name) {
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}
