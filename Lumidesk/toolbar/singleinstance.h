#pragma once

#include <QString>

#include <memory>

class QLockFile;

// One Lumidesk per user. A second toolbar would write the same settings file and fight the first for
// the local link and the panel, so a start first looks for a running Lumidesk of the same user: one
// whose local link socket answers, or one still starting. Found, this start must end before it makes
// any window, server, thread or child, and leave the running one alone.
//
// A start holds a lock beside the link's socket from its look until its link server listens: two
// starts at the same moment cannot both find no one and go on. The lock of a start that died is stale
// and taken over.
class SingleInstance
{
public:
    // What a start that finds another says on standard error.
    static const char AlreadyRunningText[];

    SingleInstance();
    ~SingleInstance();

    // True when this start may go on: no other Lumidesk of this user runs or is starting. Looking
    // only connects to the link's socket and closes again at once; it never removes the socket file.
    // Without a private runtime folder there is no link to find, and the start goes on.
    bool claim();
    // The link server listens (or will not): from now on, later starts find this one by its socket.
    void release();

private:
    QString m_socketPath;
    std::unique_ptr<QLockFile> m_lock;
};
