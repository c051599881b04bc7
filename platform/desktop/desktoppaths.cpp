#include "desktop/desktoppaths.h"

#include <QStandardPaths>
#include <QStringList>

namespace platform {

const char DesktopPaths::MainApplicationName[] = "Lumidesk";

QString DesktopPaths::mainSettingsFolder()
{
    // The main program sets no organisation, so its data location is the generic data folder plus
    // its application name; built from the generic folder, it is the same from any process.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QLatin1Char('/')
           + QLatin1String(MainApplicationName) + QLatin1String("/Qorv/Tivlo");
}

QString DesktopPaths::mainSettingsFile()
{
    return mainSettingsFolder() + QLatin1String("/settings.ini");
}

QString DesktopPaths::dataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString DesktopPaths::documentsFolder()
{
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    return folders.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
                             : folders.first();
}

QString DesktopPaths::lastDocumentsFolder()
{
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::DocumentsLocation);
    return folders.isEmpty() ? QStandardPaths::writableLocation(QStandardPaths::HomeLocation)
                             : folders.last();
}

QString DesktopPaths::runtimeFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

} // namespace platform
