#pragma once

#include "vantoupdaterglobal.h"

#include <QString>

class QTemporaryDir;

// The folder one update object downloads into: a fresh folder of its own inside a per-user folder that
// only its owner may enter, so no other user can plant links or files there and no other update object
// empties it. The folder and everything in it goes with the object.
class VANTOUPDATER_EXPORT DownloadFolder
{
public:
    DownloadFolder();
    ~DownloadFolder();
    DownloadFolder(const DownloadFolder &) = delete;
    DownloadFolder &operator=(const DownloadFolder &) = delete;

    bool isValid() const;
    // The folder's absolute path, ending in "/"; empty when it could not be made.
    QString path() const;
    QString filePath(const QString &name) const;

    // The per-user folder that holds the folders of all update objects.
    static QString userFolder();

private:
    static bool makePrivate(const QString &path, uint ownerId);

    QTemporaryDir *m_dir = nullptr;
};
