#include "exitsignals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace exitsignals {
namespace {

constexpr int endingSignals[] = {SIGTERM, SIGHUP, SIGINT};

// The handler writes to the first, the event loop reads the second.
int wakeUp[2] = {-1, -1};

void onEndingSignal(int number) {
    const int savedErrno = errno;
    // From now on a signal ends the program at once, should beforeExit hang.
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (const int other : endingSignals) {
        struct sigaction current {};
        if (::sigaction(other, nullptr, &current) == 0 && current.sa_handler == onEndingSignal)
            ::sigaction(other, &byDefault, nullptr);
    }
    const char byte = char(number);
    // A full socket has a byte on its way already.
    [[maybe_unused]] const ssize_t written = ::write(wakeUp[0], &byte, 1);
    errno = savedErrno;
}

[[noreturn]] void endAsSignalled(int number) {
    ::signal(number, SIG_DFL);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, number);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(number);
    // Only where the signal cannot end a program.
    ::_exit(128 + number);
}

} // namespace

void install(std::function<void()> beforeExit) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, wakeUp) != 0)
        return;
    ::fcntl(wakeUp[0], F_SETFL, O_NONBLOCK);
    auto *notifier =
        new QSocketNotifier(wakeUp[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, notifier,
                     [notifier, beforeExit = std::move(beforeExit)] {
                         char number = 0;
                         if (::read(wakeUp[1], &number, 1) != 1)
                             return;
                         notifier->setEnabled(false);
                         beforeExit();
                         endAsSignalled(int(number));
                     });

    struct sigaction action {};
    action.sa_handler = onEndingSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int number : endingSignals) {
        struct sigaction previous {};
        if (::sigaction(number, nullptr, &previous) == 0 && previous.sa_handler != SIG_IGN)
            ::sigaction(number, &action, nullptr);
    }
}

} // namespace exitsignals
