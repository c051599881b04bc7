#include "common/settingspath.h"

#include "desktop/desktoppaths.h"

QString SettingsPath::iniFolder()
{
    return platform::DesktopPaths::mainSettingsFolder();
}

QString SettingsPath::iniFile()
{
    return platform::RegularFile::usable(platform::DesktopPaths::mainSettingsFile());
}

platform::RegularFile::Choice SettingsPath::choose()
{
    return platform::RegularFile::choose(platform::DesktopPaths::mainSettingsFile());
}
