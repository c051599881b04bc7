#include "manager/doccammanager.h"

#include "manager/lccameramanager.h"

DocCamManager::~DocCamManager() = default;

DocCamManager *DocCamManager::getDocCamManager(QMap<QString, QString>)
{
    return LCCameraManager::instance();
}

void DocCamManager::setModuleName(QString) {}
