#include "dialogs/updatereminder.h"

#include "common/settingspath.h"

#include <QSettings>

const char UpdateReminder::DateFormat[] = "yyyy/MM/dd";
const char UpdateReminder::DefaultVersion[] = "1.0.0.1";

namespace {

const QString WeeklyKey = QStringLiteral("Update/byWeekCheck");
const QString VersionKey = QStringLiteral("Update/Version");
const QString TimeKey = QStringLiteral("Update/Time");

} // namespace

bool UpdateReminder::isWeekly()
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(WeeklyKey, false).toBool();
}

QString UpdateReminder::skippedVersion()
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat)
        .value(VersionKey, QString::fromLatin1(DefaultVersion))
        .toString();
}

QString UpdateReminder::skippedDate()
{
    return QSettings(_GUID_SETTING_INI, QSettings::IniFormat).value(TimeKey).toString();
}

bool UpdateReminder::isDue(bool offeredIsNewer, const QString &skippedDate, const QDate &today)
{
    if (offeredIsNewer)
        return true;
    const QDate last = QDate::fromString(skippedDate, QString::fromLatin1(DateFormat));
    return !last.isValid() || today > last.addDays(QuietDays);
}

void UpdateReminder::remember(const QString &version, const QDate &today)
{
    startWeekly(today);
    rememberVersion(version);
}

void UpdateReminder::forget()
{
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(WeeklyKey, false);
}

void UpdateReminder::startWeekly(const QDate &today)
{
    QSettings settings(_GUID_SETTING_INI, QSettings::IniFormat);
    settings.setValue(WeeklyKey, true);
    settings.setValue(TimeKey, today.toString(QString::fromLatin1(DateFormat)));
}

void UpdateReminder::rememberVersion(const QString &version)
{
    QSettings(_GUID_SETTING_INI, QSettings::IniFormat).setValue(VersionKey, version);
}
