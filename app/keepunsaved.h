#pragma once

class MainWindow;

// The program can end without the window's close: by SIGTERM, SIGHUP or
// SIGINT (exitsignals.h), or by exit(), which is how Qt's xcb platform ends
// it when the connection to the display breaks. While a KeepUnsaved lives,
// the window's unsaved edits get their recovery copy first, and a copy that
// fails is said on standard error. (A logout asks the window itself first,
// and the event loop's end is the window's too.)
class KeepUnsaved {
public:
    // One at a time; the signals are taken over the first time.
    explicit KeepUnsaved(MainWindow &window);
    ~KeepUnsaved();
    KeepUnsaved(const KeepUnsaved &) = delete;
    KeepUnsaved &operator=(const KeepUnsaved &) = delete;
};
