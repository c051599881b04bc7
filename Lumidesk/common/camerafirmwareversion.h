#pragma once

#include <QString>

class GeneralCamera;
class VantoUpdater;

// The camera's firmware version as the usage reports carry it: "unknown" when the camera does not
// tell. The updater is pointed at the camera to ask it, and keeps it for as long as the caller keeps
// the updater.
QString cameraFirmwareVersion(VantoUpdater &updater, GeneralCamera *camera);
