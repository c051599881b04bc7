#pragma once

namespace platform {

// Keeps a write to a closed pipe or socket from ending the process: the program then sees the
// write fail instead.
class BrokenPipeGuard
{
public:
    // Installs handler() for SIGPIPE. Returns false when the handler cannot be installed.
    static bool install();
    // Prints "Caught SIGPIPE" and returns. Runs inside a signal, so it only makes a write(2).
    static void handler(int signalNumber);

private:
    BrokenPipeGuard() = delete;
};

} // namespace platform
