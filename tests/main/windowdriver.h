#pragma once

// Drives the windows the way a user does: shortcut keys, typed keys, mouse
// moves, dialogs answered and message boxes closed. No dialog a test opens
// stays open: a failed check inside an answer, or a dialog that nothing
// answers, closes it and the test fails instead of hanging.

#include "objectnames.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDialog>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>

// Closes every modal dialog and message box still open when it ends, and,
// while it lives, one that stays open far longer than any answer takes
// (nothing answers it): that one fails the test. Keep one alive around every
// command that opens a dialog; DialogAnswer and MessageCatcher hold one.
class ModalGuard : public QObject {
public:
    ModalGuard() {
        connect(&timer, &QTimer::timeout, this, [this] { watch(); });
        timer.start(50);
    }
    ~ModalGuard() override { closeAll(); }
    ModalGuard(const ModalGuard &) = delete;
    ModalGuard &operator=(const ModalGuard &) = delete;

    static void closeAll() {
        // Closing one may uncover the dialog that opened it.
        while (QWidget *modal = QApplication::activeModalWidget()) {
            close(modal);
            QCoreApplication::processEvents();
            if (QApplication::activeModalWidget() == modal)
                break;
        }
    }

    static void close(QWidget *modal) {
        if (auto *dialog = qobject_cast<QDialog *>(modal))
            dialog->reject();
        else
            modal->close();
    }

private:
    void watch() {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal != watched) {
            watched = modal;
            deadline.setRemainingTime(std::chrono::seconds(30));
            return;
        }
        if (!modal || !deadline.hasExpired())
            return;
        QTest::qFail(qPrintable(QStringLiteral("no answer to the modal %1 \"%2\"")
                                    .arg(QLatin1String(modal->metaObject()->className()),
                                         modal->windowTitle())),
                     __FILE__, __LINE__);
        close(modal);
    }

    QTimer timer;
    QPointer<QWidget> watched;
    QDeadlineTimer deadline;
};

// Runs answer on the first modal dialog of type T that opens. If the answer
// leaves the dialog open (a check inside it failed), the dialog is closed.
// seen tells whether a dialog came at all.
template <class T> class DialogAnswer : public QObject {
public:
    explicit DialogAnswer(std::function<void(T *)> answer) : answer(std::move(answer)) {
        connect(&timer, &QTimer::timeout, this, [this] { poll(); });
        timer.start(5);
    }
    bool seen = false;

private:
    void poll() {
        auto *dialog = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!dialog || seen)
            return;
        seen = true;
        timer.stop();
        QPointer<T> open(dialog);
        answer(dialog);
        if (open && open->isVisible())
            ModalGuard::close(open);
    }
    std::function<void(T *)> answer;
    QTimer timer;
    ModalGuard guard;
};

// Watches for message boxes while a test runs, records each one and closes
// it: "Yes" where the box asks (the file dialog's overwrite question), its
// OK button otherwise.
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
        QAbstractButton *button = box->button(QMessageBox::Yes);
        if (!button)
            button = box->button(QMessageBox::Ok);
        if (button)
            button->click();
        else
            box->reject();
    }

    QTimer timer;
    ModalGuard guard;
};

// Types text key by key, with the key code a keyboard would send.
inline void typeText(QWidget *widget, const QString &text) {
    for (const QChar ch : text) {
        const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(ch), Qt::NoModifier);
    }
}

// A caption as the user reads it: without the "&" that marks its access
// key ("&&" stands for "&").
inline QString shownCaption(const QString &caption) {
    QString shown;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;
        shown += caption[i];
    }
    return shown;
}

// The object name of status panel n, numbered from 1.
inline QByteArray statusPanelName(int panel) {
    return QByteArray(objectnames::statusPanelPrefix) + QByteArray::number(panel);
}

template <class T> T *child(QWidget *window, const char *name) {
    T *widget = window->findChild<T *>(QLatin1String(name));
    if (!widget)
        qFatal("no child %s", name);
    return widget;
}

template <class T> T *child(QWidget *window, const QByteArray &name) {
    return child<T>(window, name.constData());
}
