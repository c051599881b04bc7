#include "desktop/brokenpipeguard.h"

#include <QLocalSocket>

#include <cerrno>
#include <csignal>
#include <cstring>

#include <sys/socket.h>
#include <unistd.h>

namespace platform {

namespace {

// QtNetwork sets SIGPIPE to "ignored" on its first socket write, once per process, whatever handler
// was installed before; the first panel or phone connection would silently replace ours. One write
// through QtNetwork here makes that happen first.
void letQtNetworkSetItsDisposition()
{
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
        return;
    {
        QLocalSocket socket;
        if (socket.setSocketDescriptor(ends[0])) {
            socket.write("", 1);
            socket.flush();
        } else {
            ::close(ends[0]);
        }
    }
    ::close(ends[1]);
}

} // namespace

bool BrokenPipeGuard::install()
{
    letQtNetworkSetItsDisposition();
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
