#include "common/settingspath.h"

#include "desktop/desktoppaths.h"

QString SettingsPath::iniFolder()
{
    return platform::DesktopPaths::mainSettingsFolder();
}

QString SettingsPath::iniFile()
{
    return platform::DesktopPaths::mainSettingsFile();
}
