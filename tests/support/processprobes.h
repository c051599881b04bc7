#pragma once

// What the test process holds: its open sockets, the libraries it has mapped.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>

// How many sockets the process holds open: a display or server connection is one.
inline int openSockets()
{
    int sockets = 0;
    const QFileInfoList entries = QDir(QStringLiteral("/proc/self/fd")).entryInfoList(QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries)
        sockets += entry.symLinkTarget().contains(QLatin1String("socket:"));
    return sockets;
}

// The first of `libraries` the process has mapped, or an empty text.
inline QByteArray firstMapped(const QList<const char *> &libraries)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return QByteArrayLiteral("(no /proc/self/maps)");
    const QByteArray mapped = maps.readAll();
    for (const char *library : libraries) {
        if (mapped.contains(library))
            return library;
    }
    return QByteArray();
}
