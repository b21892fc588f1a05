#pragma once

#include <QtGlobal>

#include <functional>

// SIGTERM, SIGHUP and SIGINT (a logout, a closed terminal, Ctrl+C, kill)
// end the program as they would have, the shell reporting 128 + the
// signal's number, but only after beforeExit ran on the event loop's
// thread: the signal handler itself only wakes the loop. A signal that the
// program was started with ignored (nohup) stays ignored; a second one while
// beforeExit runs ends the program at once.
namespace exitsignals {

#ifdef Q_OS_UNIX
// Once, when the application object exists.
void install(std::function<void()> beforeExit);
#else
// A console's control events are another matter; the window closes by its
// own close event there.
inline void install(std::function<void()>) {}
#endif

} // namespace exitsignals
