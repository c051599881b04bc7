#pragma once

#include "vantoupdaterglobal.h"

#include <QString>
#include <QUrl>

// The name a download is stored under: the last segment of the address's path, percent-decoded, and
// refused (a null string) when it could name anything but a plain file inside the download folder.
class VANTOUPDATER_EXPORT DownloadName
{
public:
    static QString fromUrl(const QUrl &url);
    static bool isSafe(const QString &name);
};
