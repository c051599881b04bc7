#include "firmware/downloadfolder.h"

#include "capturelog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSet>

#include <memory>

namespace {

constexpr QFileDevice::Permissions OwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
const char SessionPrefix[] = "session-";
const char LockSuffix[] = ".lock";
constexpr int SuffixLength = 6;
constexpr int CreateAttempts = 32;

QString randomSuffix()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QString suffix;
    for (int i = 0; i < SuffixLength; ++i)
        suffix += QLatin1Char(letters[QRandomGenerator::system()->bounded(int(sizeof(letters) - 1))]);
    return suffix;
}

// The lock that names the owner of a session folder. Only the owner's process being gone makes it
// stale: a long download must never look abandoned because its lock is old.
std::unique_ptr<QLockFile> sessionLock(const QString &folderPath)
{
    auto lock = std::make_unique<QLockFile>(folderPath + QLatin1String(LockSuffix));
    lock->setStaleLockTime(0);
    return lock;
}

bool removeFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isSymLink() || info.isFile())
        return QFile::remove(path);
    // Qt removes links inside as links, never what they point to.
    return !info.exists() || QDir(path).removeRecursively();
}

} // namespace

DownloadFolder::DownloadFolder(const QString &parent)
{
    if (parent.isEmpty() || !QDir().mkpath(parent))
        return;
    const QString base = QFileInfo(parent).absoluteFilePath();
    if (!create(base)) {
        qCWarning(lcCapture, "No private download folder below %s", qPrintable(base));
        return;
    }
    // The folder just made is ours, so it tells who we are: the parent must be ours as well, and is
    // closed to everyone else before anything is downloaded into it.
    if (!makePrivate(base, QFileInfo(m_path).ownerId())) {
        qCWarning(lcCapture, "%s is not a private folder of ours; no downloads there", qPrintable(base));
        removeFolder(m_path);
        m_path.clear();
        delete m_lock;
        m_lock = nullptr;
        return;
    }
    removeAbandoned(base);
}

DownloadFolder::~DownloadFolder()
{
    if (!m_path.isEmpty())
        removeFolder(m_path);
    delete m_lock;
}

bool DownloadFolder::create(const QString &base)
{
    for (int attempt = 0; attempt < CreateAttempts; ++attempt) {
        const QString name = QLatin1String(SessionPrefix) + randomSuffix();
        const QString path = base + QLatin1Char('/') + name;
        // The lock comes first: a folder never exists without its owner's lock, so a sweep by another
        // process cannot take a folder that is being made.
        std::unique_ptr<QLockFile> lock = sessionLock(path);
        if (!lock->tryLock(0))
            continue;
        if (!QDir(base).mkdir(name))
            continue;
        if (!makePrivate(path, QFileInfo(path).ownerId())) {
            removeFolder(path);
            continue;
        }
        m_path = path;
        m_lock = lock.release();
        return true;
    }
    return false;
}

bool DownloadFolder::isValid() const
{
    return !m_path.isEmpty();
}

QString DownloadFolder::path() const
{
    return m_path.isEmpty() ? QString() : m_path + QLatin1Char('/');
}

QString DownloadFolder::filePath(const QString &name) const
{
    return m_path.isEmpty() ? QString() : m_path + QLatin1Char('/') + name;
}

int DownloadFolder::removeAbandoned(const QString &parent)
{
    const QDir dir(parent);
    const QStringList entries = dir.entryList({QLatin1String(SessionPrefix) + QLatin1Char('*')},
                                              QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    QSet<QString> sessions;
    for (const QString &entry : entries) {
        // Folders, and the locks of folders that may be gone already; the lock's own helper files
        // (".lock.rmlock") come and go with the lock.
        if (!entry.contains(QLatin1Char('.')))
            sessions.insert(entry);
        else if (entry.endsWith(QLatin1String(LockSuffix)) && entry.count(QLatin1Char('.')) == 1)
            sessions.insert(entry.chopped(int(sizeof(LockSuffix) - 1)));
    }
    int removed = 0;
    for (const QString &session : qAsConst(sessions)) {
        const QString path = dir.filePath(session);
        std::unique_ptr<QLockFile> lock = sessionLock(path);
        // Held by a running process, ours included: still in use.
        if (!lock->tryLock(0))
            continue;
        if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
            if (removeFolder(path)) {
                ++removed;
                qCInfo(lcCapture, "Removed the download folder %s left by a process that ended", qPrintable(path));
            }
        }
        lock->unlock();
    }
    return removed;
}

bool DownloadFolder::makePrivate(const QString &path, uint ownerId)
{
    const QFileInfo info(path);
    // A link in its place could send the downloads anywhere; a folder of another owner is not ours.
    if (info.isSymLink() || !info.isDir() || info.ownerId() != ownerId)
        return false;
    return QFile::setPermissions(path, OwnerOnly);
}
