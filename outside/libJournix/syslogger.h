#pragma once

#include "journixglobal.h"

#include <QByteArray>

// Where the log system's finished records go. The log system hands over one complete line at a time,
// already serialised, so an implementation need not guard against concurrent calls.
class JOURNIX_EXPORT SysLogger
{
public:
    virtual ~SysLogger();

    // Opens whatever the logger writes to. Returns false when nothing can be written.
    virtual bool open() = 0;
    virtual void close() = 0;
    // Writes one record, which ends with a newline.
    virtual void write(const QByteArray &line) = 0;

protected:
    SysLogger() = default;
    Q_DISABLE_COPY(SysLogger)
};
