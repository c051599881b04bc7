#pragma once

// Runs xdotool on the test's X display, as a user's clicks and the window manager's view of the
// windows reach a program from outside.

#include <QProcess>
#include <QStringList>

inline bool xdotool(const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(10000))
        return false;
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}
