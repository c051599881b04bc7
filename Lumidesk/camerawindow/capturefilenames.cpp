#include "capturefilenames.h"

#include "desktop/desktoppaths.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QMutexLocker>

namespace {

const char TimeFormat[] = "MM-dd-yy_hhmmss";
// A name handed out is kept this long: longer than any write of a snapshot or the start of a movie.
constexpr qint64 ReservationMs = 10 * 60 * 1000;

QMutex reservationMutex;
QHash<QString, qint64> reservations;

QString madeSubfolder(const QString &leaf)
{
    const QString path = CaptureFileNames::tivloFolder() + QLatin1Char('/') + leaf;
    CaptureFileNames::makeFolder(path);
    return path;
}

} // namespace

QString CaptureFileNames::tivloFolder()
{
    return platform::DesktopPaths::documentsFolder() + QStringLiteral("/Qorv/Tivlo");
}

bool CaptureFileNames::makeFolder(const QString &path)
{
    return QFileInfo(path).isDir() || QDir::root().mkpath(path);
}

QString CaptureFileNames::videoFolder()
{
    return madeSubfolder(QStringLiteral("Video"));
}

QString CaptureFileNames::pictureFolder()
{
    return madeSubfolder(QStringLiteral("Picture"));
}

QString CaptureFileNames::nextVideoPath(const QDateTime &time)
{
    return uniquePath(videoFolder(), QStringLiteral("Video") + time.toString(QLatin1String(TimeFormat)),
                      QStringLiteral(".mov"));
}

QString CaptureFileNames::nextPicturePath(const QDateTime &time)
{
    return uniquePath(pictureFolder(), QStringLiteral("Pic") + time.toString(QLatin1String(TimeFormat)),
                      QStringLiteral(".jpg"));
}

QString CaptureFileNames::uniquePath(const QString &folder, const QString &stem, const QString &extension)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    QMutexLocker locker(&reservationMutex);
    for (auto it = reservations.begin(); it != reservations.end();) {
        if (now - it.value() > ReservationMs)
            it = reservations.erase(it);
        else
            ++it;
    }
    QString path = folder + QLatin1Char('/') + stem + extension;
    for (int copy = 2; QFileInfo::exists(path) || reservations.contains(path); ++copy)
        path = folder + QLatin1Char('/') + stem + QLatin1Char('-') + QString::number(copy) + extension;
    reservations.insert(path, now);
    return path;
}
