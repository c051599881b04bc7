#include "common/logfolder.h"

#include "desktop/desktoppaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const char LogNamePart[] = "Lumidesk-";

} // namespace

QString LogFolder::path()
{
    return platform::DesktopPaths::documentsFolder() + QLatin1String("/Qorv/Log/Tivlo/");
}

QString LogFolder::filePattern()
{
    return path() + QLatin1String(LogNamePart) + QLatin1String("YYMMDD-999.log");
}

bool LogFolder::make()
{
    return QDir().mkpath(path());
}

void LogFolder::clean(const QDateTime &now)
{
    make();
    const QFileInfoList entries = QDir(path()).entryInfoList(QDir::Files | QDir::NoDotAndDotDot,
                                                              QDir::Unsorted);
    for (const QFileInfo &entry : entries) {
        if (entry.lastModified().daysTo(now) < KeepDays)
            continue;
        if (!entry.fileName().contains(QLatin1String(LogNamePart)))
            continue;
        QFile::remove(entry.absoluteFilePath());
    }
}

void cleanLogFiles()
{
    LogFolder::clean();
}
