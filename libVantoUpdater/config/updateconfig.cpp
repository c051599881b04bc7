#include "updateconfig.h"

#include <QFile>
#include <QTextStream>

const char UpdateConfig::SoftwareVersionKey[] = "LinuxVersion";
const char UpdateConfig::TestSoftwareVersionKey[] = "LinuxTestVersion";
const char UpdateConfig::InstallerPathKey[] = "LinuxInstallerPath";
const char UpdateConfig::TestInstallerPathKey[] = "LinuxTestInstallerPath";
const char UpdateConfig::InstallerSha256Key[] = "LinuxInstallerSha256";
const char UpdateConfig::TestInstallerSha256Key[] = "LinuxTestInstallerSha256";
const char UpdateConfig::FirmwareVersionKey[] = "FWVersion";
const char UpdateConfig::FirmwareInstallerPathKey[] = "FWInstallerPath";
const char UpdateConfig::FirmwareInstallerSha256Key[] = "FWInstallerSha256";
const char UpdateConfig::WindowsVersionKey[] = "WindowsVersion";

QString UpdateConfig::value(const QString &filePath, const QString &key)
{
    if (key.trimmed().isEmpty())
        return QString();
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    QTextStream stream(&file);
    stream.setCodec("UTF-8");
    QString line;
    while (stream.readLineInto(&line)) {
        const QString found = valueOfLine(line, key);
        if (!found.isNull())
            return found;
    }
    return QString();
}

QString UpdateConfig::valueOfLine(const QString &line, const QString &key)
{
    const int equals = line.indexOf(QLatin1Char('='));
    if (equals < 0 || line.left(equals).trimmed() != key)
        return QString();
    const QString rest = line.mid(equals + 1).trimmed();
    const QStringList pieces = rest.split(QLatin1Char('"'));
    // No quotes: the bare text. Exactly two: the text between them. Anything else is broken quoting,
    // which must not be guessed into a version or an address.
    // A found key always answers with a non-null string, so that callers can tell it from a missing one.
    QString found = QStringLiteral("");
    if (pieces.size() == 1)
        found += rest;
    else if (pieces.size() == 3)
        found += pieces.at(1);
    return found;
}
