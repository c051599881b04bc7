#pragma once

#include "journix.h"

#include <QString>
#include <QtGlobal>

// The main program's one way into the log system. Every record goes under the module name
// "Tesmera/Lumidesk"; the threshold, time stamps and files are the log system's business, and so is
// standard error: records at level 3 or more severe are shown there too (Journix::EchoLevel).
//
// Levels by meaning: 2 errors, 3 rejected input, 4 state changes, 7 message traces.
class _LumideskLog
{
public:
    static void log(Journix::LogLevel level, QString format, ...);

    // The module id the front logs under: -1 when registration failed.
    static int moduleId();

    // Sends every Qt message of the process (qDebug() and the like, the libraries' logging
    // categories, Qt's own) into the log: fatal as level 1, critical 2, warning 4, info 6, debug 7,
    // kept or dropped by the log system's threshold like any record. Warnings and worse also still go
    // where they went before (standard error), so a broken start is seen in a terminal too; the log
    // system does not echo them a second time.
    //
    // The libraries' own categories ("lumidesk.*", "qorv.*") report only warnings and worse unless the
    // threshold asks for more: at 6 their info messages, at 7 their debug messages are turned on too
    // (QT_LOGGING_RULES still decides over both).
    static void installMessageHandler(int threshold);
    // Gives the messages back to the handler that had them before.
    static void removeMessageHandler();

    // The level a Qt message is logged at.
    static Journix::LogLevel levelFor(QtMsgType type);

private:
    _LumideskLog() = delete;
};
