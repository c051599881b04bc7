#pragma once

#include "journix.h"

#include <QString>

// The main program's one way into the log system. Every record goes under the module name
// "Tesmera/Lumidesk"; the threshold, time stamps and files are the log system's business.
//
// Levels by meaning: 2 errors, 3 rejected input, 4 state changes, 7 message traces.
class _LumideskLog
{
public:
    static void log(Journix::LogLevel level, QString format, ...);

    // The module id the front logs under: -1 when registration failed.
    static int moduleId();

private:
    _LumideskLog() = delete;
};
