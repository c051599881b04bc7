#include "camerasettingdialog_p.h"

#include "common/remotepayload.h"
#include "common/supportedcamera.h"

using namespace camerasettings;

bool CameraSettingDialog::isSupportedCamera() const
{
    return m_camera && IsSupportPID(m_camera->getPID());
}

void CameraSettingDialog::emitChange(uint id, std::initializer_list<qint32> values)
{
    emit UIChange(id, RemotePayload::int32s(values));
}

void CameraSettingDialog::setBrightness(int val)
{
    ensureForm();
    if (!m_camera || !inside(m_brightnessRange, val))
        return;
    m_camera->setBrightness(float(val));
    if (!m_isRemoteCommand)
        emitChange(BrightnessChanged, {val});
}

void CameraSettingDialog::setContrast(int val)
{
    ensureForm();
    if (!m_camera || !inside(m_contrastRange, val))
        return;
    m_camera->setContrast(float(val));
    if (!m_isRemoteCommand)
        emitChange(ContrastChanged, {val});
}

void CameraSettingDialog::setSaturation(int val)
{
    ensureForm();
    if (!m_camera || !inside(m_saturationRange, val))
        return;
    m_camera->setSaturation(float(val));
    if (!m_isRemoteCommand)
        emitChange(SaturationChanged, {val});
}

void CameraSettingDialog::setSharpness(int val)
{
    ensureForm();
    if (!m_camera || !inside(m_sharpnessRange, val))
        return;
    m_camera->setSharpness(float(val));
    if (!m_isRemoteCommand)
        emitChange(SharpnessChanged, {val});
}

void CameraSettingDialog::setWhiteBalance(int val)
{
    ensureForm();
    if (!m_camera || !inside(m_whiteBalanceRange, val))
        return;
    m_camera->setWhiteBalanceTemporature(static_cast<unsigned short>(val));
    if (!m_isRemoteCommand)
        emitChange(WhiteBalanceChanged, {val});
}

int CameraSettingDialog::rowValue(const QComboBox *combo, int row)
{
    const QVariant value = combo->itemData(row);
    return value.isValid() ? value.toInt() : row;
}

int CameraSettingDialog::rowOfValue(const QComboBox *combo, float value)
{
    for (int row = 0; row < combo->count(); ++row) {
        const QVariant data = combo->itemData(row);
        if (data.isValid() && float(data.toInt()) == value)
            return row;
    }
    return -1;
}

int CameraSettingDialog::powerLineValueFor(int index) const
{
    if (isSupportedCamera())
        return index;
    // Cameras outside the maker's range list their own values only: 50 Hz and 60 Hz.
    switch (index) {
    case 0: return 1;
    case 1: return 2;
    default: return index;
    }
}

void CameraSettingDialog::setBacklight(int val)
{
    ensureForm();
    if (!m_camera)
        return;
    if (val >= 0)
        m_camera->setBacklight(float(val));
    m_backlightIndex = val;
    if (!m_isRemoteCommand)
        emitChange(BacklightChanged, {val});
}

void CameraSettingDialog::setNoise(int val)
{
    ensureForm();
    if (!m_camera)
        return;
    // The row carries the camera's level: a range that does not start at 0 is written and echoed as
    // listed, the terms the phone reads and sets it in.
    const int level = val >= 0 ? rowValue(ui.cbNoise, val) : val;
    if (val >= 0)
        m_camera->setNoiseReduction(float(level));
    if (!m_isRemoteCommand)
        emitChange(NoiseChanged, {level});
}

void CameraSettingDialog::setPowerFrquency(int val)
{
    ensureForm();
    if (!m_camera)
        return;
    // The camera's value the row carries is written, kept and echoed.
    const int value = val >= 0 && val < ui.cbPowerFrquency->count() ? rowValue(ui.cbPowerFrquency, val)
                                                                     : powerLineValueFor(val);
    if (value >= 0)
        m_camera->setPowerLineFrequency(float(value));
    m_powerFrequencyValue = value;
    if (!m_isRemoteCommand)
        emitChange(PowerLineChanged, {value});
}

void CameraSettingDialog::setSliderState(QSlider *slider, bool enabled)
{
    slider->setStyleSheet(QStringLiteral("QSlider::groove:horizontal{background:transparent;height:30px;"
                                         "border-radius:0px;}"
                                         "QSlider::handle:horizontal{width:30px;background-image:url(%1%2);}")
                              .arg(ImagePath, enabled ? QStringLiteral("icon_p_blue.png")
                                                      : QStringLiteral("icon_p_gray.png")));
}

void CameraSettingDialog::setAutoLook(bool autoOn)
{
    const QString latched = autoOn ? QStringLiteral("btn_auto_pc_pressed.png")
                                   : QStringLiteral("btn_auto_pc_normal.png");
    // A camera without automatic white balance leaves the button disabled: it must not look live.
    ui.btnAuto->setStyleSheet(normalStyle(latched, QStringLiteral("btn_auto_pc_hover.png"), latched)
                              + QStringLiteral("QToolButton:disabled{border-image:url(%1btn_auto_pc_disabled.png);}")
                                    .arg(ImagePath));
    setSliderState(ui.whiteBalanceSlider, !autoOn);
}

void CameraSettingDialog::setAuto()
{
    ensureForm();
    if (!m_camera)
        return;
    if (m_isAutoWhiteBalance) {
        m_camera->setAutoWhiteBalance(false);
        ui.whiteBalanceSlider->setEnabled(true);
        m_camera->setWhiteBalanceTemporature(static_cast<unsigned short>(ui.whiteBalanceSlider->value()));
        m_isAutoWhiteBalance = false;
    } else {
        m_camera->setAutoWhiteBalance(true);
        m_isAutoWhiteBalance = true;
        ui.whiteBalanceSlider->setEnabled(false);
    }
    setAutoLook(m_isAutoWhiteBalance);
    if (!m_isRemoteCommand)
        emitChange(AutoWhiteBalanceChanged, {m_isAutoWhiteBalance ? 1 : 0});
}

void CameraSettingDialog::setAuto(bool val)
{
    ensureForm();
    m_isAutoWhiteBalance = !val;
    setAuto();
}

void CameraSettingDialog::setBasicCameraSettingDefault()
{
    ensureForm();
    if (!m_camera)
        return;
    m_isBasicDefaultApplied = true;
    float defaults[4] = {0, 0, 0, 0};
    const QList<SliderRow> rows = sliderRows();
    for (int i = 0; i < rows.size(); ++i) {
        const SliderRow &row = rows.at(i);
        if (!succeeded((m_camera->*row.readRange)(row.range)))
            continue;
        (m_camera->*row.readDefault)(&defaults[i]);
        row.slider->setValue(int(defaults[i]));
    }

    bool autoOn = false;
    unsigned short temperature = 0;
    if (succeeded(m_camera->getWhiteBalanceTemporatureRange(&m_whiteBalanceRange))) {
        bool autoSupported = false;
        const bool known = succeeded(m_camera->isAutoWhiteBalanceSupported(&autoSupported));
        if (known && autoSupported && succeeded(m_camera->getAutoWhiteBalanceStatus(&autoOn)) && autoOn) {
            m_camera->getWhiteBalanceTemporature(&temperature);
        } else {
            autoOn = false;
            m_camera->getDefaultWhiteBalanceTemporature(&temperature);
            ui.whiteBalanceSlider->setValue(temperature);
        }
    }
    if (!m_isRemoteCommand)
        emitChange(BasicDefaults, {int(defaults[0]), int(defaults[1]), int(defaults[2]), int(defaults[3]),
                                   autoOn ? 1 : 0, int(temperature)});
}

void CameraSettingDialog::setAdvancedCameraSettingDefault()
{
    ensureForm();
    m_currentAngle = 0;
    m_isAdvancedDefaultApplied = true;
    if (m_camera) {
        float power = 0, mirror = 0, ceiling = 0, backlight = 0, noise = 0;
        m_camera->getDefaultPowerLineFrequency(&power);
        m_camera->getDefaultMirror(&mirror);
        m_camera->getDefaultCeiling(&ceiling);
        uvc_control_range range;
        if (succeeded(m_camera->getBacklightRange(&range))) {
            m_camera->getDefaultBacklight(&backlight);
            m_camera->setBacklight(backlight);
            // The list is Off / On: any level above 0 is "On", as binding shows it.
            ui.cbBacklight->setCurrentIndex(backlight > 0 ? 1 : 0);
        }
        if (succeeded(m_camera->getNoiseReductionRange(&range))) {
            m_camera->getDefaultNoiseReduction(&noise);
            m_camera->setNoiseReduction(noise);
            const int row = rowOfValue(ui.cbNoise, noise);
            if (row >= 0)
                ui.cbNoise->setCurrentIndex(row);
        }
        int powerValue = int(power);
        if (succeeded(m_camera->getPowerLineFrequencyRange(&range))) {
            const bool supported = isSupportedCamera();
            if (supported && rowOfValue(ui.cbPowerFrquency, float(powerValue)) < 0)
                powerValue = 0;
            m_camera->setPowerLineFrequency(float(powerValue));
            int row = 0;
            if (powerValue > 0)
                row = supported ? rowOfValue(ui.cbPowerFrquency, float(powerValue)) : powerValue - 1;
            if (row >= 0)
                ui.cbPowerFrquency->setCurrentIndex(row);
        }
        if (succeeded(m_camera->getMirrorRange(&range)))
            m_camera->setMirror(mirror);
        if (succeeded(m_camera->getCeilingRange(&range)))
            m_camera->setCeiling(ceiling);
        if (!m_isRemoteCommand)
            emitChange(AdvancedDefaults, {int(backlight), int(noise), powerValue});
    }
    emit doRotation(m_currentAngle);
}

void CameraSettingDialog::setBuiltInCamera(int state)
{
    ensureForm();
    if (m_camera)
        m_camera->setMIC(state < 1 ? 0.0f : 1.0f);
}

void CameraSettingDialog::setBuiltInCameraHdmi(int state)
{
    ensureForm();
    if (m_camera)
        m_camera->setHdmiAudio(state < 1 ? 0.0f : 1.0f);
}
