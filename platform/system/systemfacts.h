#pragma once

#include <QString>
#include <QtGlobal>

namespace platform {

// Facts about the computer the program runs on: operating-system version, processor and memory.
// Every call reads the system afresh, so a value is never older than the call that asked for it.
class SystemFacts
{
public:
    // The process-wide instance of the chosen backend, made on first use.
    static SystemFacts *instance();

    virtual ~SystemFacts();

    // The operating system's own version text, such as "12" or "22.04"; empty when unknown.
    virtual QString osVersion() const = 0;
    // The processor's brand text; empty when unknown.
    virtual QString cpuBrand() const = 0;
    // The number of processors the system offers; 0 when unknown.
    virtual int cpuCount() const = 0;
    // The memory size the system reports, in bytes; 0 when unknown.
    virtual quint64 memoryBytes() const = 0;

protected:
    SystemFacts() = default;
    Q_DISABLE_COPY(SystemFacts)
};

} // namespace platform
