#include "camerasettingdialog_p.h"

using namespace camerasettings;

namespace {
// The region and the sensor extent it is flipped in; only meaningful when both reads succeeded.
struct Region
{
    bool known = false;
    uvcx_roi_control_t maximum;
    uvcx_roi_control_t current;
};

Region readRegion(GeneralCamera *camera)
{
    Region region;
    uvcx_roi_control_t minimum;
    region.known = succeeded(camera->getROIRange(&region.maximum, &minimum))
                   && succeeded(camera->getROI(&region.current));
    return region;
}

uvcx_roi_control_t flippedVertically(const Region &r)
{
    uvcx_roi_control_t roi = r.current;
    roi.wROI_Top = uint16_t(r.maximum.wROI_Bottom - r.current.wROI_Bottom);
    roi.wROI_Bottom = uint16_t(r.maximum.wROI_Bottom - r.current.wROI_Top);
    return roi;
}

uvcx_roi_control_t flippedHorizontally(const Region &r)
{
    uvcx_roi_control_t roi = r.current;
    roi.wROI_Left = uint16_t(r.maximum.wROI_Right - r.current.wROI_Right);
    roi.wROI_Right = uint16_t(r.maximum.wROI_Right - r.current.wROI_Left);
    return roi;
}

// A region outside the extent it is flipped in would wrap around in 16 bits: it is left alone.
bool fitsExtent(const Region &r)
{
    return r.current.wROI_Bottom <= r.maximum.wROI_Bottom && r.current.wROI_Right <= r.maximum.wROI_Right
           && r.current.wROI_Top <= r.current.wROI_Bottom && r.current.wROI_Left <= r.current.wROI_Right;
}
} // namespace

void CameraSettingDialog::doMirror()
{
    if (!m_camera)
        return;
    const Region region = readRegion(m_camera);
    float ceiling = 0;
    const bool ceilingKnown = succeeded(m_camera->getCeiling(&ceiling));
    float mirror = 0;
    // Without the present state there is nothing to toggle.
    if (!succeeded(m_camera->getMirror(&mirror)))
        return;
    if (m_currentAngle == 90)
        emit doRotation(270);
    else if (m_currentAngle == 270)
        emit doRotation(90);
    m_camera->setMirror(mirror == 0.0f ? 1.0f : 0.0f);
    if (region.known && ceilingKnown && fitsExtent(region))
        m_camera->setROI(ceiling != 0.0f ? flippedVertically(region) : flippedHorizontally(region));
    emit UIChange(MirrorToggled, QByteArray());
}

void CameraSettingDialog::doCelling()
{
    if (!m_camera)
        return;
    const Region region = readRegion(m_camera);
    float mirror = 0;
    const bool mirrorKnown = succeeded(m_camera->getMirror(&mirror));
    float ceiling = 0;
    if (!succeeded(m_camera->getCeiling(&ceiling)))
        return;
    m_camera->setCeiling(ceiling == 0.0f ? 1.0f : 0.0f);
    if (mirrorKnown) {
        uvcx_roi_control_t roi;
        if (mirror != 1.0f) {
            roi = flippedHorizontally(region);
            roi.wROI_Top = flippedVertically(region).wROI_Top;
            roi.wROI_Bottom = flippedVertically(region).wROI_Bottom;
        } else {
            if (m_currentAngle == 90)
                emit doRotation(270);
            else if (m_currentAngle == 270)
                emit doRotation(90);
            roi = flippedVertically(region);
        }
        if (region.known && fitsExtent(region))
            m_camera->setROI(roi);
    }
    emit UIChange(CeilingToggled, QByteArray());
}

namespace {
int normalisedAngle(int angle)
{
    return ((angle % 360) + 360) % 360;
}
} // namespace

void CameraSettingDialog::doRotateLeft()
{
    m_currentAngle = normalisedAngle(m_currentAngle - 90);
    emit doRotation(m_currentAngle);
    emit UIChange(RotatedLeft, QByteArray());
    m_isRotatedLeft = 1;
}

void CameraSettingDialog::doRotateRight()
{
    m_currentAngle = normalisedAngle(m_currentAngle + 90);
    emit doRotation(m_currentAngle);
    emit UIChange(RotatedRight, QByteArray());
    m_isRotatedRight = 1;
}

int CameraSettingDialog::getCurrentAngle() const
{
    return m_currentAngle;
}

void CameraSettingDialog::setCurrentAngle(int angle)
{
    m_currentAngle = normalisedAngle(angle);
}

void CameraSettingDialog::setDefaultCurrentAngle()
{
    m_currentAngle = 0;
}
