#pragma once

// Runs xdotool on the test's X display, as a user's clicks and the window manager's view of the
// windows reach a program from outside.

#include "toolrun.h"

inline bool xdotool(const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    const bool ran = runTool(process, QStringLiteral("xdotool"), arguments, 10000).isEmpty();
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return ran;
}
