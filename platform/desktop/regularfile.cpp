#include "desktop/regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLoggingCategory>
#include <QMutex>
#include <QSet>
#include <QTemporaryDir>

#include <cerrno>

#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcRegularFile, "lumidesk.platform.desktop")

namespace platform {

namespace {

QString kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("a folder");
    if (S_ISFIFO(mode))
        return QStringLiteral("a named pipe");
    if (S_ISSOCK(mode))
        return QStringLiteral("a socket");
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return QStringLiteral("a device");
    return QStringLiteral("no regular file");
}

// stat follows links, so a link to a regular file counts as one; only what lies at the end is judged.
QString refusalOf(const QString &path)
{
    struct stat info{};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0)
        return S_ISREG(info.st_mode) ? QString()
                                     : QStringLiteral("%1 is %2").arg(QDir::toNativeSeparators(path), kindOf(info.st_mode));
    const int failure = errno;
    // Nothing there, or no folder on the way to it: the program makes the file when it first writes,
    // or fails to, which its writes report.
    if (failure == ENOENT || failure == ENOTDIR)
        return QString();
    return QStringLiteral("%1 cannot be examined (%2)").arg(QDir::toNativeSeparators(path), qt_error_string(failure));
}

struct StandIns
{
    QMutex mutex;
    QHash<QString, QString> byPath;
    // Refused by a caller for the rest of the run; any other path is judged again on each use, so a
    // place mended while the program runs is used again.
    QSet<QString> refused;
};

StandIns &standIns()
{
    static StandIns all;
    return all;
}

} // namespace

RegularFile::Choice RegularFile::choose(const QString &path)
{
    const QString known = refusedStandIn(path);
    if (!known.isNull())
        return {known, QStringLiteral("%1 was refused for this run").arg(QDir::toNativeSeparators(path))};
    const QString refusal = refusalOf(path);
    if (refusal.isEmpty())
        return {path, QString()};
    return {standIn(path, QString()), refusal};
}

QString RegularFile::usable(const QString &path)
{
    const QString known = refusedStandIn(path);
    if (!known.isNull())
        return known;
    const QString refusal = refusalOf(path);
    return refusal.isEmpty() ? path : standIn(path, refusal);
}

bool RegularFile::isUsable(const QString &path)
{
    return refusedStandIn(path).isNull() && refusalOf(path).isEmpty();
}

QString RegularFile::refuse(const QString &path)
{
    {
        StandIns &all = standIns();
        QMutexLocker locker(&all.mutex);
        all.refused.insert(path);
    }
    return standIn(path, QString());
}

QString RegularFile::refusedStandIn(const QString &path)
{
    StandIns &all = standIns();
    QMutexLocker locker(&all.mutex);
    return all.refused.contains(path) ? all.byPath.value(path) : QString();
}

// One stand-in per refused path for the whole run, so what the program saves there is read back.
// Without a temporary folder the empty path reads as all defaults, and writes go nowhere.
QString RegularFile::standIn(const QString &path, const QString &untold)
{
    static const QTemporaryDir folder(QDir::tempPath() + QLatin1String("/Lumidesk-files-XXXXXX"));
    StandIns &all = standIns();
    QMutexLocker locker(&all.mutex);
    const auto known = all.byPath.constFind(path);
    if (known != all.byPath.constEnd())
        return known.value();
    // Never a null string: that marks a path without a stand-in.
    const QString file = folder.isValid()
                             ? folder.filePath(QString::number(all.byPath.size()) + QLatin1Char('-')
                                               + QFileInfo(path).fileName())
                             : QStringLiteral("");
    all.byPath.insert(path, file);
    if (!untold.isEmpty())
        qCWarning(lcRegularFile, "%s: not opened; a private stand-in serves this run", qUtf8Printable(untold));
    return file;
}

} // namespace platform
