#pragma once

#include "journixglobal.h"

#include <QMutex>
#include <QString>
#include <QStringList>

#include <cstdarg>

class SysLogger;

// The process-wide log system. Modules register a name once and log printf-style records with a
// level; records above the threshold are dropped, the rest get a time stamp, the level and the module
// name and go to the logger. Records at EchoLevel or more severe also go to standard error, whatever
// the threshold and whether the logger runs, so a program started from a terminal shows its errors
// there. Every call may come from any thread.
class JOURNIX_EXPORT Journix
{
public:
    // Severity, as in syslog: lower is more severe. A record is kept when its level is at or below the
    // threshold.
    enum LogLevel {
        Emergency = 0,
        Alert = 1,
        Critical = 2,
        Error = 3,
        Warning = 4,
        Notice = 5,
        Info = 6,
        Debug = 7
    };

    // Records this severe or more are echoed to standard error.
    static constexpr int EchoLevel = Error;
    // EchoBySeverity echoes records by EchoLevel; NoEcho is for a record whose text the caller has
    // shown on standard error already (a Qt message that its handler passes on), so it is seen once.
    enum Echo { EchoBySeverity, NoEcho };

    static Journix *getSysJournix();

    // Returns the id to log with, or -1 for an empty name. Registering a name twice gives the same id.
    int registerLoggedModule(const QString &name);

    void setLogLevel(int level);
    int logLevel() const;

    // The logger is not owned; pass nullptr before deleting it. Changing it stops logging.
    void setLogger(SysLogger *logger);
    // Opens the logger; records logged before are dropped. Returns false without a logger or when it
    // cannot be opened.
    bool startLog();
    void stopLog();
    bool isLogging() const;

    void log(int module, LogLevel level, QString format, va_list args);
    void log(int module, LogLevel level, Echo echo, QString format, va_list args);
    void log(int module, LogLevel level, const char *format, ...) Q_ATTRIBUTE_FORMAT_PRINTF(4, 5);

    // The record line as it is written, without the time stamp prefix's clock read: public so the
    // format is tested in one place.
    static QByteArray formatRecord(const QString &timeStamp, const QString &module, int level,
                                   const QByteArray &message);
    // The line a record shows on standard error: the module name and the message.
    static QByteArray formatEcho(const QString &module, const QByteArray &message);

private:
    Journix() = default;
    Q_DISABLE_COPY(Journix)

    mutable QMutex m_mutex;
    QStringList m_modules;
    SysLogger *m_logger = nullptr;
    int m_level = Warning;
    bool m_started = false;
};
