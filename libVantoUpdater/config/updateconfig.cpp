#include "updateconfig.h"

#include "firmware/downloadlimits.h"

#include <QFile>

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
// No more than a configuration download may bring.
const qint64 UpdateConfig::MaxBytes = DownloadLimits::ConfigurationMaxBytes;

QString UpdateConfig::value(const QString &filePath, const QString &key)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return QString();
    return value(&file, key);
}

QString UpdateConfig::value(QIODevice *device, const QString &key)
{
    if (key.trimmed().isEmpty() || !device)
        return QString();
    qint64 consumed = 0;
    bool overlong = false;
    while (consumed < MaxBytes) {
        // readLine(n) takes at most n - 1 bytes: one more than a line may have shows an overlong one.
        const QByteArray piece = device->readLine(qMin<qint64>(MaxLineBytes + 2, MaxBytes - consumed + 1));
        if (piece.isEmpty())
            break;
        consumed += piece.size();
        const bool ended = piece.endsWith('\n');
        // The rest of a line too long to be ours is read in pieces and passed over.
        if (overlong || (!ended && piece.size() > MaxLineBytes)) {
            overlong = !ended;
            continue;
        }
        QByteArray line = piece;
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        const QString found = valueOfLine(QString::fromUtf8(line), key);
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
