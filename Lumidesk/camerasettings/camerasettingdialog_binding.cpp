#include "camerasettingdialog_p.h"

#include "custrenderareahorizontal.h"

#include <algorithm>

using namespace camerasettings;

// ---- model layouts ----

void CameraSettingDialog::setToZR90Ui(bool isZR90)
{
    ui.btnImageSetting->setEnabled(!isZR90);
    ui.lbImageSetting->setStyleSheet(isZR90 ? QStringLiteral("color:#4c4c4c;background:transparent;font: 18px 'Arial'")
                                            : QStringLiteral("color:#000000;background:transparent;font: 18px 'Arial'"));
    ui.iconImageSetting->setPixmap(QPixmap(ImagePath + (isZR90 ? QStringLiteral("icon_pc_set_disabled.png")
                                                               : QStringLiteral("icon_pc_set.png"))));
}

void CameraSettingDialog::setToNonZQ40Ui(bool)
{
}

void CameraSettingDialog::changeH264MacUI()
{
    ui.lbH264Output->hide();
    ui.lbSensorMode->setGeometry(0, 114, 405, 48);
    ui.lbFrameRate->setGeometry(0, 162, 405, 48);
    ui.lbResolution->setGeometry(0, 210, 405, 48);
}

// ---- binding ----

QList<CameraSettingDialog::SliderRow> CameraSettingDialog::sliderRows()
{
    // The phone's replies list the rows in this order.
    return {
        {ui.brightnessSlider, ui.lbBr, ui.lbBrightnessMin, ui.lbBrightnessMax, ui.areaBrightness,
         &m_brightnessRange, &m_lastBrightness, &GeneralCamera::getBrightnessRange, &GeneralCamera::getBrightness,
         &GeneralCamera::getDefaultBrightness, &GeneralCamera::setBrightness, BrightnessChanged, true},
        {ui.contrastSlider, ui.lbCt, ui.lbContrastMin, ui.lbContrastMax, ui.areaContrast, &m_contrastRange,
         &m_lastContrast, &GeneralCamera::getContrastRange, &GeneralCamera::getContrast,
         &GeneralCamera::getDefaultContrast, &GeneralCamera::setContrast, ContrastChanged, true},
        {ui.saturationSlider, ui.lbSatu, ui.lbSaturationMin, ui.lbSaturationMax, ui.areaSaturation,
         &m_saturationRange, &m_lastSaturation, &GeneralCamera::getSaturationRange, &GeneralCamera::getSaturation,
         &GeneralCamera::getDefaultSaturation, &GeneralCamera::setSaturation, SaturationChanged, false},
        {ui.sharpnessSlider, ui.lbSharp, ui.lbSharpnessMin, ui.lbSharpnessMax, ui.areaSharpness,
         &m_sharpnessRange, &m_lastSharpness, &GeneralCamera::getSharpnessRange, &GeneralCamera::getSharpness,
         &GeneralCamera::getDefaultSharpness, &GeneralCamera::setSharpness, SharpnessChanged, false},
    };
}

void CameraSettingDialog::setCameraNull()
{
    m_camera = nullptr;
}

void CameraSettingDialog::setCamera(GeneralCamera *camera)
{
    if (!camera) {
        setCameraNull();
        return;
    }
    ensureForm();
    m_camera = camera;
    setToZR90Ui(m_camera->getPID() == ZR90ProductId);
    const VideoFormat active = m_camera->getActiveFormat();
    quietControls();
    for (QComboBox *combo : {ui.cbBacklight, ui.cbNoise, ui.cbPowerFrquency, ui.cbFrameRate, ui.cbOutputMode,
                             ui.cbH264Output, ui.cbSensorMode})
        combo->clear();

    for (const SliderRow &row : sliderRows())
        bindSlider(row);
    bindWhiteBalance();
    bindBacklight();
    bindNoise();
    bindPowerLine();
    bindOrientation();
    m_lastAngle = m_currentAngle;
    bindOutputFormats();
    const int format = ui.cbOutputMode->findText(videoFormateToString(active.codecType));
    if (format >= 0)
        ui.cbOutputMode->setCurrentIndex(format);
    changeH264MacUI();
    bindH264Output();
    bindSensorMode();
    const int resolution = ui.cbResolution->findText(resolutionText(active.width, active.height));
    if (resolution >= 0)
        ui.cbResolution->setCurrentIndex(resolution);
    bindFrameRate(active);
    bindAudio();

    connect(ui.brightnessSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setBrightness,
            Qt::UniqueConnection);
    connect(ui.contrastSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setContrast,
            Qt::UniqueConnection);
    connect(ui.saturationSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setSaturation,
            Qt::UniqueConnection);
    connect(ui.sharpnessSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setSharpness,
            Qt::UniqueConnection);
    connect(ui.whiteBalanceSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setWhiteBalance,
            Qt::UniqueConnection);
}

void CameraSettingDialog::quietControls()
{
    disconnect(ui.brightnessSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setBrightness);
    disconnect(ui.contrastSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setContrast);
    disconnect(ui.saturationSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setSaturation);
    disconnect(ui.sharpnessSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setSharpness);
    disconnect(ui.whiteBalanceSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setWhiteBalance);
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    disconnect(ui.cbBacklight, indexChanged, this, &CameraSettingDialog::setBacklight);
    disconnect(ui.cbNoise, indexChanged, this, &CameraSettingDialog::setNoise);
    disconnect(ui.cbPowerFrquency, indexChanged, this, &CameraSettingDialog::setPowerFrquency);
    disconnect(ui.cbH264Output, indexChanged, this, &CameraSettingDialog::setH264Output);
    disconnect(ui.cbSensorMode, indexChanged, this, &CameraSettingDialog::sensorModeChange);
}

void CameraSettingDialog::setSliderRowLook(QLabel *title, QLabel *minimum, QLabel *maximum, QWidget *bar,
                                           bool supported)
{
    const QString colour = supported ? Enabled : GreyedSlider;
    setTextStyle(title, colour, CaptionSize);
    setTextStyle(minimum, colour, RangeSize);
    setTextStyle(maximum, colour, RangeSize);
    static_cast<CustRenderAreaHorizontal *>(bar)->setPaintColor(supported ? QColor(255, 255, 255)
                                                                          : QColor(76, 76, 76));
}

void CameraSettingDialog::bindSlider(const SliderRow &row)
{
    if (!succeeded((m_camera->*row.readRange)(row.range))) {
        row.slider->setEnabled(false);
        row.minimum->setText(QStringLiteral("-"));
        row.maximum->setText(QStringLiteral("-"));
        row.slider->setValue(row.slider->minimum());
        setSliderRowLook(row.title, row.minimum, row.maximum, row.bar, false);
        setSliderState(row.slider, false);
        *row.lastValue = Unsupported;
        return;
    }
    row.slider->setEnabled(true);
    row.minimum->setText(QString::number(row.range->min));
    row.maximum->setText(QString::number(row.range->max));
    float value = 0;
    (m_camera->*row.readValue)(&value);
    row.slider->setRange(int(row.range->min), int(row.range->max));
    row.slider->setValue(int(value));
    setSliderRowLook(row.title, row.minimum, row.maximum, row.bar, true);
    setSliderState(row.slider, true);
    *row.lastValue = int(value);
}

void CameraSettingDialog::bindWhiteBalance()
{
    if (!succeeded(m_camera->getWhiteBalanceTemporatureRange(&m_whiteBalanceRange))) {
        ui.btnAuto->setEnabled(false);
        ui.whiteBalanceSlider->setEnabled(false);
        ui.lbWhiteBalanceMin->setText(QStringLiteral("-"));
        ui.lbWhiteBalanceMax->setText(QStringLiteral("-"));
        ui.whiteBalanceSlider->setValue(ui.whiteBalanceSlider->minimum());
        setSliderRowLook(ui.lbWhite, ui.lbWhiteBalanceMin, ui.lbWhiteBalanceMax, ui.areaWhiteBalance, false);
        setSliderState(ui.whiteBalanceSlider, false);
        m_lastWhiteBalance = Unsupported;
        return;
    }
    ui.lbWhiteBalanceMin->setText(QString::number(m_whiteBalanceRange.min));
    ui.lbWhiteBalanceMax->setText(QString::number(m_whiteBalanceRange.max));
    unsigned short temperature = 0;
    m_camera->getWhiteBalanceTemporature(&temperature);
    bool autoOn = false;
    m_camera->getAutoWhiteBalanceStatus(&autoOn);
    ui.whiteBalanceSlider->setRange(int(m_whiteBalanceRange.min), int(m_whiteBalanceRange.max));
    ui.whiteBalanceSlider->setValue(temperature);
    setSliderRowLook(ui.lbWhite, ui.lbWhiteBalanceMin, ui.lbWhiteBalanceMax, ui.areaWhiteBalance, true);
    setSliderState(ui.whiteBalanceSlider, true);
    // setAuto() toggles: starting from the opposite state puts the camera's own state in force.
    m_isAutoWhiteBalance = !autoOn;
    setAuto();
    ui.btnAuto->setEnabled(true);
    m_lastWhiteBalance = temperature;
}

void CameraSettingDialog::setComboRowLook(QLabel *title, QComboBox *combo, bool supported)
{
    combo->setEnabled(supported);
    setComboBoxStyle(combo, supported);
    setTextStyle(title, supported ? Enabled : Greyed, CaptionSize);
}

void CameraSettingDialog::bindBacklight()
{
    uvc_control_range range;
    if (!succeeded(m_camera->getBacklightRange(&range)) || !isSupportedCamera()) {
        ui.cbBacklight->addItem(tr("N/A"));
        setComboRowLook(ui.lbBc, ui.cbBacklight, false);
        m_lastBacklight = Unsupported;
        return;
    }
    ui.cbBacklight->setEnabled(true);
    ui.cbBacklight->addItem(tr("Off"));
    ui.cbBacklight->addItem(tr("On"));
    float value = 0;
    m_camera->getBacklight(&value);
    connect(ui.cbBacklight, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CameraSettingDialog::setBacklight, Qt::UniqueConnection);
    const int index = value == 0.0f ? 0 : 1;
    ui.cbBacklight->setCurrentIndex(index);
    // Selecting the row already shown emits nothing; the index must still follow this camera.
    m_backlightIndex = index;
    setComboRowLook(ui.lbBc, ui.cbBacklight, true);
    m_lastBacklight = int(value);
}

void CameraSettingDialog::bindNoise()
{
    uvc_control_range range;
    if (!succeeded(m_camera->getNoiseReductionRange(&range)) || !isSupportedCamera()) {
        ui.cbNoise->addItem(NotAvailable);
        setComboRowLook(ui.lbNr, ui.cbNoise, false);
        m_lastNoise = Unsupported;
        return;
    }
    ui.cbNoise->setEnabled(true);
    const qint64 last = std::min<qint64>(range.max, range.min + MaxListedLevels - 1);
    for (qint64 level = range.min; level <= last; ++level)
        ui.cbNoise->addItem(QString::number(level), int(level));
    connect(ui.cbNoise, qOverload<int>(&QComboBox::currentIndexChanged), this, &CameraSettingDialog::setNoise,
            Qt::UniqueConnection);
    float value = 0;
    m_camera->getNoiseReduction(&value);
    const int row = rowOfValue(ui.cbNoise, value);
    if (row >= 0)
        ui.cbNoise->setCurrentIndex(row);
    setComboRowLook(ui.lbNr, ui.cbNoise, true);
    m_lastNoise = int(value);
}

void CameraSettingDialog::bindPowerLine()
{
    uvc_control_range range;
    if (!succeeded(m_camera->getPowerLineFrequencyRange(&range))) {
        ui.cbPowerFrquency->addItem(tr("N/A"));
        setComboRowLook(ui.lbPf, ui.cbPowerFrquency, false);
        m_lastPowerFrequency = Unsupported;
        return;
    }
    ui.cbPowerFrquency->setEnabled(true);
    const bool supported = isSupportedCamera();
    if (supported) {
        const qint64 last = std::min<qint64>(range.max, range.min + MaxListedLevels - 1);
        for (qint64 value = range.min; value <= last; ++value)
            ui.cbPowerFrquency->addItem(powerLineText(int(value)), int(value));
    } else {
        ui.cbPowerFrquency->addItem(QStringLiteral("50hz"), 1);
        ui.cbPowerFrquency->addItem(QStringLiteral("60hz"), 2);
    }
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    connect(ui.cbPowerFrquency, indexChanged, this, &CameraSettingDialog::setPowerFrquency, Qt::UniqueConnection);
    float value = 0;
    m_camera->getPowerLineFrequency(&value);
    const int row = rowOfValue(ui.cbPowerFrquency, value);
    if (row >= 0) {
        const bool changes = row != ui.cbPowerFrquency->currentIndex();
        ui.cbPowerFrquency->setCurrentIndex(row);
        // The first row is already current and emits nothing; its value is sent all the same.
        if (supported && !changes)
            setPowerFrquency(row);
    }
    const int current = ui.cbPowerFrquency->currentIndex();
    m_powerFrequencyValue = current >= 0 ? rowValue(ui.cbPowerFrquency, current) : powerLineValueFor(current);
    setComboRowLook(ui.lbPf, ui.cbPowerFrquency, true);
    m_lastPowerFrequency = supported ? int(value) : m_powerFrequencyValue;
}

void CameraSettingDialog::bindOrientation()
{
    uvc_control_range range;
    float mirror = 0;
    m_camera->getMirror(&mirror);
    m_lastMirror = int(mirror);
    const bool mirrorSupported = succeeded(m_camera->getMirrorRange(&range));
    ui.lbMirror->setEnabled(mirrorSupported);
    setTextStyle(ui.lbIo, mirrorSupported ? Enabled : Greyed, CaptionSize);
    if (!mirrorSupported)
        m_lastMirror = Unsupported;

    float ceiling = 0;
    m_camera->getCeiling(&ceiling);
    m_lastCeiling = int(ceiling);
    const bool ceilingSupported = succeeded(m_camera->getCeilingRange(&range));
    ui.lbCelling->setEnabled(ceilingSupported);
    setTextStyle(ui.lbIo, ceilingSupported ? Enabled : Greyed, CaptionSize);
    if (!ceilingSupported)
        m_lastCeiling = Unsupported;
}

void CameraSettingDialog::bindOutputFormats()
{
    for (const VideoFormat &format : m_camera->getVideFormats()) {
        if (format.codecType == 3 || format.codecType == 8)
            continue;
        const QString text = videoFormateToString(format.codecType);
        if (!checkListContainOutputMode(text))
            ui.cbOutputMode->addItem(text);
        if (!checkListContainFps(format.frameRate))
            ui.cbFrameRate->addItem(frameRateText(uint(format.frameRate)));
    }
}

void CameraSettingDialog::bindH264Output()
{
    if (!isSupportedCamera()) {
        ui.cbH264Output->addItem(tr("N/A"));
        setComboRowLook(ui.lbH264, ui.cbH264Output, false);
        return;
    }
    uvc_control_range range;
    if (!succeeded(m_camera->getDisableH264Range(&range))) {
        ui.cbH264Output->addItem(tr("On"));
        setComboRowLook(ui.lbH264, ui.cbH264Output, false);
        return;
    }
    ui.cbH264Output->setEnabled(true);
    ui.cbH264Output->addItem(tr("Off"));
    ui.cbH264Output->addItem(tr("On"));
    m_camera->getDisableH264(&m_isH264Disabled);
    ui.cbH264Output->setCurrentIndex(m_isH264Disabled ? 0 : 1);
    connect(ui.cbH264Output, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CameraSettingDialog::setH264Output, Qt::UniqueConnection);
    setComboRowLook(ui.lbH264, ui.cbH264Output, true);
}

void CameraSettingDialog::bindSensorMode()
{
    uvc_control_range range;
    if (!succeeded(m_camera->getSensorModeRange(&range))) {
        ui.cbSensorMode->addItem(tr("N/A"));
        setComboRowLook(ui.lbSm, ui.cbSensorMode, false);
        return;
    }
    ui.cbSensorMode->setEnabled(true);
    const qint64 last = std::min<qint64>(range.max, range.min + MaxListedLevels - 1);
    for (qint64 mode = range.min; mode <= last; ++mode)
        ui.cbSensorMode->addItem(sensorModeToString(int(mode)), int(mode));
    connect(ui.cbSensorMode, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &CameraSettingDialog::sensorModeChange, Qt::UniqueConnection);
    float mode = 0;
    m_camera->getSensorMode(&mode);
    m_sensorModeValue = int(mode);
    const int row = ui.cbSensorMode->findText(sensorModeToString(m_sensorModeValue));
    if (row >= 0)
        ui.cbSensorMode->setCurrentIndex(row);
    setComboRowLook(ui.lbSm, ui.cbSensorMode, true);
}

void CameraSettingDialog::bindFrameRate(const VideoFormat &active)
{
    if (!isSupportedCamera()) {
        m_isFrameRateSupported = false;
        disableFrameRate();
        return;
    }
    m_isFrameRateSupported = true;
    const int notAvailable = ui.cbFrameRate->findText(NotAvailable);
    if (notAvailable >= 0)
        ui.cbFrameRate->removeItem(notAvailable);
    setComboRowLook(ui.lbFr, ui.cbFrameRate, true);
    const int row = ui.cbFrameRate->findText(frameRateText(uint(active.frameRate)));
    if (row >= 0)
        ui.cbFrameRate->setCurrentIndex(row);
}

void CameraSettingDialog::bindAudio()
{
    float mic = 0;
    m_camera->getMIC(&mic);
    ui.checkBoxMic->setChecked(mic > 0.0f);
    m_lastMicState = ui.checkBoxMic->isChecked() ? 1 : 0;
    float hdmi = 0;
    m_camera->getHdmiAudio(&hdmi);
    ui.checkBoxHdmi->setChecked(hdmi > 0.0f);
    m_lastHdmiAudioState = ui.checkBoxHdmi->isChecked() ? 1 : 0;
}
