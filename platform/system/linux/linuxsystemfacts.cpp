#include "system/linux/linuxsystemfacts.h"

#include <QDir>
#include <QFile>
#include <QList>

namespace platform {

namespace {

// /proc files report a size of 0, so they are read to their end rather than by their size; the cap
// only guards against a file that never ends.
constexpr qint64 MaxFactFileSize = 4 * 1024 * 1024;

// The value of a "key : value" line of /proc/cpuinfo, or a null array when the line has another key.
QByteArray cpuinfoValue(const QByteArray &line, const QByteArray &key)
{
    const int colon = line.indexOf(':');
    if (colon < 0 || line.left(colon).trimmed() != key)
        return QByteArray();
    return line.mid(colon + 1).trimmed();
}

// An os-release value: the text after "=", without the optional double or single quotes and with
// the shell-style backslash escapes undone.
QString osReleaseValue(QByteArray raw)
{
    raw = raw.trimmed();
    if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
        raw = raw.mid(1, raw.size() - 2);
    QByteArray value;
    value.reserve(raw.size());
    for (int i = 0; i < raw.size(); ++i) {
        if (raw.at(i) == '\\' && i + 1 < raw.size())
            ++i;
        value.append(raw.at(i));
    }
    return QString::fromUtf8(value);
}

} // namespace

LinuxSystemFacts::LinuxSystemFacts(const QString &rootFolder) : m_root(rootFolder) {}

QString LinuxSystemFacts::osVersion() const
{
    // /etc/os-release is the usual place; systems without it keep the vendor's copy in /usr/lib.
    QByteArray text = readFile(QStringLiteral("/etc/os-release"));
    if (text.isEmpty())
        text = readFile(QStringLiteral("/usr/lib/os-release"));
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &line : lines) {
        if (line.startsWith("VERSION_ID="))
            return osReleaseValue(line.mid(int(sizeof("VERSION_ID=") - 1)));
    }
    return QString();
}

QString LinuxSystemFacts::cpuBrand() const
{
    // x86 names the brand "model name"; other architectures use one of the later keys.
    static const QByteArray keys[] = {"model name", "Model", "Hardware", "Processor", "cpu model"};
    const QList<QByteArray> lines = readFile(QStringLiteral("/proc/cpuinfo")).split('\n');
    for (const QByteArray &key : keys) {
        for (const QByteArray &line : lines) {
            const QByteArray value = cpuinfoValue(line, key);
            if (!value.isEmpty())
                return QString::fromUtf8(value);
        }
    }
    return QString();
}

int LinuxSystemFacts::cpuCount() const
{
    int count = 0;
    const QList<QByteArray> lines = readFile(QStringLiteral("/proc/cpuinfo")).split('\n');
    for (const QByteArray &line : lines) {
        if (!cpuinfoValue(line, "processor").isNull())
            ++count;
    }
    return count;
}

quint64 LinuxSystemFacts::memoryBytes() const
{
    const QList<QByteArray> lines = readFile(QStringLiteral("/proc/meminfo")).split('\n');
    for (const QByteArray &line : lines) {
        if (!line.startsWith("MemTotal:"))
            continue;
        // "MemTotal:       16384000 kB": the kernel's "kB" are kibibytes.
        const QList<QByteArray> parts = line.mid(int(sizeof("MemTotal:") - 1)).simplified().split(' ');
        bool ok = false;
        const quint64 kibibytes = parts.value(0).toULongLong(&ok);
        if (!ok)
            return 0;
        const QByteArray unit = parts.value(1).toLower();
        if (unit.isEmpty())
            return kibibytes;
        return unit == "kb" ? kibibytes * 1024 : 0;
    }
    return 0;
}

QString LinuxSystemFacts::pathUnderRoot(const QString &absolutePath) const
{
    return QDir::cleanPath(m_root + QLatin1Char('/') + absolutePath);
}

QByteArray LinuxSystemFacts::readFile(const QString &absolutePath) const
{
    QFile file(pathUnderRoot(absolutePath));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.read(MaxFactFileSize);
}

} // namespace platform
