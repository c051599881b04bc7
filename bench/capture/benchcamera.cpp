#include "benchcamera.h"

#include "camera/generalcamera.h"
#include "manager/doccammanager.h"

GeneralCamera *benchSimulatedCamera(const QSize &size, int rate)
{
    const QList<GeneralCamera *> cameras = DocCamManager::getDocCamManager()->queryCameras(true);
    for (GeneralCamera *camera : cameras) {
        const QList<VideoFormat> formats = camera->getVideFormats();
        for (int i = 0; i < formats.size(); ++i) {
            if (formats.at(i).width == size.width() && formats.at(i).height == size.height()) {
                camera->setActiveFormat(i, rate);
                return camera;
            }
        }
    }
    return nullptr;
}
