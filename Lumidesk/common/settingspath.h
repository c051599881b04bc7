#pragma once

#include <QString>

// The main program's settings file. Every read or write opens a fresh QSettings on this path in INI
// format, so nothing keeps the file open and each write is seen by the next read at once.
//
// The path depends on the application name, so it is worked out on each use rather than held in a
// string made before main() gives the application its name.
class SettingsPath
{
public:
    // The folder of the settings file, "<data folder>/Qorv/Tivlo".
    static QString iniFolder();
    // The settings file, "<data folder>/Qorv/Tivlo/settings.ini".
    static QString iniFile();

private:
    SettingsPath() = delete;
};

#define INIPATH (SettingsPath::iniFolder())
#define _GUID_SETTING_INI (SettingsPath::iniFile())
