#pragma once

#include "desktop/regularfile.h"

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
    // The settings file, "<data folder>/Qorv/Tivlo/settings.ini", while that is a regular file (or a
    // link to one) or nothing; anything else in its place is never opened, and a private stand-in
    // serves the run instead (platform::RegularFile): it starts with the defaults, and what it saves
    // lasts for the run and never goes through the thing in the file's place.
    static QString iniFile();
    // The same choice with its reason, for a caller that tells of a refusal itself.
    static platform::RegularFile::Choice choose();

private:
    SettingsPath() = delete;
};

#define INIPATH (SettingsPath::iniFolder())
#define _GUID_SETTING_INI (SettingsPath::iniFile())
