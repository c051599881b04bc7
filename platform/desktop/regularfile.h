#pragma once

#include <QString>

namespace platform {

// The one rule for the settings and name files the programs read: a path is used while it names a
// regular file (or a link to one) or nothing at all. Anything else in its place (a named pipe, a
// folder, a device, a socket) is never opened: reading a pipe waits for a writer that may never come,
// and a device may never end. Such a path is swapped for a private, empty stand-in file of the
// process's own, removed when the process ends, and the reason is logged once.
class RegularFile
{
public:
    struct Choice
    {
        // The path to open: the asked one, or its stand-in.
        QString path;
        // Why the asked path is not used; empty while it is.
        QString refusal;
    };

    // Looks at the path without opening it. The caller tells of a refusal; once a path's stand-in is
    // made this way, usable() says nothing more of it.
    static Choice choose(const QString &path);
    // choose(path).path, what to hand to QSettings or QFile; the first refusal of a path is logged.
    static QString usable(const QString &path);
    // True when the path is a regular file, a link to one, or absent, and was not refused before.
    static bool isUsable(const QString &path);
    // Refuses a regular file the caller found it cannot use (one it cannot read or parse, which
    // writing would overwrite): from now on the path gives its stand-in for the rest of the run, and
    // the file stays as it is. The caller tells why. Returns the stand-in.
    static QString refuse(const QString &path);

private:
    RegularFile() = delete;
    static QString standIn(const QString &path, const QString &untold);
    static QString refusedStandIn(const QString &path);
};

} // namespace platform
