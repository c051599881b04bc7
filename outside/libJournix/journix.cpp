#include "journix.h"

#include "syslogger.h"

#include <QDateTime>
#include <QMutexLocker>

#include <cstdio>
#include <vector>

namespace {

// vsnprintf into a buffer that grows to the full length, so a long record is never cut.
QByteArray formatMessage(const QByteArray &format, va_list args)
{
    char small[512];
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(small, sizeof small, format.constData(), copy);
    va_end(copy);
    if (length < 0)
        return format;
    if (length < int(sizeof small))
        return QByteArray(small, length);
    std::vector<char> large(size_t(length) + 1);
    va_copy(copy, args);
    std::vsnprintf(large.data(), large.size(), format.constData(), copy);
    va_end(copy);
    return QByteArray(large.data(), length);
}

// One record is one line: embedded line breaks would make a record look like several.
QByteArray oneLine(const QByteArray &message)
{
    QByteArray body = message;
    while (body.endsWith('\n') || body.endsWith('\r'))
        body.chop(1);
    body.replace('\n', ' ');
    body.replace('\r', ' ');
    return body;
}

} // namespace

Journix *Journix::getSysJournix()
{
    // A function-local static is made once even when threads race for the first call.
    static Journix instance;
    return &instance;
}

int Journix::registerLoggedModule(const QString &name)
{
    if (name.isEmpty())
        return -1;
    QMutexLocker locker(&m_mutex);
    const int existing = m_modules.indexOf(name);
    if (existing >= 0)
        return existing;
    m_modules.append(name);
    return m_modules.size() - 1;
}

void Journix::setLogLevel(int level)
{
    QMutexLocker locker(&m_mutex);
    m_level = level;
}

int Journix::logLevel() const
{
    QMutexLocker locker(&m_mutex);
    return m_level;
}

void Journix::setLogger(SysLogger *logger)
{
    QMutexLocker locker(&m_mutex);
    if (m_started && m_logger)
        m_logger->close();
    m_started = false;
    m_logger = logger;
}

bool Journix::startLog()
{
    QMutexLocker locker(&m_mutex);
    if (!m_logger)
        return false;
    if (!m_started)
        m_started = m_logger->open();
    return m_started;
}

void Journix::stopLog()
{
    QMutexLocker locker(&m_mutex);
    if (m_started && m_logger)
        m_logger->close();
    m_started = false;
}

bool Journix::isLogging() const
{
    QMutexLocker locker(&m_mutex);
    return m_started;
}

void Journix::log(int module, LogLevel level, QString format, va_list args)
{
    log(module, level, EchoBySeverity, format, args);
}

void Journix::log(int module, LogLevel level, Echo echo, QString format, va_list args)
{
    bool keep = false;
    QString moduleName;
    {
        QMutexLocker locker(&m_mutex);
        if (module < 0 || module >= m_modules.size())
            return;
        keep = m_started && int(level) <= m_level;
        moduleName = m_modules.at(module);
    }
    const bool show = echo == EchoBySeverity && int(level) <= EchoLevel;
    if (!keep && !show)
        return;
    // Formatting happens outside the lock so slow records never hold up other threads.
    const QByteArray message = formatMessage(format.toUtf8(), args);
    if (show) {
        // One write per line: lines of several threads never run into each other.
        const QByteArray line = formatEcho(moduleName, message);
        std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    }
    if (!keep)
        return;
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss.zzz"));

    QMutexLocker locker(&m_mutex);
    if (!m_started || !m_logger)
        return;
    m_logger->write(formatRecord(stamp, moduleName, int(level), message));
}

void Journix::log(int module, LogLevel level, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    log(module, level, QString::fromUtf8(format), args);
    va_end(args);
}

QByteArray Journix::formatRecord(const QString &timeStamp, const QString &module, int level,
                                 const QByteArray &message)
{
    QByteArray line = timeStamp.toUtf8();
    // The level as a number: the programs give the levels their own meanings.
    line += " <";
    line += QByteArray::number(level);
    line += "> ";
    line += module.toUtf8();
    line += ": ";
    line += oneLine(message);
    line += '\n';
    return line;
}

QByteArray Journix::formatEcho(const QString &module, const QByteArray &message)
{
    return module.toUtf8() + ": " + oneLine(message) + '\n';
}
