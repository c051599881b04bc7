#pragma once

#include <QObject>
#include <QString>

namespace platform {
class SystemFacts;
}

// The facts about the computer that the usage hits carry. Every fact is read afresh on each call.
class DeviceInfo : public QObject
{
    Q_OBJECT

public:
    // Reads the machine through the platform's system facts; a test hands in its own.
    explicit DeviceInfo(platform::SystemFacts *facts = nullptr);

    QString getCountry() const;
    QString getLanguage() const;
    // The field-th dot-separated number of the operating-system version (1 major, 2 minor, 3 patch);
    // 0 for a field the version lacks or that does not start with a number.
    int getMacOS(int field) const;
    QString getOS() const;
    QString getCPUType() const;
    QString getCores() const;
    QString getRAM() const;
    QString getScreenResolution() const;
    QString getUserAgent() const;

private:
    platform::SystemFacts *m_facts;
};
