#include "common/settingspath.h"

#include "desktop/desktoppaths.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

namespace {

bool isUsable(const QString &file)
{
    const QFileInfo info(file);
    return !info.exists() || info.isFile();
}

// Made when first needed, private to the user, and removed with the program. Should no temporary
// folder be possible, the empty path still reads as all defaults, and writes go nowhere.
QString standInFile()
{
    static const QTemporaryDir folder(QDir::tempPath() + QLatin1String("/Lumidesk-settings-XXXXXX"));
    return folder.isValid() ? folder.filePath(QStringLiteral("settings.ini")) : QString();
}

} // namespace

QString SettingsPath::iniFolder()
{
    return platform::DesktopPaths::mainSettingsFolder();
}

QString SettingsPath::iniFile()
{
    const QString file = platform::DesktopPaths::mainSettingsFile();
    return isUsable(file) ? file : standInFile();
}

QString SettingsPath::refusal()
{
    const QString file = platform::DesktopPaths::mainSettingsFile();
    if (isUsable(file))
        return QString();
    const QString kind = QFileInfo(file).isDir() ? QStringLiteral("a folder")
                                                 : QStringLiteral("no regular file (a named pipe or a device)");
    return QStringLiteral("%1 is %2").arg(QDir::toNativeSeparators(file), kind);
}
