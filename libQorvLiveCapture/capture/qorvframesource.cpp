#include "capture/qorvframesource.h"

#include "camera/generalcamera.h"
#include "camera/lcgeneralcamera.h"
#include "capture/qorvframesourceimpl.h"
#include "live/qorvliveexport.h"

QorvFrameSource::QorvFrameSource(GeneralCamera *camera, SourceType type, QObject *parent)
    : QorvCaptureSource(parent),
      m_camera(camera),
      m_type(type)
{
    if (m_camera)
        m_camera->incRef();
    if (m_type == Screen || m_type == Camera) {
        m_impl = new QorvFrameSourceImpl(m_type == Screen ? nullptr : m_camera, m_type);
        // Every video source can feed a live stream; the exporter attaches itself to the platform part.
        m_liveExport = new QorvLiveExport(m_impl);
    }
}

QorvFrameSource::~QorvFrameSource()
{
    // The exporter detaches from the platform part before it goes, and the platform part stops before
    // the camera reference goes: its capture thread may still use it.
    delete m_liveExport;
    delete m_impl;
    if (m_camera)
        m_camera->decRef();
}

QString QorvFrameSource::currentSourceID()
{
    return QString();
}

int QorvFrameSource::getFrameSourceType(SourceType *type)
{
    if (type)
        *type = m_type;
    return 0;
}

uint64_t QorvFrameSource::getCameraUUID() const
{
    const auto *camera = qobject_cast<const LCGeneralCamera *>(m_camera);
    return camera ? camera->getUniqueID() : 0;
}
