#pragma once

#include "qorvlivecaptureglobal.h"

#include <QString>

class QLockFile;

// A private folder for one owner's downloads: a fresh "session-XXXXXX" folder of its own inside a
// parent folder that only its user may enter, so no other user can plant links or files there and no
// other owner empties it. The folder and everything in it goes with the object.
//
// Each folder has a lock file beside it ("session-XXXXXX.lock") naming the process that owns it, taken
// before the folder is made. A folder whose lock is free, or names a process that is gone, is left
// over from a run that crashed: every new folder first removes those below its parent.
class QORVLIVECAPTURE_EXPORT DownloadFolder
{
public:
    explicit DownloadFolder(const QString &parent);
    ~DownloadFolder();
    DownloadFolder(const DownloadFolder &) = delete;
    DownloadFolder &operator=(const DownloadFolder &) = delete;

    bool isValid() const;
    // The folder's absolute path, ending in "/"; empty when it could not be made.
    QString path() const;
    QString filePath(const QString &name) const;

    // Removes the session folders below parent whose owner process is gone; the number removed.
    static int removeAbandoned(const QString &parent);

private:
    static bool makePrivate(const QString &path, uint ownerId);
    bool create(const QString &parent);

    QString m_path;
    QLockFile *m_lock = nullptr;
};
