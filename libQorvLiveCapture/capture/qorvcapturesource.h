#pragma once

#include "qorvlivecaptureglobal.h"

#include <QObject>
#include <QString>

#include <cstdint>

// A picture or sound source a capture session takes. The pacing slots are called by the frame
// source's pacing thread and do nothing here.
class QORVLIVECAPTURE_EXPORT QorvCaptureSource : public QObject
{
    Q_OBJECT

public:
    enum SourceType {
        Screen = 0,
        Camera = 1,
        Audio = 4
    };
    Q_ENUM(SourceType)

    using QObject::QObject;
    ~QorvCaptureSource() override;

    virtual QString currentSourceID() = 0;
    virtual int getFrameSourceType(SourceType *type) = 0;

public Q_SLOTS:
    virtual void enableSendRGBFrameSlot();
    virtual void enableSendH264FrameSlot();
    virtual void enableAddRecordingFrameSlot();
    virtual void setVideoOutputResolution(void *camera, int32_t width, int32_t height);

public:
    // The unique id of the input device behind a sound source, which the frame source captures the
    // recorded sound from; empty for every other source.
    virtual QString currentUuid();
};
