#pragma once

#include "video/captureformat.h"
#include "video/videodeviceinfo.h"

#include <QList>
#include <QObject>

namespace platform {

// One video capture device: its formats and the active format and frame rate. Changing the
// configuration needs the lock, as on every platform whose devices are shared between processes.
class CaptureDevice : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~CaptureDevice() override = default;

    virtual VideoDeviceInfo info() const = 0;
    virtual QList<CaptureFormat> formats() const = 0;
    virtual int activeFormatIndex() const = 0; // -1 when the device reports none
    virtual FrameDuration activeMinFrameDuration() const = 0;

    virtual bool lockForConfiguration() = 0;
    virtual void unlockForConfiguration() = 0;
    // Both need the lock; false when the device refused or is gone.
    virtual bool setActiveFormat(int index) = 0;
    virtual bool setActiveMinFrameDuration(const FrameDuration &duration) = 0;
};

} // namespace platform
