#include "ui/shell/termination_signals.h"

#ifndef _WIN32
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#endif

namespace zmt::ui {

#ifndef _WIN32
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// A handler may do next to nothing; writing a byte into a pipe is allowed,
// and the event loop reads it on the other end (the self-pipe trick).
int wakePipe[2] = {-1, -1};

extern "C" void onTerminationSignal(int) {
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
    errno = saved;
}

void setHandler(void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

} // namespace

TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {
    if (wakePipe[0] >= 0 || ::pipe(wakePipe) != 0) return;   // one watcher per program
    for (int end : wakePipe) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    notifier_ = new QSocketNotifier(wakePipe[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, [this] {
        char bytes[16];
        while (::read(wakePipe[0], bytes, sizeof bytes) > 0) {}
        // Asked once; if ending hangs, the next signal ends the program.
        setHandler(SIG_DFL);
        emit requested();
    });
    setHandler(onTerminationSignal);
}

TerminationSignals::~TerminationSignals() {
    if (notifier_ == nullptr) return;
    setHandler(SIG_DFL);
    delete notifier_;
    for (int& end : wakePipe) {
        ::close(end);
        end = -1;
    }
}

#else
// Windows asks a windowed program to end by closing its windows, which the
// main window already handles; there is nothing to catch.
TerminationSignals::TerminationSignals(QObject* parent) : QObject(parent) {}
TerminationSignals::~TerminationSignals() = default;
#endif

} // namespace zmt::ui
