#include "camerasettingdialog_p.h"

#include "common/remotepayload.h"
#include "common/supportedcamera.h"

#include <QLoggingCategory>
#include <QScopedValueRollback>
#include <QtEndian>

using namespace camerasettings;

Q_LOGGING_CATEGORY(lcCameraRemote, "lumidesk.camerasettings.remote", QtInfoMsg)

namespace {

enum Query : uint {
    CurrentValues = 0x8000040e,
    Capabilities = 0x8000040f,
    BrightnessRange = 0x80000421,
};

constexpr int CurrentValuesSize = 77;
constexpr quint8 CapabilityTail = 5;

// A range the camera does not answer goes out as 0, 0; one with minimum equal to maximum as it is.
QByteArray rangeBytes(GeneralCamera *camera, uint32_t (GeneralCamera::*read)(uvc_control_range *))
{
    uvc_control_range range{0, 0};
    (camera->*read)(&range);
    return RemotePayload::int32s({qint32(range.min), qint32(range.max)});
}

bool readable(GeneralCamera *camera, uint32_t (GeneralCamera::*read)(uvc_control_range *))
{
    uvc_control_range range{0, 0};
    return succeeded((camera->*read)(&range));
}

int readTruncated(GeneralCamera *camera, uint32_t (GeneralCamera::*read)(float *))
{
    float value = 0;
    (camera->*read)(&value);
    return int(value);
}

} // namespace

int CameraSettingDialog::FromClientCmd(unsigned int id, QByteArray &payload)
{
    ensureForm();
    switch (id) {
    case BrightnessChanged:
    case ContrastChanged:
    case SaturationChanged:
    case SharpnessChanged:
    case WhiteBalanceChanged:
    case AutoWhiteBalanceChanged:
    case PowerLineChanged:
    case BacklightChanged:
    case NoiseChanged:
        applyRemoteValue(id, payload);
        break;
    case BasicDefaults:
        if (m_camera)
            payload = remoteBasicDefaults();
        break;
    case AdvancedDefaults:
        if (m_camera)
            payload = remoteAdvancedDefaults();
        break;
    case CurrentValues:
        if (m_camera)
            payload = remoteCurrentValues();
        break;
    case Capabilities:
        if (m_camera)
            payload = remoteCapabilities();
        break;
    case BrightnessRange:
        if (m_camera)
            payload = rangeBytes(m_camera, &GeneralCamera::getBrightnessRange);
        break;
    default:
        break;
    }
    return 0;
}

void CameraSettingDialog::applyRemoteValue(uint id, const QByteArray &payload)
{
    if (!m_camera)
        return;
    if (payload.size() < 4) {
        qCWarning(lcCameraRemote, "command 0x%08x: payload of %d bytes, 4 needed; ignored", id,
                  int(payload.size()));
        return;
    }
    const int value = qFromLittleEndian<qint32>(payload.constData());
    const QScopedValueRollback<bool> remote(m_isRemoteCommand, true);
    if (!setRemoteValue(id, value))
        qCWarning(lcCameraRemote, "command 0x%08x: value %d refused by the camera's range", id, value);
}

bool CameraSettingDialog::setRemoteValue(uint id, int value)
{
    // The same limits as the controls: a value the slider or the list could not show changes nothing.
    for (const SliderRow &row : sliderRows()) {
        if (row.command != id)
            continue;
        if (!row.slider->isEnabled() || !inside(*row.range, value))
            return false;
        (m_camera->*row.write)(float(value));
        row.slider->setValue(value);
        return true;
    }
    switch (id) {
    case WhiteBalanceChanged:
        // The slider is disabled while automatic white balance runs, yet the temperature stays settable.
        if (!ui.btnAuto->isEnabled() || !inside(m_whiteBalanceRange, value))
            return false;
        setWhiteBalance(value);
        m_camera->setWhiteBalanceTemporature(static_cast<unsigned short>(value));
        ui.whiteBalanceSlider->setValue(value);
        return true;
    case AutoWhiteBalanceChanged:
        if (!ui.btnAuto->isEnabled())
            return false;
        m_isAutoWhiteBalance = value == 0;
        setAuto();
        return true;
    case PowerLineChanged:
        return selectRemoteRow(ui.cbPowerFrquency, value, &GeneralCamera::setPowerLineFrequency);
    case BacklightChanged:
        // Backlight rows are Off and On; the phone sends the row, which is also the camera's value.
        if (!ui.cbBacklight->isEnabled() || value < 0 || value >= ui.cbBacklight->count())
            return false;
        m_camera->setBacklight(float(value));
        ui.cbBacklight->setCurrentIndex(value);
        return true;
    case NoiseChanged:
        return selectRemoteRow(ui.cbNoise, value, &GeneralCamera::setNoiseReduction);
    default:
        return false;
    }
}

bool CameraSettingDialog::selectRemoteRow(QComboBox *combo, int value, uint32_t (GeneralCamera::*write)(float))
{
    // The phone speaks in camera values, the rows carry them: a value no row carries is out of range.
    const int row = rowOfValue(combo, float(value));
    if (!combo->isEnabled() || row < 0)
        return false;
    (m_camera->*write)(float(value));
    combo->setCurrentIndex(row);
    return true;
}

QByteArray CameraSettingDialog::remoteBasicDefaults()
{
    const QScopedValueRollback<bool> remote(m_isRemoteCommand, true);
    QByteArray reply;
    const bool zr90 = m_camera->getPID() == ZR90ProductId;
    for (const SliderRow &row : sliderRows()) {
        int field = 0;
        if (succeeded((m_camera->*row.readRange)(row.range)) && !(zr90 && row.hiddenOnZR90)) {
            float value = 0;
            (m_camera->*row.readDefault)(&value);
            field = int(value);
            (m_camera->*row.write)(float(field));
            row.slider->setValue(field);
        }
        reply += RemotePayload::int32s({field});
    }

    int autoOn = 0;
    int temperature = 0;
    if (succeeded(m_camera->getWhiteBalanceTemporatureRange(&m_whiteBalanceRange))) {
        bool autoSupported = false;
        const bool known = succeeded(m_camera->isAutoWhiteBalanceSupported(&autoSupported));
        bool on = false;
        if (known && autoSupported && !succeeded(m_camera->getAutoWhiteBalanceStatus(&on))) {
            // Neither state is known: nothing to report, nothing to move.
        } else if (known && autoSupported && on) {
            unsigned short current = 0;
            m_camera->getWhiteBalanceTemporature(&current);
            autoOn = 1;
            temperature = current;
        } else {
            unsigned short standard = 0;
            m_camera->getDefaultWhiteBalanceTemporature(&standard);
            temperature = standard;
            ui.whiteBalanceSlider->setValue(temperature);
        }
    }
    reply += RemotePayload::int32s({autoOn, temperature});
    return reply;
}

QByteArray CameraSettingDialog::remoteAdvancedDefaults()
{
    const QScopedValueRollback<bool> remote(m_isRemoteCommand, true);
    const bool supported = isSupportedCamera();
    uvc_control_range range;

    int backlight = 0;
    if (supported && succeeded(m_camera->getBacklightRange(&range))) {
        float value = 0;
        m_camera->getDefaultBacklight(&value);
        m_camera->setBacklight(value);
        backlight = int(value);
        ui.cbBacklight->setCurrentIndex(backlight > 0 ? 1 : 0);
    }

    int noise = 0;
    if (supported && succeeded(m_camera->getNoiseReductionRange(&range))) {
        float value = 0;
        m_camera->getDefaultNoiseReduction(&value);
        m_camera->setNoiseReduction(value);
        noise = int(value);
        const int row = rowOfValue(ui.cbNoise, float(noise));
        if (row >= 0)
            ui.cbNoise->setCurrentIndex(row);
    }

    int power = 0;
    if (supported && succeeded(m_camera->getPowerLineFrequencyRange(&range))) {
        float value = 0;
        m_camera->getDefaultPowerLineFrequency(&value);
        power = int(value);
        // A default no row carries would leave the list and the camera apart: off stands in for it.
        if (rowOfValue(ui.cbPowerFrquency, float(power)) < 0)
            power = 0;
        m_camera->setPowerLineFrequency(float(power));
        const int row = rowOfValue(ui.cbPowerFrquency, float(power));
        if (row >= 0)
            ui.cbPowerFrquency->setCurrentIndex(row);
    }

    float standard = 0;
    if (succeeded(m_camera->getMirrorRange(&range))) {
        m_camera->getDefaultMirror(&standard);
        m_camera->setMirror(standard);
    }
    standard = 0;
    if (succeeded(m_camera->getCeilingRange(&range))) {
        m_camera->getDefaultCeiling(&standard);
        m_camera->setCeiling(standard);
    }
    return RemotePayload::int32s({backlight, noise, power});
}

QByteArray CameraSettingDialog::remoteCurrentValues()
{
    QByteArray reply;
    reply.reserve(CurrentValuesSize);
    const QList<SliderRow> rows = sliderRows();
    for (const SliderRow &row : rows)
        reply += RemotePayload::int32s({readTruncated(m_camera, row.readValue)});
    unsigned short temperature = 0;
    m_camera->getWhiteBalanceTemporature(&temperature);
    reply += RemotePayload::int32s({temperature});
    for (const SliderRow &row : rows)
        reply += rangeBytes(m_camera, row.readRange);
    reply += rangeBytes(m_camera, &GeneralCamera::getWhiteBalanceTemporatureRange);
    // The fixed words the phone expects between the ranges and the bits.
    reply += RemotePayload::uint16s({0, 0, 768, 1024, 150, 150, 300, 300});

    // Each setting keeps to its own bits: a value too large for its field must not spill into the next.
    quint8 bits = 0;
    bool autoOn = false;
    if (readable(m_camera, &GeneralCamera::getWhiteBalanceTemporatureRange)
        && succeeded(m_camera->getAutoWhiteBalanceStatus(&autoOn)) && autoOn)
        bits |= 0x01;
    if (readable(m_camera, &GeneralCamera::getSensorModeRange))
        bits |= quint8((readTruncated(m_camera, &GeneralCamera::getSensorMode) & 0x3) << 1);
    if (readable(m_camera, &GeneralCamera::getBacklightRange)) {
        float backlight = 0;
        m_camera->getBacklight(&backlight);
        if (backlight != 0.0f)
            bits |= 0x08;
    }
    if (readable(m_camera, &GeneralCamera::getNoiseReductionRange))
        bits |= quint8((readTruncated(m_camera, &GeneralCamera::getNoiseReduction) & 0x3) << 4);
    if (readable(m_camera, &GeneralCamera::getPowerLineFrequencyRange))
        bits |= quint8((readTruncated(m_camera, &GeneralCamera::getPowerLineFrequency) & 0x3) << 6);
    reply.append(char(bits));
    return reply;
}

QByteArray CameraSettingDialog::remoteCapabilities()
{
    const bool zr90 = m_camera->getPID() == ZR90ProductId;
    const bool supported = isSupportedCamera();
    const auto bit = [](bool set, int shift) { return quint8(set ? 1u << shift : 0u); };

    // Two bits a row, in the rows' order.
    quint8 image = 0;
    int shift = 0;
    for (const SliderRow &row : sliderRows()) {
        image |= bit(readable(m_camera, row.readRange) && !(zr90 && row.hiddenOnZR90), shift);
        shift += 2;
    }

    bool autoSupported = false;
    const bool autoKnown = succeeded(m_camera->isAutoWhiteBalanceSupported(&autoSupported));
    quint8 advanced = 0;
    advanced |= bit(readable(m_camera, &GeneralCamera::getWhiteBalanceTemporatureRange), 0);
    advanced |= bit(autoKnown && autoSupported, 2);
    advanced |= bit(readable(m_camera, &GeneralCamera::getBacklightRange) && supported, 4);
    advanced |= bit(readable(m_camera, &GeneralCamera::getNoiseReductionRange) && supported, 6);

    uvcx_roi_control_t maximum;
    uvcx_roi_control_t minimum;
    quint8 orientation = 0;
    orientation |= bit(readable(m_camera, &GeneralCamera::getPowerLineFrequencyRange) && supported, 0);
    orientation |= bit(readable(m_camera, &GeneralCamera::getMirrorRange), 2);
    orientation |= bit(readable(m_camera, &GeneralCamera::getCeilingRange), 4);
    orientation |= bit(succeeded(m_camera->getROIRange(&maximum, &minimum)), 6);

    QByteArray reply;
    reply.append(char(image));
    reply.append(char(advanced));
    reply.append(char(orientation));
    reply.append(char(CapabilityTail));
    return reply;
}
