#include "common/camerafirmwareversion.h"

#include "vantoupdater.h"

QString cameraFirmwareVersion(VantoUpdater &updater, GeneralCamera *camera)
{
    updater.SetControlCamera(camera);
    const QString version = updater.getCurrentFWVersion();
    return version.isEmpty() ? QStringLiteral("unknown") : version;
}
