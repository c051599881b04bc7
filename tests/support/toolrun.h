#pragma once

// Runs a command-line tool a test relies on, with a time limit.

#include <QProcess>
#include <QStringList>

// Empty when the tool ran and exited with 0; otherwise what went wrong. A run past the limit is killed.
inline QString runTool(QProcess &process, const QString &program, const QStringList &arguments, int timeoutMs)
{
    process.start(program, arguments);
    if (!process.waitForStarted(timeoutMs))
        return program + QStringLiteral(" did not start: ") + process.errorString();
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        return program + QStringLiteral(" did not finish in time");
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return program + QStringLiteral(" crashed");
    if (process.exitCode() != 0)
        return program + QStringLiteral(" exited with %1").arg(process.exitCode());
    return QString();
}
