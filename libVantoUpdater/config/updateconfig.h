#pragma once

#include "vantoupdaterglobal.h"

#include <QString>

class QIODevice;

// Reads one key of the update configuration: lines of the form  key = "value".
//
// A key matches only in full (blanks around the "=" are tolerated), so a longer key that merely begins
// with the wanted one never answers for it. The first matching line wins.
// The file comes from a server: a line longer than MaxLineBytes is passed over unread, and nothing
// after the first MaxBytes is looked at, so no file makes the reader hold more than one short line.
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
    static constexpr int MaxLineBytes = 4096;
    static const qint64 MaxBytes;

    // The value of key in the file at filePath; a null string when the file cannot be read or has no
    // such key, an empty one when the line's quoting is broken.
    static QString value(const QString &filePath, const QString &key);
    // The same, read from an open device.
    static QString value(QIODevice *device, const QString &key);

    // The value of key in one line, or a null string when the line holds another key.
    static QString valueOfLine(const QString &line, const QString &key);
};
