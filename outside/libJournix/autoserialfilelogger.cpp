#include "autoserialfilelogger.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString DateToken = QStringLiteral("YYMMDD");
const QChar SerialDigit = QLatin1Char('9');

// Where the serial number stands: the last run of '9' after the date token (or in the file name).
void findSerial(const QString &pattern, int *position, int *width)
{
    const int nameStart = pattern.lastIndexOf(QLatin1Char('/')) + 1;
    const int dateAt = pattern.lastIndexOf(DateToken);
    const int from = dateAt >= nameStart ? dateAt + DateToken.size() : nameStart;
    int end = -1;
    for (int i = pattern.size() - 1; i >= from; --i) {
        if (pattern.at(i) == SerialDigit) {
            end = i;
            break;
        }
    }
    if (end < 0) {
        *position = -1;
        *width = 0;
        return;
    }
    int start = end;
    while (start > from && pattern.at(start - 1) == SerialDigit)
        --start;
    *position = start;
    *width = end - start + 1;
}

} // namespace

AutoSerialFileLogger::AutoSerialFileLogger(const QString &pattern, qint64 maxFileSize)
    : m_pattern(pattern)
    , m_maxFileSize(maxFileSize > 0 ? maxFileSize : DefaultMaxFileSize)
    , m_clock([] { return QDateTime::currentDateTime(); })
{
}

AutoSerialFileLogger::~AutoSerialFileLogger()
{
    close();
}

QString AutoSerialFileLogger::fileNameFor(const QDate &date, int serial) const
{
    int position = 0;
    int width = 0;
    findSerial(m_pattern, &position, &width);
    QString name = m_pattern;
    if (position >= 0)
        name.replace(position, width, QString::number(serial).rightJustified(width, QLatin1Char('0')));
    else if (serial > 1)
        name += QLatin1Char('.') + QString::number(serial);
    const int dateAt = name.lastIndexOf(DateToken);
    if (dateAt >= 0)
        name.replace(dateAt, DateToken.size(), date.toString(QStringLiteral("yyMMdd")));
    return name;
}

int AutoSerialFileLogger::lastSerialOf(const QDate &date) const
{
    // Probing names in order is enough: serials are only ever made one after the other.
    int serial = 0;
    while (QFileInfo::exists(fileNameFor(date, serial + 1)))
        ++serial;
    return serial;
}

bool AutoSerialFileLogger::openFile(const QDate &date, int serial)
{
    m_file.close();
    m_file.setFileName(fileNameFor(date, serial));
    QDir().mkpath(QFileInfo(m_file.fileName()).absolutePath());
    m_open = m_file.open(QIODevice::WriteOnly | QIODevice::Append);
    m_date = date;
    m_serial = serial;
    return m_open;
}

bool AutoSerialFileLogger::open()
{
    const QDate today = m_clock().date();
    const int last = lastSerialOf(today);
    if (last > 0 && QFileInfo(fileNameFor(today, last)).size() < m_maxFileSize)
        return openFile(today, last);
    return openFile(today, last + 1);
}

void AutoSerialFileLogger::close()
{
    m_file.close();
    m_open = false;
}

void AutoSerialFileLogger::write(const QByteArray &line)
{
    if (!m_open)
        return;
    const QDate today = m_clock().date();
    if (today != m_date)
        openFile(today, lastSerialOf(today) + 1);
    else if (m_file.size() > 0 && m_file.size() + line.size() > m_maxFileSize)
        openFile(today, m_serial + 1);
    if (!m_open)
        return;
    m_file.write(line);
    // Flushed per record: the log is read after crashes, when buffered records would be lost.
    m_file.flush();
}

QString AutoSerialFileLogger::currentFileName() const
{
    return m_open ? m_file.fileName() : QString();
}

void AutoSerialFileLogger::setClock(std::function<QDateTime()> clock)
{
    m_clock = clock ? std::move(clock) : [] { return QDateTime::currentDateTime(); };
}
