#pragma once

#include "qorvlivecaptureglobal.h"

#include <QString>
#include <QVariant>

// An INI settings file of an organisation and application, shared by the maker's programs: values by
// group and key, and the file itself (test, remove, open it to every user of the machine).
class QORVLIVECAPTURE_EXPORT IniConfig
{
public:
    IniConfig(const QString &organisation, const QString &application);

    QString fileName() const;
    // False when the file could not be written.
    bool writeValue(const QString &group, const QString &key, const QVariant &value);
    QVariant readValue(const QString &group, const QString &key,
                       const QVariant &defaultValue = QVariant()) const;
    bool exists() const;
    bool remove();
    // Readable and writable for all users; no shell, no execute bit.
    bool makeWritableForAll();

private:
    QString m_organisation;
    QString m_application;
};
