#pragma once

#include "ipc/startlock.h"

#include <QString>

// One Lumidesk per user. A second toolbar would write the same settings file and fight the first for
// the local link and the panel, so a start first looks for a running Lumidesk of the same user: one
// that holds the start lock beside the link's socket. Found, this start must end before it makes any
// window, server, thread or child, and leave the running one alone.
//
// The lock is the kernel's, held from the look until the program ends, so two starts at the same
// moment cannot both go on, and a lock whose holder died, or a file a crash left behind, is simply
// taken over. Since every Lumidesk holds it, something that answers on the link's socket while this
// start holds the lock is some other program.
class SingleInstance
{
public:
    enum Outcome { Go, AlreadyRunning, Refused };

    // What a start that finds another says on standard error.
    static const char AlreadyRunningText[];

    SingleInstance();

    // Go when this start may go on: no other Lumidesk of this user runs or is starting. Refused when
    // the lock's or the socket's place cannot serve at all; refusal() says why. Looking only connects
    // to the link's socket and closes again at once; it never removes the socket file. Without a
    // private runtime folder there is no link to find, and the start goes on.
    Outcome claim();
    QString refusal() const { return m_refusal; }

private:
    Outcome refuse(const QString &reason);

    QString m_socketPath;
    QString m_refusal;
    platform::StartLock m_lock;
};
