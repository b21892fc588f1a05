#pragma once

#include <QKeyEvent>

// Which key presses type their text into a pane. A key held with Ctrl, Alt
// or Meta is a command (an access key of the menus, a shortcut) and never
// types, whatever text the platform gives it: Alt+Ф opens the menu "Файл"
// or does nothing, it never writes "ф" into the document. Shift, the keypad
// and a layout's group switch leave typing alone, and so does AltGr where
// the platform sends its characters without Ctrl or Alt, as X11 and Wayland
// do. Windows sends AltGr as Ctrl+Alt and macOS types with Option (Alt):
// there those combinations still type.
namespace typedkey {

inline bool typesWith(Qt::KeyboardModifiers modifiers) {
    modifiers &= ~(Qt::ShiftModifier | Qt::KeypadModifier | Qt::GroupSwitchModifier);
    if (modifiers == Qt::NoModifier)
        return true;
#if defined(Q_OS_WIN)
    return modifiers == (Qt::ControlModifier | Qt::AltModifier);
#elif defined(Q_OS_MACOS)
    return modifiers == Qt::AltModifier;
#else
    return false;
#endif
}

// A key press whose text must not be typed.
inline bool isCommand(const QKeyEvent &event) {
    return !event.text().isEmpty() && !typesWith(event.modifiers());
}

// The same key press without its text: a text edit given it acts on the key
// and its modifiers (Ctrl+V, Ctrl+Z, moves) and types nothing.
inline QKeyEvent withoutText(const QKeyEvent &event) {
    return QKeyEvent(event.type(), event.key(), event.modifiers(), event.nativeScanCode(),
                     event.nativeVirtualKey(), event.nativeModifiers(), QString(),
                     event.isAutoRepeat(), event.count(), event.device());
}

} // namespace typedkey
