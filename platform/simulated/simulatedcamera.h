#pragma once

#include "simulated/simulatedhiddevice.h"
#include "simulated/simulateduvcdevice.h"
#include "video/captureformat.h"
#include "video/videodeviceinfo.h"

#include <QList>
#include <QMutex>
#include <QSharedPointer>

namespace platform {

// One virtual camera: its identity, its capture formats and active configuration, and the UVC and HID
// devices behind it. Everything a backend needs to act as that camera is here, so that frame generation can
// be added beside it without changing the backends that already use it.
class SimulatedCamera
{
public:
    static constexpr quint16 MakerVendorId = 0x2574;

    explicit SimulatedCamera(const VideoDeviceInfo &info);
    SimulatedCamera(const SimulatedCamera &) = delete;
    SimulatedCamera &operator=(const SimulatedCamera &) = delete;

    // A camera of the maker at a USB location, with the standard formats and every control.
    static QSharedPointer<SimulatedCamera> makeStandard(quint16 productId, quint32 locationId,
                                                        const QString &name);
    static QString uniqueIdFor(quint32 locationId, quint16 vendorId, quint16 productId);
    static QList<CaptureFormat> standardFormats();
    static void addStandardControls(SimulatedUvcDevice &device, bool hqSnapshot);

    VideoDeviceInfo info() const { return m_info; }
    SimulatedUvcDevice &uvc() { return m_uvc; }
    // The maker's HID interface beside the video interface.
    SimulatedHidDevice &hid() { return m_hid; }

    bool isConnected() const;
    void setConnected(bool connected);

    QList<CaptureFormat> formats() const;
    void setFormats(const QList<CaptureFormat> &formats);
    int activeFormatIndex() const;
    FrameDuration activeMinFrameDuration() const;

    // Configuration as a capture device offers it: the lock is refused while another process holds
    // the camera (inject with setLockRefused) and changes need the lock.
    bool lockForConfiguration();
    void unlockForConfiguration();
    bool isLocked() const;
    void setLockRefused(bool refused);
    bool setActiveFormat(int index);
    bool setActiveMinFrameDuration(const FrameDuration &duration);

private:
    const VideoDeviceInfo m_info;
    SimulatedUvcDevice m_uvc;
    SimulatedHidDevice m_hid;
    mutable QMutex m_mutex;
    bool m_connected = true;
    QList<CaptureFormat> m_formats;
    int m_activeFormat = 0;
    FrameDuration m_activeMinFrameDuration;
    bool m_locked = false;
    bool m_lockRefused = false;
};

} // namespace platform
