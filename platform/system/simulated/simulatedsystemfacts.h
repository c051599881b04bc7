#pragma once

#include "system/systemfacts.h"

namespace platform {

// Fixed facts of a made-up computer, each of which can be changed, for users and tests that must not
// depend on the machine they run on.
class SimulatedSystemFacts : public SystemFacts
{
public:
    SimulatedSystemFacts();

    QString osVersion() const override { return m_osVersion; }
    QString cpuBrand() const override { return m_cpuBrand; }
    int cpuCount() const override { return m_cpuCount; }
    quint64 memoryBytes() const override { return m_memoryBytes; }

    void setOsVersion(const QString &version) { m_osVersion = version; }
    void setCpuBrand(const QString &brand) { m_cpuBrand = brand; }
    void setCpuCount(int count) { m_cpuCount = count; }
    void setMemoryBytes(quint64 bytes) { m_memoryBytes = bytes; }

private:
    QString m_osVersion = QStringLiteral("12");
    QString m_cpuBrand = QStringLiteral("Simulated Processor @ 2.00GHz");
    int m_cpuCount = 4;
    quint64 m_memoryBytes = quint64(8) * 1024 * 1024 * 1024;
};

} // namespace platform
