#pragma once

#include "system/systemfacts.h"

namespace platform {

// Reads os-release, /proc/cpuinfo and /proc/meminfo. Every path lies under a root folder ("/" by
// default) so that tests can hand in a tree of fixture files.
class LinuxSystemFacts : public SystemFacts
{
public:
    explicit LinuxSystemFacts(const QString &rootFolder = QStringLiteral("/"));

    QString osVersion() const override;
    QString cpuBrand() const override;
    int cpuCount() const override;
    quint64 memoryBytes() const override;

private:
    QString pathUnderRoot(const QString &absolutePath) const;
    QByteArray readFile(const QString &absolutePath) const;

    QString m_root;
};

} // namespace platform
