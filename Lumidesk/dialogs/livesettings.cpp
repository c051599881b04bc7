#include "dialogs/livesettings.h"

#include "common/lumidesklog.h"
#include "common/settingspath.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>

namespace {

const char *const ServiceKeyNames[LiveSettings::ServiceCount] = {"Youtube", "Live", "Ustream", "Others"};

struct Level
{
    int width;
    int height;
};

// The smallest source of each level; 360p asks for 480 px of width, not 640.
const Level Levels[LiveSettings::LevelCount] = {{1920, 1080}, {1280, 720}, {640, 480}, {480, 360}};

const QString AutoRecordKey = QStringLiteral("Live/AutoRecord");
const QString ServiceKey = QStringLiteral("Live/Service");
const QString ResolutionKey = QStringLiteral("Live/Resolution");

bool isService(int service)
{
    return service >= 0 && service < LiveSettings::ServiceCount;
}

} // namespace

bool LiveSettings::isComplete(const QString &url, const QString &key, QString *notice)
{
    if (url.isEmpty()) {
        _LumideskLog::log(Journix::Error, "Stream url is empty.");
        if (notice)
            *notice = tr("Stream URL is empty. Please enter the stream URL of your service.");
        return false;
    }
    if (key.isEmpty()) {
        _LumideskLog::log(Journix::Error, "Stream key is empty.");
        if (notice)
            *notice = tr("Stream Key is empty. Please enter the stream key of your service.");
        return false;
    }
    return true;
}

QString LiveSettings::noticeTitle()
{
    return tr("Stream Notification");
}

LiveSettings::Values LiveSettings::load(const Values &previous)
{
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    Values values = previous;
    values.autoRecord = settings.value(AutoRecordKey, false).toBool();
    values.service = settings.value(ServiceKey, 0).toInt();
    if (isService(values.service)) {
        values.url = settings.value(urlKey(values.service)).toString();
        values.key = settings.value(streamKeyKey(values.service)).toString();
    }
    values.resolution = settings.value(ResolutionKey, DefaultResolution).toInt();
    return values;
}

void LiveSettings::store(const Values &values)
{
    makeFileOwnerOnly();
    {
        QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
        settings.setValue(AutoRecordKey, values.autoRecord);
        settings.setValue(ServiceKey, values.service);
        if (isService(values.service)) {
            settings.setValue(urlKey(values.service), values.url);
            settings.setValue(streamKeyKey(values.service), values.key);
        }
        settings.setValue(ResolutionKey, values.resolution);
    }
    // A writer that replaced the file in between may have brought other permissions.
    makeFileOwnerOnly();
}

void LiveSettings::storeResolution(int level)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(ResolutionKey, level);
}

void LiveSettings::readPair(int service, QString *url, QString *key)
{
    if (!isService(service)) {
        *url = QString();
        *key = QString();
        return;
    }
    const QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    *url = settings.value(urlKey(service)).toString();
    *key = settings.value(streamKeyKey(service)).toString();
}

QString LiveSettings::urlKey(int service)
{
    if (!isService(service))
        return QString();
    return QStringLiteral("Live/%1Url").arg(QLatin1String(ServiceKeyNames[service]));
}

QString LiveSettings::streamKeyKey(int service)
{
    if (!isService(service))
        return QString();
    return QStringLiteral("Live/%1Key").arg(QLatin1String(ServiceKeyNames[service]));
}

int LiveSettings::bestSupportedLevel(int width, int height)
{
    for (int level = 0; level < LevelCount; ++level) {
        if (width >= Levels[level].width && height >= Levels[level].height)
            return level;
    }
    return NoLevel;
}

int LiveSettings::levelHeight(int level)
{
    return level >= 0 && level < LevelCount ? Levels[level].height : 0;
}

// QSettings replaces the file through a temporary one that takes over the permissions of the file it
// replaces, so a file made owner-only before the first key is written stays so.
void LiveSettings::makeFileOwnerOnly()
{
    const QString path = _GUID_SETTING_INI;
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.exists() && !file.open(QIODevice::WriteOnly))
        return;
    file.close();
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

QString LiveSettings::serviceLabel(int service)
{
    static const char *const labels[] = {"youtube", "livestream", "ustream"};
    return service >= 0 && service <= 2 ? QLatin1String(labels[service]) : QString();
}

QString LiveSettings::levelLabel(int level)
{
    static const char *const labels[] = {"1080P", "720P", "480P", "360P"};
    return level >= 0 && level < LevelCount ? QLatin1String(labels[level]) : QString();
}
