#include "downloadfolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace {
constexpr QFileDevice::Permissions OwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
}

DownloadFolder::DownloadFolder()
{
    const QString base = userFolder();
    if (base.isEmpty() || !QDir().mkpath(base))
        return;
    // QTemporaryDir makes the folder with owner-only rights under a name nobody can predict.
    m_dir = new QTemporaryDir(base + QStringLiteral("/session-XXXXXX"));
    if (!m_dir->isValid() || !makePrivate(base, QFileInfo(m_dir->path()).ownerId())) {
        delete m_dir;
        m_dir = nullptr;
    }
}

DownloadFolder::~DownloadFolder()
{
    delete m_dir;
}

bool DownloadFolder::isValid() const
{
    return m_dir != nullptr;
}

QString DownloadFolder::path() const
{
    return m_dir ? m_dir->path() + QLatin1Char('/') : QString();
}

QString DownloadFolder::filePath(const QString &name) const
{
    return m_dir ? m_dir->filePath(name) : QString();
}

QString DownloadFolder::userFolder()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return QString();
    return cache + QStringLiteral("/Lumidesk/VantoUpdater");
}

bool DownloadFolder::makePrivate(const QString &path, uint ownerId)
{
    const QFileInfo info(path);
    // A link in its place could send the downloads anywhere; a folder of another owner is not ours.
    if (info.isSymLink() || !info.isDir() || info.ownerId() != ownerId)
        return false;
    return QFile::setPermissions(path, OwnerOnly);
}
