#include "updaterfunctions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

bool removeEntries(const QString &path)
{
    const QFileInfoList entries = QDir(path).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        const QString entryPath = path + QLatin1Char('/') + entry.fileName();
        if (entry.isDir() && !entry.isSymLink()) {
            if (!deleteDir(entryPath, 0))
                return false;
        } else if (!QFile::remove(entryPath)) {
            return false;
        }
    }
    return true;
}

} // namespace

bool deleteDir(QString path, int recreate)
{
    const QFileInfo info(path);
    if (info.isSymLink()) {
        if (!QFile::remove(path))
            return false;
    } else if (info.isDir()) {
        if (!removeEntries(info.absoluteFilePath()) || !QDir().rmdir(info.absoluteFilePath()))
            return false;
    }
    if (recreate != 0)
        return QDir().mkpath(path);
    return true;
}

bool isTestFileExists()
{
    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (documents.isEmpty())
        return false;
    const QFileInfo marker(documents + QStringLiteral("/Qorv/Tivlo/testUpdate.ini"));
    return marker.exists() && marker.isFile();
}

bool isReachableHost(const QUrl &url)
{
    const QString host = url.host().toLower();
    if (!url.isValid() || host.isEmpty())
        return false;
    for (const char *reserved : {"example", "invalid", "test", "example.com", "example.net", "example.org"}) {
        const QString name = QLatin1String(reserved);
        if (host == name || host.endsWith(QLatin1Char('.') + name))
            return false;
    }
    return true;
}
