#include "hid/ifhqcapture.h"

#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "manager/lccameramanager.h"
#include "uvc/uvccameracontrol.h"

#include <QtEndian>

#include <cstring>

IfHQCapture::IfHQCapture(QObject *parent)
    : QObject(parent), m_cameraManager(LCCameraManager::instance())
{
}

IfHQCapture::~IfHQCapture()
{
    setControlCamera(nullptr);
}

void IfHQCapture::setControlCamera(GeneralCamera *camera)
{
    LCGeneralCamera *next = qobject_cast<LCGeneralCamera *>(camera);
    // Take the new reference first, so that handing over the camera already held cannot free it.
    if (next)
        next->incRef();
    if (m_camera)
        m_camera->decRef();
    m_camera = next;
    m_hasCaptureDevice = next && !next->getAVCaptureDevice().isNull();
}

UVCCameraControl *IfHQCapture::control() const
{
    if (!m_camera || !m_hasCaptureDevice || !m_camera->impl())
        return nullptr;
    return m_camera->impl()->uvcControl();
}

int IfHQCapture::setSnapshot(int value)
{
    UVCCameraControl *uvc = control();
    char payload[UVCCameraControl::HqPayloadSize];
    qToLittleEndian<qint32>(value, payload);
    return uvc && uvc->setHQCapture(payload) > 0 ? 0 : -1;
}

int IfHQCapture::setSnapshotData(int index)
{
    UVCCameraControl *uvc = control();
    char payload[UVCCameraControl::HqPayloadSize];
    qToLittleEndian<qint32>(index, payload);
    return uvc && uvc->setHQCapturedData(payload) > 0 ? 0 : -1;
}

int IfHQCapture::readAnswer(char *answer, bool data)
{
    UVCCameraControl *uvc = control();
    if (!uvc)
        return -1;
    std::memset(answer, 0, AnswerSize);
    const int read = data ? uvc->getHQCapturedData(answer, AnswerSize)
                         : uvc->getHQCapture(answer, AnswerSize);
    return read > 0 ? 0 : -1;
}

int IfHQCapture::getSnapshot(char *buffer)
{
    char answer[AnswerSize];
    if (!buffer || readAnswer(answer, false) != 0)
        return -1;
    std::memcpy(buffer, answer, AnswerSize);
    return 0;
}

int IfHQCapture::getSnapshotData(char *buffer)
{
    char answer[AnswerSize];
    if (!buffer || readAnswer(answer, true) != 0)
        return -1;
    std::memcpy(buffer, answer + AnswerHeaderSize, DataSize);
    return 0;
}
