#pragma once

// How many sockets the test process holds open: a display or server connection is one.

#include <QDir>
#include <QFileInfo>

inline int openSockets()
{
    int sockets = 0;
    const QFileInfoList entries = QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        sockets += entry.symLinkTarget().contains(QLatin1String("socket:"));
    return sockets;
}
