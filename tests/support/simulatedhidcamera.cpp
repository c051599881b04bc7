#include "simulatedhidcamera.h"

#include "camera/generalcamera.h"
#include "core/platformbackend.h"
#include "manager/lccameramanager.h"
#include "simulated/simulatedcameras.h"

#include <QCoreApplication>

namespace SimulatedHidCamera {

void resetCameras()
{
    platform::PlatformBackend::select(platform::PlatformBackend::Simulated);
    platform::SimulatedCameras::instance()->reset();
}

GeneralCamera *listedCamera(quint32 locationId)
{
    QCoreApplication::processEvents();
    const QList<GeneralCamera *> cameras = LCCameraManager::instance()->queryCameras(false);
    for (GeneralCamera *camera : cameras) {
        if (camera->getLocationID() == locationId)
            return camera;
    }
    return nullptr;
}

QSharedPointer<platform::SimulatedCamera> simulated(quint32 locationId)
{
    return platform::SimulatedCameras::instance()->cameraAt(locationId);
}

QByteArray firmwareImage(int size)
{
    QByteArray image(size, '\0');
    for (int i = 0; i < size; ++i)
        image[i] = char((i * 31 + i / 508) % 253 + 1);
    return image;
}

} // namespace SimulatedHidCamera
