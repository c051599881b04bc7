#pragma once

#include "vantoupdaterglobal.h"

#include <QString>

// Reads one key of the update configuration: lines of the form  key = "value".
//
// A key matches only in full (blanks around the "=" are tolerated), so a longer key that merely begins
// with the wanted one never answers for it. The first matching line wins.
class VANTOUPDATER_EXPORT UpdateConfig
{
public:
    static const char SoftwareVersionKey[];
    static const char TestSoftwareVersionKey[];
    static const char InstallerPathKey[];
    static const char TestInstallerPathKey[];
    static const char InstallerSha256Key[];
    static const char TestInstallerSha256Key[];
    static const char FirmwareVersionKey[];
    static const char FirmwareInstallerPathKey[];
    static const char FirmwareInstallerSha256Key[];
    static const char WindowsVersionKey[];

    // The value of key in the file at filePath; a null string when the file cannot be read or has no
    // such key, an empty one when the line's quoting is broken.
    static QString value(const QString &filePath, const QString &key);

    // The value of key in one line, or a null string when the line holds another key.
    static QString valueOfLine(const QString &line, const QString &key);
};
