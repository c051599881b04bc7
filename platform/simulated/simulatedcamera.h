#pragma once

#include "simulated/simulatedcameraview.h"
#include "simulated/simulatedhiddevice.h"
#include "simulated/simulatedimagecontrols.h"
#include "simulated/simulateduvcdevice.h"
#include "video/captureformat.h"
#include "video/videodeviceinfo.h"

#include <QList>
#include <QMutex>
#include <QSharedPointer>

namespace platform {

// One virtual camera: its identity, its capture formats and active configuration, the UVC and HID
// devices behind it and the optics that turn its controls into the part of the desk it shows.
// Everything a backend needs to act as that camera is here.
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
    // The part of the desk the camera shows now (SimulatedFrameGenerator's view).
    QRectF view() { return m_view.view(); }
    // What its image controls do to the picture now. Any thread.
    SimulatedImageControls imageControls() const;
    // What the camera's high-quality capture answers with: its picture at its largest format, as a
    // JPEG. Empty when it has no format.
    QByteArray highQualityPicture();

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
    SimulatedCameraView m_view;
    mutable QMutex m_mutex;
    bool m_connected = true;
    QList<CaptureFormat> m_formats;
    int m_activeFormat = 0;
    FrameDuration m_activeMinFrameDuration;
    bool m_locked = false;
    bool m_lockRefused = false;
};

} // namespace platform
