#pragma once

#include <QByteArray>
#include <QSharedPointer>

class GeneralCamera;

namespace platform {
class SimulatedCamera;
}

// Helpers for tests that talk to the simulated maker camera over its HID channel.
namespace SimulatedHidCamera {

// Chooses the simulated backend and puts back the two default cameras.
void resetCameras();
// The camera manager's object of the simulated camera at the location; null when not listed.
GeneralCamera *listedCamera(quint32 locationId);
QSharedPointer<platform::SimulatedCamera> simulated(quint32 locationId);
// A firmware image of that many bytes, no two neighbouring 508-byte blocks alike.
QByteArray firmwareImage(int size);

} // namespace SimulatedHidCamera
