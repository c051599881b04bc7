#include "firmware/iniconfig.h"

#include <QFile>
#include <QSettings>

IniConfig::IniConfig(const QString &organisation, const QString &application)
    : m_organisation(organisation), m_application(application)
{
}

QString IniConfig::fileName() const
{
    // The user's scope: a system-wide file cannot be written without privileges.
    return QSettings(QSettings::IniFormat, QSettings::UserScope, m_organisation, m_application)
        .fileName();
}

bool IniConfig::writeValue(const QString &group, const QString &key, const QVariant &value)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, m_organisation, m_application);
    settings.beginGroup(group);
    settings.setValue(key, value);
    settings.endGroup();
    settings.sync();
    return settings.status() == QSettings::NoError;
}

QVariant IniConfig::readValue(const QString &group, const QString &key,
                              const QVariant &defaultValue) const
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, m_organisation, m_application);
    settings.beginGroup(group);
    return settings.value(key, defaultValue);
}

bool IniConfig::exists() const
{
    return QFile::exists(fileName());
}

bool IniConfig::remove()
{
    return QFile::remove(fileName());
}

bool IniConfig::makeWritableForAll()
{
    return QFile::setPermissions(fileName(), QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                                 | QFileDevice::ReadGroup | QFileDevice::WriteGroup
                                                 | QFileDevice::ReadOther | QFileDevice::WriteOther);
}
