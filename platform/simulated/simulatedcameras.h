#pragma once

#include "simulated/simulatedcamera.h"
#include "video/videodeviceinfo.h"

#include <QList>
#include <QMutex>
#include <QObject>
#include <QSharedPointer>

#include <functional>

namespace platform {

// The virtual cameras of the simulated backend and the events a user or a test injects: plug,
// unplug, sleep and wake. Starts with two cameras of the maker; every simulated backend (video
// devices, USB control, power) reads from here, so they always agree on what is connected.
class SimulatedCameras : public QObject
{
    Q_OBJECT

public:
    static constexpr quint16 FirstProductId = 0x0701;  // the document camera opened by location
    static constexpr quint16 SecondProductId = 0x0815;
    static constexpr quint32 FirstLocationId = 0x01100000;  // bus 1, port 1
    static constexpr quint32 SecondLocationId = 0x01200000; // bus 1, port 2

    static SimulatedCameras *instance();

    // Present cameras in plug order.
    QList<QSharedPointer<SimulatedCamera>> cameras() const;
    QSharedPointer<SimulatedCamera> camera(const QString &uniqueId) const;
    QSharedPointer<SimulatedCamera> cameraAt(quint32 locationId) const;

    // A camera of the maker at a free location, or the given one.
    QSharedPointer<SimulatedCamera> plugStandard(quint16 productId, quint32 locationId,
                                                 const QString &name);
    // False when a camera with that unique id is already present.
    bool plug(const QSharedPointer<SimulatedCamera> &camera);
    // False when no camera with that id is present.
    bool unplug(const QString &uniqueId);
    // The simulated computer going to sleep and waking (aboutToSleep, woke): events, not waits.
    void suspendComputer();
    void resumeComputer();

    // Back to the two default cameras, without signals (for tests between cases).
    void reset();

    enum HookPoint { BeforeListing, AfterListing };
    // Runs once, the next time the video devices are listed, before or after the list is taken: lets
    // a test plug or unplug a camera while another part is enumerating.
    void setEnumerationHook(HookPoint point, std::function<void()> hook);
    void runEnumerationHook(HookPoint point);

signals:
    void plugged(const platform::VideoDeviceInfo &device);
    void unplugged(const platform::VideoDeviceInfo &device);
    void aboutToSleep();
    void woke();

private:
    SimulatedCameras();
    QList<QSharedPointer<SimulatedCamera>> defaultCameras() const;

    mutable QMutex m_mutex;
    QList<QSharedPointer<SimulatedCamera>> m_cameras;
    std::function<void()> m_hooks[2];
};

} // namespace platform
