#include "desktop/brokenpipeguard.h"

#include <cerrno>
#include <csignal>
#include <cstring>

#include <unistd.h>

namespace platform {

bool BrokenPipeGuard::install()
{
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = &BrokenPipeGuard::handler;
    sigemptyset(&action.sa_mask);
    // Restarted calls: a SIGPIPE caught during a blocking read elsewhere must not make it fail.
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGPIPE, &action, nullptr) == 0;
}

void BrokenPipeGuard::handler(int signalNumber)
{
    (void)signalNumber;
    static const char line[] = "Caught SIGPIPE\n";
    // write(2) is async-signal-safe; its result cannot be acted on here, and errno is kept for the
    // interrupted code.
    const int savedErrno = errno;
    const ssize_t written = ::write(STDOUT_FILENO, line, sizeof line - 1);
    (void)written;
    errno = savedErrno;
}

} // namespace platform
