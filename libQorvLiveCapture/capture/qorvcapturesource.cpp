#include "capture/qorvcapturesource.h"

QorvCaptureSource::~QorvCaptureSource() = default;

void QorvCaptureSource::enableSendRGBFrameSlot()
{
}

void QorvCaptureSource::enableSendH264FrameSlot()
{
}

void QorvCaptureSource::enableAddRecordingFrameSlot()
{
}

void QorvCaptureSource::setVideoOutputResolution(void *, int32_t, int32_t)
{
}

QString QorvCaptureSource::currentUuid()
{
    return QString();
}
