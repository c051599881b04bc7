#pragma once

#include "syslogger.h"

#include <QDate>
#include <QDateTime>
#include <QFile>
#include <QString>

#include <functional>

// Writes records to files named by a pattern such as "/logs/Lumidesk-YYMMDD-999.log": "YYMMDD" becomes
// the day's date and "999" a serial number of as many digits, starting at 1. A new file is begun when
// the current one would grow past the size limit and when the day changes. On opening, the day's last
// file is continued while it has room, so a restart never overwrites an earlier run's records.
class JOURNIX_EXPORT AutoSerialFileLogger : public SysLogger
{
public:
    static const qint64 DefaultMaxFileSize = 8 * 1024 * 1024;

    explicit AutoSerialFileLogger(const QString &pattern, qint64 maxFileSize = DefaultMaxFileSize);
    ~AutoSerialFileLogger() override;

    bool open() override;
    void close() override;
    void write(const QByteArray &line) override;

    // The file records currently go to; empty when closed.
    QString currentFileName() const;
    // The name the pattern gives for a date and a serial number.
    QString fileNameFor(const QDate &date, int serial) const;

    // Lets tests move the clock across midnight.
    void setClock(std::function<QDateTime()> clock);

private:
    int lastSerialOf(const QDate &date) const;
    bool openFile(const QDate &date, int serial);

    QString m_pattern;
    qint64 m_maxFileSize;
    std::function<QDateTime()> m_clock;
    QFile m_file;
    QDate m_date;
    int m_serial = 0;
    bool m_open = false;
};
