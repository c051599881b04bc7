#pragma once

#include <QString>
#include <QStringList>

namespace platform {

// Starts another program of ours that lives on its own: directly, never through a shell, in a
// session of its own, its output and errors going nowhere. The program is spawned without copying
// this process (the copy a fork makes of a large GUI program costs milliseconds), and a thread of
// ours collects its exit status so it never lingers as a zombie.
class DetachedProcess
{
public:
    // The new process's id, or -1 with `error` saying why it could not be started.
    static qint64 start(const QString &program, const QStringList &arguments, QString *error);

private:
    DetachedProcess() = delete;
};

} // namespace platform
