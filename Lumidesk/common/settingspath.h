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
    // The settings file, "<data folder>/Qorv/Tivlo/settings.ini", while that is a regular file (or a
    // link to one) or nothing. Anything else in its place (a named pipe, a folder, a device) is never
    // opened: reading a pipe waits for a writer that may never come. The program then gets a private
    // empty file of its own instead, removed when the program ends: it starts with the defaults, and
    // what it saves lasts for the run and never goes through the thing in the file's place.
    static QString iniFile();
    // Why the settings file is not used, for the log; empty while it is.
    static QString refusal();

private:
    SettingsPath() = delete;
};

#define INIPATH (SettingsPath::iniFolder())
#define _GUID_SETTING_INI (SettingsPath::iniFile())
