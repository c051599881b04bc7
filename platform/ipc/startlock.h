#pragma once

#include <QString>

namespace platform {

// A lock a program holds for as long as it runs: the kernel's lock on a file of the user's own,
// released by the kernel when the process ends however it ends. What the file holds does not matter,
// so a file a crash left empty or half written is simply locked again; only a place that is no
// regular file of this user cannot serve, and says why.
class StartLock
{
public:
    enum Result { Taken, HeldByAnother, Unusable };

    StartLock() = default;
    ~StartLock();
    StartLock(const StartLock &) = delete;
    StartLock &operator=(const StartLock &) = delete;

    // Takes the lock at path, making the file when there is none. Never waits: a lock held by a live
    // process gives HeldByAnother; a place that cannot be locked gives Unusable and the reason.
    Result take(const QString &path, QString *reason = nullptr);
    void release();
    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

} // namespace platform
