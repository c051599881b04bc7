#pragma once

#include "capture/qorvcapturesource.h"
#include "qorvlivecaptureglobal.h"

#include <cstdint>

class GeneralCamera;
class QorvFrameSourceImpl;
class QorvLiveExport;

// A picture source of a capture session: a camera (type Camera) or the main display (type Screen).
// Holds one reference of its camera for as long as it exists. The work is done by its platform part.
class QORVLIVECAPTURE_EXPORT QorvFrameSource : public QorvCaptureSource
{
    Q_OBJECT

public:
    QorvFrameSource(GeneralCamera *camera, SourceType type, QObject *parent = nullptr);
    ~QorvFrameSource() override;

    QString currentSourceID() override;
    int getFrameSourceType(SourceType *type) override;

    // Null for types other than Screen and Camera.
    QorvFrameSourceImpl *getSourceImpl() const { return m_impl; }
    GeneralCamera *camera() const { return m_camera; }
    // The camera's unique id; 0 for the screen.
    uint64_t getCameraUUID() const;

private:
    GeneralCamera *const m_camera;
    const SourceType m_type;
    QorvFrameSourceImpl *m_impl = nullptr;
    QorvLiveExport *m_liveExport = nullptr;
};
