#include "camerasettingdialog.h"

#include "analytics/bigdata.h"
#include "core/supportedcamera.h"
#include "core/widgets/custrenderareahorizontal.h"

#include <QDesktopServices>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

#include <algorithm>
#include <cstdlib>

namespace {

const QString ImagePath = QStringLiteral(":/cameraSetting/resources/cameraSetting/");
const QString HelpSite = QStringLiteral("https://www.qorv.com");
const QString NotAvailable = QStringLiteral("N/A");
const QString Enabled = QStringLiteral("#ffffff");
const QString Greyed = QStringLiteral("#4C4C4C");
const QString GreyedSlider = QStringLiteral("#4c4c4c");
const QString CaptionSize = QStringLiteral("14px");
const QString RangeSize = QStringLiteral("11px");
constexpr quint16 ZR90ProductId = 0x0810;
constexpr int WidestListedWidth = 1920;
// A camera that reports an absurd range must not make a list of millions of rows.
constexpr qint64 MaxListedLevels = 256;
constexpr int RestartTickMsecs = 1000;
constexpr int RestartStep = 4;

enum Command : uint {
    BrightnessChanged = 0x80000201,
    SaturationChanged = 0x80000202,
    SharpnessChanged = 0x80000203,
    WhiteBalanceChanged = 0x80000206,
    AutoWhiteBalanceChanged = 0x80000207,
    PowerLineChanged = 0x80000208,
    BacklightChanged = 0x8000020a,
    NoiseChanged = 0x8000020b,
    MirrorToggled = 0x8000020c,
    CeilingToggled = 0x8000020d,
    RotatedLeft = 0x80000212,
    RotatedRight = 0x80000213,
    ContrastChanged = 0x80000240,
    BasicDefaults = 0x80000244,
    AdvancedDefaults = 0x80000245,
};

enum Report {
    BasicPageLeft = 0x11000014,
    AdvancedPageLeft = 0x11000015,
    OutputModeApplied = 0x11000016,
    AudioPageLeft = 0x11000017,
    AudioHelpOpened = 0x11000018,
};

bool succeeded(uint32_t result)
{
    return int32_t(result) >= 0;
}

QString resolutionText(int width, int height)
{
    return QStringLiteral("%1 x %2").arg(uint(width)).arg(uint(height));
}

QString frameRateText(uint fps)
{
    return QString::number(fps) + QStringLiteral("fps");
}

int heightOf(const QString &resolution)
{
    return resolution.section(QStringLiteral(" x "), 1).toInt();
}

QString powerLineText(int value)
{
    switch (value) {
    case 0: return CameraSettingDialog::tr("Off");
    case 1: return QStringLiteral("50hz");
    case 2: return QStringLiteral("60hz");
    default: return QString();
    }
}

QString normalStyle(const QString &normal, const QString &hover, const QString &pressed)
{
    return QStringLiteral("QToolButton{border:none;border-image:url(%1%2);}"
                          "QToolButton:hover{border-image:url(%1%3);}"
                          "QToolButton:pressed{border-image:url(%1%4);}")
        .arg(ImagePath, normal, hover, pressed);
}

} // namespace

CameraSettingDialog::CameraSettingDialog(QWidget *parent)
    : QDialog(parent)
{
    ui.setupUi(this);
    ui.stackedWidget->setCurrentIndex(0);
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    connectControls();
    setMessage(tr("Enable both the ZQ40 built in microphone and ZQ40 Wireless microphone together."));
    m_isRemoteCommand = false;
    checkStringLength();
    m_bigData = BigData::RequireBigData();
}

CameraSettingDialog::~CameraSettingDialog() = default;

void CameraSettingDialog::connectControls()
{
    connect(ui.btnClose, &QToolButton::clicked, this, &CameraSettingDialog::closeDialog);
    connect(ui.lbImageSetting, &ClickableLabel::clicked, this, &CameraSettingDialog::showImageSetting);
    connect(ui.lbVideoOutputMode, &ClickableLabel::clicked, this, &CameraSettingDialog::showVideoOutputMode);
    connect(ui.lbMirror, &QToolButton::clicked, this, &CameraSettingDialog::doMirror);
    connect(ui.lbCelling, &QToolButton::clicked, this, &CameraSettingDialog::doCelling);
    connect(ui.lbLeft, &QToolButton::clicked, this, &CameraSettingDialog::doRotateLeft);
    connect(ui.lbRight, &QToolButton::clicked, this, &CameraSettingDialog::doRotateRight);
    connect(ui.lbLink, &ClickableLabel::clicked, this, &CameraSettingDialog::openLink);
    connect(ui.lbLink, &ClickableLabel::mouseEnterWidget, this, &CameraSettingDialog::changeCursor);
    connect(ui.lbLink, &ClickableLabel::mouseLeaveWidget, this, &CameraSettingDialog::changeCursor);
    connect(ui.checkBoxMic, &QCheckBox::stateChanged, this, &CameraSettingDialog::setBuiltInCamera);
    connect(ui.checkBoxHdmi, &QCheckBox::stateChanged, this, &CameraSettingDialog::setBuiltInCameraHdmi);
    for (QToolButton *back : {ui.btnBack, ui.btnBack_2, ui.btnBack_3, ui.btnBack_4})
        connect(back, &QToolButton::clicked, this, &CameraSettingDialog::showCameraSetting);
    connect(ui.btnYes, &QToolButton::clicked, this, &CameraSettingDialog::showProgressPage);
    connect(ui.btnNo, &QToolButton::clicked, this, &CameraSettingDialog::showVideoOutputMode);
    connect(ui.btnBack, &QToolButton::clicked, this, &CameraSettingDialog::pressBtnBack);
    connect(ui.btnBack_2, &QToolButton::clicked, this, &CameraSettingDialog::pressBtnBack_2);
    connect(ui.btnBack_4, &QToolButton::clicked, this, &CameraSettingDialog::pressBtnBack_4);
    connect(ui.brightnessSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setBrightness);
    connect(ui.contrastSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setContrast);
    connect(ui.saturationSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setSaturation);
    connect(ui.sharpnessSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setSharpness);
    connect(ui.whiteBalanceSlider, &QSlider::valueChanged, this, &CameraSettingDialog::setWhiteBalance);
    connect(ui.btnDefault, &QToolButton::clicked, this, &CameraSettingDialog::setBasicCameraSettingDefault);
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    connect(ui.cbBacklight, indexChanged, this, &CameraSettingDialog::setBacklight);
    connect(ui.cbNoise, indexChanged, this, &CameraSettingDialog::setNoise);
    connect(ui.cbPowerFrquency, indexChanged, this, &CameraSettingDialog::setPowerFrquency);
    connect(ui.btnDefaultAdvanced, &QToolButton::clicked, this,
            &CameraSettingDialog::setAdvancedCameraSettingDefault);
    connect(ui.cbOutputMode, indexChanged, this, &CameraSettingDialog::outputModeChange);
    connect(ui.cbH264Output, indexChanged, this, &CameraSettingDialog::setH264Output);
    connect(ui.cbSensorMode, indexChanged, this, &CameraSettingDialog::sensorModeChange);
    connect(ui.cbResolution, indexChanged, this, &CameraSettingDialog::resolutionChange);
    connect(ui.btnDefaultOutputMode, &QToolButton::clicked, this, &CameraSettingDialog::setOutputModeDefault);
    connect(ui.btnApply, &QToolButton::clicked, this, &CameraSettingDialog::applyOutputMode);
    connect(ui.btnAuto, &QToolButton::clicked, this, qOverload<>(&CameraSettingDialog::setAuto));

    // One plain delegate lets the style sheets reach the rows of every drop-down list.
    auto *delegate = new QStyledItemDelegate(this);
    for (QComboBox *combo : {ui.cbBacklight, ui.cbNoise, ui.cbPowerFrquency, ui.cbOutputMode,
                             ui.cbH264Output, ui.cbSensorMode, ui.cbFrameRate,
                             static_cast<QComboBox *>(ui.cbResolution)})
        combo->setItemDelegate(delegate);
}

// ---- pages, sizes, dragging ----

void CameraSettingDialog::showCameraSetting()
{
    ui.stackedWidget->setCurrentIndex(0);
    changeToBigSize();
}

void CameraSettingDialog::showImageSetting()
{
    ui.stackedWidget->setCurrentIndex(1);
}

void CameraSettingDialog::showAdvanceImageSetting()
{
    ui.stackedWidget->setCurrentIndex(2);
}

void CameraSettingDialog::showVideoOutputMode()
{
    m_isH264Changed = false;
    changeToBigSize();
    getCameraVideoOutputSetting();
    ui.stackedWidget->setCurrentIndex(3);
}

void CameraSettingDialog::showMicrophoneSetting()
{
    changeToBigSize();
    ui.stackedWidget->setCurrentIndex(6);
}

void CameraSettingDialog::showRestartPage()
{
    ui.stackedWidget->setCurrentIndex(4);
}

void CameraSettingDialog::closeDialog()
{
    emit startReboot(false);
    m_isRebooting = false;
    m_isOutputModeDefault = false;
    if (m_restartTimer && m_restartTimer->isActive())
        m_restartTimer->stop();
    changeToBigSize();
    emit closeSetting();
    switch (ui.stackedWidget->currentIndex()) {
    case 1: pressBtnBack(); break;
    case 2: pressBtnBack_2(); break;
    case 6: pressBtnBack_4(); break;
    default: break;
    }
}

void CameraSettingDialog::setWindowSizes(int width, int height)
{
    setFixedSize(width, height);
    ui.frameCameraSetting->setFixedSize(width, height - 28);
    ui.stackedWidget->setFixedSize(width - 6, height - 31);
    ui.frameTitle->setGeometry(10, 0, width - 20, 28);
    ui.btnClose->move(width - 40, 0);
    ui.frameRight->move(width - 10, 0);
}

void CameraSettingDialog::changeToBigSize()
{
    setWindowSizes(405, 425);
}

void CameraSettingDialog::changeToSmallSize()
{
    setWindowSizes(485, 208);
}

void CameraSettingDialog::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_isDragging = true;
        m_dragOrigin = event->localPos().toPoint();
    }
    QDialog::mousePressEvent(event);
}

void CameraSettingDialog::mouseMoveEvent(QMouseEvent *event)
{
    if (m_isDragging)
        move(mapToParent(event->pos() - m_dragOrigin));
    QDialog::mouseMoveEvent(event);
}

void CameraSettingDialog::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton) {
        m_isDragging = false;
        m_dragOrigin = QPoint();
    }
    QDialog::mouseReleaseEvent(event);
}

// ---- texts ----

void CameraSettingDialog::setMessage(const QString &text)
{
    ui.lbAudio->setText(QStringLiteral("<p style=\"line-height:130%\">%2</p>").arg(text));
}

void CameraSettingDialog::checkStringLength()
{
    ui.lbWhite->ensurePolished();
    const QFontMetrics metrics(ui.lbWhite->font());
    const QString text = ui.lbWhite->text();
    if (metrics.horizontalAdvance(text) < 106) {
        ui.lbWhite->setToolTip(QString());
        return;
    }
    ui.lbWhite->setToolTip(QStringLiteral("<span style='color:block;'>") + text + QStringLiteral("</span>"));
    ui.lbWhite->setText(metrics.elidedText(text, Qt::ElideRight, 105));
}

void CameraSettingDialog::updateString()
{
    const auto indexChanged = qOverload<int>(&QComboBox::currentIndexChanged);
    // Only what binding connected is connected again: an unsupported control stays deaf.
    const bool backlight = disconnect(ui.cbBacklight, indexChanged, this, &CameraSettingDialog::setBacklight);
    const bool power = disconnect(ui.cbPowerFrquency, indexChanged, this, &CameraSettingDialog::setPowerFrquency);
    const bool h264 = disconnect(ui.cbH264Output, indexChanged, this, &CameraSettingDialog::setH264Output);

    ui.retranslateUi(this);
    setMessage(tr("Enable both the ZQ40 built in microphone and ZQ40 Wireless microphone together."));

    // The rows are re-texted in place: they keep the camera values they carry and the selection.
    if (m_camera) {
        if (ui.cbBacklight->isEnabled() && ui.cbBacklight->count() == 2) {
            ui.cbBacklight->setItemText(0, tr("Off"));
            ui.cbBacklight->setItemText(1, tr("On"));
        } else if (ui.cbBacklight->count() == 1) {
            ui.cbBacklight->setItemText(0, tr("N/A"));
        }
        if (ui.cbPowerFrquency->isEnabled()) {
            for (int row = 0; row < ui.cbPowerFrquency->count(); ++row)
                ui.cbPowerFrquency->setItemText(row, powerLineText(rowValue(ui.cbPowerFrquency, row)));
        } else if (ui.cbPowerFrquency->count() == 1) {
            ui.cbPowerFrquency->setItemText(0, tr("N/A"));
        }
        if (ui.cbH264Output->count() == 2) {
            ui.cbH264Output->setItemText(0, tr("Off"));
            ui.cbH264Output->setItemText(1, tr("On"));
        } else if (ui.cbH264Output->count() == 1) {
            ui.cbH264Output->setItemText(0, isSupportedCamera() ? tr("On") : tr("N/A"));
        }
    }

    if (backlight)
        connect(ui.cbBacklight, indexChanged, this, &CameraSettingDialog::setBacklight, Qt::UniqueConnection);
    if (power)
        connect(ui.cbPowerFrquency, indexChanged, this, &CameraSettingDialog::setPowerFrquency,
                Qt::UniqueConnection);
    if (h264)
        connect(ui.cbH264Output, indexChanged, this, &CameraSettingDialog::setH264Output, Qt::UniqueConnection);
    checkStringLength();
}

void CameraSettingDialog::openLink()
{
    QDesktopServices::openUrl(QUrl(HelpSite + QStringLiteral("/help/Lumidesk/")));
    if (!m_camera)
        return;
    const QMetaObject::Connection link =
        connect(this, &CameraSettingDialog::sendCommand, m_bigData, &BigData::receiveCommand);
    emit sendCommand(AudioHelpOpened, m_cameraOrder, m_camera->getName(), -1, -1, -1, -1);
    disconnect(link);
}

void CameraSettingDialog::changeCursor()
{
    setCursor(ui.lbLink->underMouse() ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void CameraSettingDialog::setCameraOrder(int order)
{
    m_cameraOrder = order;
}

int CameraSettingDialog::getMinValue(const QList<int> &values)
{
    if (values.isEmpty())
        return -1;
    int best = -1;
    for (int value : values) {
        if (value >= 480 && (best < 0 || value < best))
            best = value;
    }
    return best >= 0 ? best : values.last();
}

// ---- usage reports ----

void CameraSettingDialog::sendReport(int command, QByteArray *flags)
{
    // The collector reads the flags during the call only, so a pointer to our bytes is enough.
    const QMetaObject::Connection link =
        connect(this, &CameraSettingDialog::sendCommand, m_bigData, &BigData::receiveCommand);
    emit sendCommand(command, m_cameraOrder, m_camera->getName(),
                     QVariant::fromValue(static_cast<void *>(flags->data())), -1, -1, -1);
    disconnect(link);
}

void CameraSettingDialog::pressBtnBack()
{
    if (!m_camera)
        return;
    QByteArray flags(6, '\0');
    const QList<QPair<QSlider *, int *>> controls{
        {ui.brightnessSlider, &m_lastBrightness}, {ui.contrastSlider, &m_lastContrast},
        {ui.saturationSlider, &m_lastSaturation}, {ui.sharpnessSlider, &m_lastSharpness},
        {ui.whiteBalanceSlider, &m_lastWhiteBalance}};
    for (int i = 0; i < controls.size(); ++i) {
        int &last = *controls.at(i).second;
        const int value = controls.at(i).first->value();
        if (last != Unsupported && last != value) {
            flags[i] = 1;
            last = value;
        }
    }
    if (m_isBasicDefaultApplied) {
        flags[5] = 1;
        m_isBasicDefaultApplied = false;
    }
    if (flags.contains('\1'))
        sendReport(BasicPageLeft, &flags);
}

void CameraSettingDialog::pressBtnBack_2()
{
    if (!m_camera)
        return;
    QByteArray flags(8, '\0');
    // Rows are compared by the camera value they carry, the terms in which the last values are kept.
    const int power = isSupportedCamera() ? rowValue(ui.cbPowerFrquency, ui.cbPowerFrquency->currentIndex())
                                          : m_powerFrequencyValue;
    const QList<QPair<int, int *>> combos{
        {ui.cbBacklight->currentIndex(), &m_lastBacklight},
        {rowValue(ui.cbNoise, ui.cbNoise->currentIndex()), &m_lastNoise},
        {power, &m_lastPowerFrequency}};
    for (int i = 0; i < combos.size(); ++i) {
        int &last = *combos.at(i).second;
        if (last != Unsupported && last != combos.at(i).first) {
            flags[i] = 1;
            last = combos.at(i).first;
        }
    }
    float mirror = 0;
    m_camera->getMirror(&mirror);
    if (m_lastMirror != Unsupported && float(m_lastMirror) != mirror) {
        flags[3] = 1;
        m_lastMirror = int(mirror);
    }
    float ceiling = 0;
    m_camera->getCeiling(&ceiling);
    if (m_lastCeiling != Unsupported && float(m_lastCeiling) != ceiling) {
        flags[4] = 1;
        m_lastCeiling = int(ceiling);
    }
    if (m_isAdvancedDefaultApplied) {
        flags[7] = 1;
        if (m_lastAngle != m_currentAngle) {
            flags[5] = flags[6] = 1;
            m_lastAngle = m_currentAngle;
        }
        m_isAdvancedDefaultApplied = false;
    }
    if (m_lastAngle != m_currentAngle) {
        if (m_isRotatedLeft)
            flags[5] = 1;
        if (m_isRotatedRight)
            flags[6] = 1;
        m_lastAngle = m_currentAngle;
    }
    // A rotation that came back to where it started is not reported later by mistake.
    m_isRotatedLeft = m_isRotatedRight = 0;
    if (flags.contains('\1'))
        sendReport(AdvancedPageLeft, &flags);
}

void CameraSettingDialog::pressBtnBack_4()
{
    if (!m_camera)
        return;
    const int mic = ui.checkBoxMic->isChecked() ? 1 : 0;
    const int hdmi = ui.checkBoxHdmi->isChecked() ? 1 : 0;
    if (mic == m_lastMicState && hdmi == m_lastHdmiAudioState)
        return;
    m_lastMicState = mic;
    m_lastHdmiAudioState = hdmi;
    QByteArray flags;
    flags.append(char(mic));
    flags.append(char(hdmi));
    sendReport(AudioPageLeft, &flags);
}

// ---- image controls ----

bool CameraSettingDialog::isSupportedCamera() const
{
    return m_camera && IsSupportPID(m_camera->getPID());
}

void CameraSettingDialog::emitChange(uint id, const QList<int> &values)
{
    QByteArray payload;
    for (int value : values) {
        char bytes[4];
        qToLittleEndian<qint32>(value, bytes);
        payload.append(bytes, 4);
    }
    emit UIChange(id, payload);
}

namespace {
bool inside(const uvc_control_range &range, int value)
{
    return value >= range.min && value <= range.max;
}
} // namespace

void CameraSettingDialog::setBrightness(int val)
{
    if (!m_camera || !inside(m_brightnessRange, val))
        return;
    m_camera->setBrightness(float(val));
    if (!m_isRemoteCommand)
        emitChange(BrightnessChanged, {val});
}

void CameraSettingDialog::setContrast(int val)
{
    if (!m_camera || !inside(m_contrastRange, val))
        return;
    m_camera->setContrast(float(val));
    if (!m_isRemoteCommand)
        emitChange(ContrastChanged, {val});
}

void CameraSettingDialog::setSaturation(int val)
{
    if (!m_camera || !inside(m_saturationRange, val))
        return;
    m_camera->setSaturation(float(val));
    if (!m_isRemoteCommand)
        emitChange(SaturationChanged, {val});
}

void CameraSettingDialog::setSharpness(int val)
{
    if (!m_camera || !inside(m_sharpnessRange, val))
        return;
    m_camera->setSharpness(float(val));
    if (!m_isRemoteCommand)
        emitChange(SharpnessChanged, {val});
}

void CameraSettingDialog::setWhiteBalance(int val)
{
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
    if (!m_camera)
        return;
    // The row carries the camera's level: a range that does not start at 0 is written as listed.
    if (val >= 0)
        m_camera->setNoiseReduction(float(rowValue(ui.cbNoise, val)));
    if (!m_isRemoteCommand)
        emitChange(NoiseChanged, {val});
}

void CameraSettingDialog::setPowerFrquency(int val)
{
    if (!m_camera)
        return;
    const int value = powerLineValueFor(val);
    if (value >= 0) {
        const int cameraValue = val >= 0 && val < ui.cbPowerFrquency->count()
                                    ? rowValue(ui.cbPowerFrquency, val) : value;
        m_camera->setPowerLineFrequency(float(cameraValue));
    }
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
    if (autoOn) {
        ui.btnAuto->setStyleSheet(normalStyle(QStringLiteral("btn_auto_pc_pressed.png"),
                                              QStringLiteral("btn_auto_pc_hover.png"),
                                              QStringLiteral("btn_auto_pc_pressed.png")));
    } else {
        ui.btnAuto->setStyleSheet(normalStyle(QStringLiteral("btn_auto_pc_normal.png"),
                                              QStringLiteral("btn_auto_pc_hover.png"),
                                              QStringLiteral("btn_auto_pc_normal.png")));
    }
    setSliderState(ui.whiteBalanceSlider, !autoOn);
}

void CameraSettingDialog::setAuto()
{
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
    m_isAutoWhiteBalance = !val;
    setAuto();
}

void CameraSettingDialog::setBasicCameraSettingDefault()
{
    if (!m_camera)
        return;
    m_isBasicDefaultApplied = true;
    float defaults[4] = {0, 0, 0, 0};
    const QList<SliderRow> rows = sliderRows();
    const QList<uint32_t (GeneralCamera::*)(float *)> readDefault{
        &GeneralCamera::getDefaultBrightness, &GeneralCamera::getDefaultContrast,
        &GeneralCamera::getDefaultSaturation, &GeneralCamera::getDefaultSharpness};
    for (int i = 0; i < rows.size(); ++i) {
        if (!succeeded((m_camera->*rows.at(i).readRange)(rows.at(i).range)))
            continue;
        (m_camera->*readDefault.at(i))(&defaults[i]);
        rows.at(i).slider->setValue(int(defaults[i]));
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
    if (m_camera)
        m_camera->setMIC(state < 1 ? 0.0f : 1.0f);
}

void CameraSettingDialog::setBuiltInCameraHdmi(int state)
{
    if (m_camera)
        m_camera->setHdmiAudio(state < 1 ? 0.0f : 1.0f);
}

// ---- orientation ----

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
    return {
        {ui.brightnessSlider, ui.lbBr, ui.lbBrightnessMin, ui.lbBrightnessMax, ui.areaBrightness,
         &m_brightnessRange, &m_lastBrightness, &GeneralCamera::getBrightnessRange, &GeneralCamera::getBrightness},
        {ui.contrastSlider, ui.lbCt, ui.lbContrastMin, ui.lbContrastMax, ui.areaContrast, &m_contrastRange,
         &m_lastContrast, &GeneralCamera::getContrastRange, &GeneralCamera::getContrast},
        {ui.saturationSlider, ui.lbSatu, ui.lbSaturationMin, ui.lbSaturationMax, ui.areaSaturation,
         &m_saturationRange, &m_lastSaturation, &GeneralCamera::getSaturationRange, &GeneralCamera::getSaturation},
        {ui.sharpnessSlider, ui.lbSharp, ui.lbSharpnessMin, ui.lbSharpnessMax, ui.areaSharpness,
         &m_sharpnessRange, &m_lastSharpness, &GeneralCamera::getSharpnessRange, &GeneralCamera::getSharpness},
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
    m_powerFrequencyValue = powerLineValueFor(ui.cbPowerFrquency->currentIndex());
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

// ---- output-mode page ----

QString CameraSettingDialog::videoFormateToString(int format)
{
    static const char *const names[] = {"RGB32", "RGB888", "YUV444", "YUV422", "YUV420",
                                        "YUY2",  "MJPG",   "H264",   "UYVY"};
    if (format < 0 || format > 8)
        return QStringLiteral("OTHER");
    return QString::fromLatin1(names[format]);
}

QString CameraSettingDialog::sensorModeToString(int mode)
{
    switch (mode) {
    case 0: return QStringLiteral("Standard");
    case 1: return QStringLiteral("60fps");
    case 2: return QStringLiteral("8M");
    default: return QStringLiteral("OTHER");
    }
}

bool CameraSettingDialog::checkListContainFps(int fps) const
{
    return ui.cbFrameRate->findText(frameRateText(uint(fps))) >= 0;
}

bool CameraSettingDialog::checkListContainOutputMode(const QString &text) const
{
    return ui.cbOutputMode->findText(text) >= 0;
}

void CameraSettingDialog::setTextStyle(QLabel *label, const QString &color, const QString &size)
{
    label->setStyleSheet(QStringLiteral("color:") + color + QStringLiteral(";background:transparent;font:") + size
                         + QStringLiteral("'Arial'"));
}

void CameraSettingDialog::setComboBoxStyle(QComboBox *combo, bool enabled)
{
    const QString arrow = enabled ? QStringLiteral("icon_p_w_war.png") : QStringLiteral("icon_p_w_war_disabled.png");
    const QString text = enabled ? QStringLiteral("#ffffff") : QStringLiteral("#4C4C4C");
    combo->setStyleSheet(
        QStringLiteral("QComboBox{border-radius:0px;font:14px 'Arial';color:%2;background:#878B92;"
                       "background:transparent;selection-background-color:transparent;}"
                       "QComboBox::drop-down{border-width:0px;}"
                       "QComboBox::down-arrow{border-width:0px;image:url(%1%3);}"
                       "QComboBox QAbstractItemView{border:none;outline:none;background:#ffffff;}"
                       "QComboBox QAbstractItemView::item{min-height:30px;color:#000000;background:#ffffff;"
                       "padding-left:5px;}"
                       "QComboBox QAbstractItemView::item:hover,QComboBox QAbstractItemView::item:selected"
                       "{background:#009bef;color:#ffffff;}")
            .arg(ImagePath, text, arrow));
}

bool CameraSettingDialog::isTitleRow(int row) const
{
    return row >= 0
           && ui.cbResolution->itemData(row, Qt::AccessibleDescriptionRole).toString()
                  == QLatin1String("titleSeparator");
}

void CameraSettingDialog::addResolutionGroup(const QString &title, const QStringList &entries)
{
    if (entries.isEmpty())
        return;
    // The title goes in after its first entry, so that an empty list never makes the title current.
    const int start = ui.cbResolution->count();
    for (const QString &entry : entries)
        ui.cbResolution->addItem(entry);
    ui.cbResolution->insertTitleSeparator(title, start);
}

void CameraSettingDialog::addFrameRatesFor(const QList<VideoFormat> &formats)
{
    const QString mode = ui.cbOutputMode->currentText();
    const QString resolution = ui.cbResolution->currentText();
    for (const VideoFormat &format : formats) {
        if (videoFormateToString(format.codecType) != mode
            || resolutionText(format.width, format.height) != resolution)
            continue;
        for (uint fps : format.frameRates) {
            if (!checkListContainFps(int(fps)))
                ui.cbFrameRate->addItem(frameRateText(fps));
        }
    }
}

void CameraSettingDialog::outputModeChange(int)
{
    const QString shown = ui.cbResolution->currentText();
    if (shown.size() >= 6) {
        const QStringList parts = shown.split(QStringLiteral(" x"), Qt::KeepEmptyParts, Qt::CaseSensitive);
        m_selectedWidth = parts.value(0).toInt();
        m_selectedHeight = parts.value(1).trimmed().toInt();
    }
    if (!ui.cbFrameRate->currentText().isEmpty())
        m_frameRateText = ui.cbFrameRate->currentText();

    const QList<VideoFormat> formats = m_camera ? m_camera->getVideFormats() : QList<VideoFormat>();
    int row = -1;
    {
        // The list is rebuilt silently and the frame rates follow once, for the row finally chosen.
        const QSignalBlocker blocker(ui.cbResolution);
        ui.cbResolution->clear();
        ui.cbFrameRate->clear();
        QStringList standard;
        QStringList wide;
        const QString mode = ui.cbOutputMode->currentText();
        for (const VideoFormat &format : formats) {
            if (videoFormateToString(format.codecType) != mode || format.width > WidestListedWidth)
                continue;
            QStringList &group = double(format.width) / double(format.height) >= 1.5 ? wide : standard;
            const QString text = resolutionText(format.width, format.height);
            if (!group.contains(text))
                group.append(text);
        }
        const auto byHeight = [](const QString &a, const QString &b) { return heightOf(a) < heightOf(b); };
        std::stable_sort(standard.begin(), standard.end(), byHeight);
        std::stable_sort(wide.begin(), wide.end(), byHeight);
        addResolutionGroup(QStringLiteral("4:3"), standard);
        addResolutionGroup(QStringLiteral("16:9"), wide);
        if (m_isHighestResolutionRemoved)
            removeMostHighResolution();
        row = ui.cbResolution->findText(resolutionText(m_selectedWidth, m_selectedHeight));
        if (row < 0)
            row = ui.cbResolution->count() - 1;
        ui.cbResolution->setCurrentIndex(row);
    }
    resolutionChange(row);
    addFrameRatesFor(formats);
    disableFrameRate();
}

void CameraSettingDialog::resolutionChange(int)
{
    const int row = ui.cbResolution->currentIndex();
    if (isTitleRow(row)) {
        // A group title is no resolution: the nearest resolution row takes its place.
        for (int next : {row + 1, row - 1}) {
            if (next >= 0 && next < ui.cbResolution->count() && !isTitleRow(next)) {
                ui.cbResolution->setCurrentIndex(next);
                return;
            }
        }
    }
    if (!ui.cbFrameRate->currentText().isEmpty())
        m_frameRateText = ui.cbFrameRate->currentText();
    ui.cbFrameRate->clear();
    if (m_camera)
        addFrameRatesFor(m_camera->getVideFormats());
    const int rate = ui.cbFrameRate->findText(m_frameRateText);
    if (rate >= 0)
        ui.cbFrameRate->setCurrentIndex(rate);
    disableFrameRate();
}

void CameraSettingDialog::disableFrameRate()
{
    if (m_isFrameRateSupported)
        return;
    if (ui.cbFrameRate->findText(NotAvailable) < 0 && ui.cbFrameRate->findText(tr("N/A")) < 0)
        ui.cbFrameRate->addItem(tr("N/A"));
    ui.cbFrameRate->setCurrentIndex(ui.cbFrameRate->count() - 1);
    ui.cbFrameRate->setEnabled(false);
    setComboBoxStyle(ui.cbFrameRate, false);
    setTextStyle(ui.lbFr, Greyed, CaptionSize);
}

void CameraSettingDialog::removeMostHighResolution()
{
    m_isHighestResolutionRemoved = true;
    const int row = ui.cbResolution->findText(QStringLiteral("3264 x 2448"));
    if (row >= 0)
        ui.cbResolution->removeItem(row);
}

void CameraSettingDialog::getCameraVideoOutputSetting()
{
    if (!isSupportedCamera())
        return;
    const VideoFormat active = m_camera->getActiveFormat();
    const int format = ui.cbOutputMode->findText(videoFormateToString(active.codecType));
    if (format >= 0)
        ui.cbOutputMode->setCurrentIndex(format);
    if (ui.cbH264Output->count() > 1)
        ui.cbH264Output->setCurrentIndex(m_isH264Disabled ? 0 : 1);
    float mode = 0;
    m_camera->getSensorMode(&mode);
    m_sensorModeValue = int(mode);
    const int sensor = ui.cbSensorMode->findText(sensorModeToString(m_sensorModeValue));
    if (sensor >= 0)
        ui.cbSensorMode->setCurrentIndex(sensor);
    const int resolution = ui.cbResolution->findText(resolutionText(active.width, active.height));
    if (resolution >= 0)
        ui.cbResolution->setCurrentIndex(resolution);
    const int rate = ui.cbFrameRate->findText(frameRateText(uint(active.frameRate)));
    if (rate >= 0)
        ui.cbFrameRate->setCurrentIndex(rate);
    disableFrameRate();
}

void CameraSettingDialog::setH264Output(int index)
{
    if (!m_camera || index < 0 || m_isRebooting)
        return;
    if (index != (m_isH264Disabled ? 0 : 1)) {
        changeToSmallSize();
        showRestartPage();
    }
}

void CameraSettingDialog::sensorModeChange(int index)
{
    if (index < 0 || !m_camera)
        return;
    // The row carries the mode it stands for, so a range that does not start at 0 compares right.
    m_sensorModeValue = rowValue(ui.cbSensorMode, index);
    float mode = 0;
    m_camera->getSensorMode(&mode);
    if (mode == float(m_sensorModeValue) || m_isRebooting)
        return;
    changeToSmallSize();
    showRestartPage();
}

void CameraSettingDialog::setToRecordModeUi(bool locked)
{
    ui.btnVideoOutputMode->setEnabled(!locked);
    ui.lbVideoOutputMode->setStyleSheet(locked ? QStringLiteral("color:#4c4c4c;background:transparent;font: 18px 'Arial'")
                                               : QStringLiteral("color:#000000;background:transparent;font: 18px 'Arial'"));
    ui.iconVideoOuputMode->setPixmap(QPixmap(ImagePath + (locked ? QStringLiteral("icon_pc_video_disabled.png")
                                                                 : QStringLiteral("icon_pc_video.png"))));
}

QString CameraSettingDialog::getSensorModeValue() const
{
    return QStringLiteral("VideoOutputMode=") + ui.cbOutputMode->currentText() + QStringLiteral("&H264Output=")
           + (ui.cbH264Output->currentIndex() == 1 ? QStringLiteral("On") : QStringLiteral("Off"))
           + QStringLiteral("&CameraMode=") + ui.cbSensorMode->currentText() + QStringLiteral("&FrameRate=")
           + ui.cbFrameRate->currentText();
}

// ---- applying and rebooting ----

void CameraSettingDialog::applyOutputMode()
{
    if (!m_camera) {
        closeDialog();
        return;
    }
    const QString resolution = ui.cbResolution->currentText();
    const QString mode = ui.cbOutputMode->currentText();
    for (const VideoFormat &format : m_camera->getVideFormats()) {
        if (videoFormateToString(format.codecType) != mode
            || resolutionText(format.width, format.height) != resolution)
            continue;
        int fps = 0;
        if (m_isFrameRateSupported)
            fps = ui.cbFrameRate->currentText().split(QStringLiteral("fps")).value(0).toInt();
        else if (!format.frameRates.isEmpty())
            fps = int(format.frameRates.first());
        if (succeeded(m_camera->setActiveFormat(format.index, fps)))
            emit settingApplied();
        else
            emit setActiveFormatError();
    }

    QString setting = getSensorModeValue() + QStringLiteral("&Resolution=")
                      + QString(resolution).replace(QStringLiteral(" x "), QStringLiteral("X"));
    if (setting.contains(QStringLiteral("H264Output=Off")))
        setting.replace(QStringLiteral("H264Output=Off"), QStringLiteral("H264Output=MAC"));
    else
        setting.replace(QStringLiteral("H264Output=On"), QStringLiteral("H264Output=MAC"));
    const QMetaObject::Connection link =
        connect(this, &CameraSettingDialog::sendCommand, m_bigData, &BigData::receiveCommand);
    emit sendCommand(OutputModeApplied, m_cameraOrder, m_camera->getName(), setting, -1, -1, -1);
    disconnect(link);
    closeDialog();
}

void CameraSettingDialog::setOutputModeDefault()
{
    if (!m_camera)
        return;
    if (isSupportedCamera()) {
        m_isOutputModeDefault = true;
        float mode = 0;
        m_camera->getDefaultSensorMode(&mode);
        if (mode != float(rowValue(ui.cbSensorMode, ui.cbSensorMode->currentIndex()))) {
            const int standard = ui.cbSensorMode->findText(sensorModeToString(0));
            if (standard < 0)
                return;
            ui.cbSensorMode->setCurrentIndex(standard);
            changeToSmallSize();
            showRestartPage();
            return;
        }
        const QList<QPair<QComboBox *, QString>> defaults{{ui.cbOutputMode, QStringLiteral("MJPG")},
                                                          {ui.cbResolution, QStringLiteral("848 x 480")},
                                                          {ui.cbFrameRate, QStringLiteral("30fps")}};
        for (const auto &choice : defaults) {
            const int row = choice.first->findText(choice.second);
            if (row >= 0)
                choice.first->setCurrentIndex(row);
        }
        return;
    }
    const QList<VideoFormat> formats = m_camera->getVideFormats();
    QList<int> heights;
    for (const VideoFormat &format : formats) {
        if (format.codecType == 6)
            heights.append(format.height);
    }
    const int height = getMinValue(heights);
    if (height == -1)
        return;
    for (const VideoFormat &format : formats) {
        if (format.codecType != 6 || format.height != height)
            continue;
        const int mode = ui.cbOutputMode->findText(QStringLiteral("MJPG"));
        if (mode >= 0)
            ui.cbOutputMode->setCurrentIndex(mode);
        const int row = ui.cbResolution->findText(resolutionText(format.width, format.height));
        if (row >= 0)
            ui.cbResolution->setCurrentIndex(row);
        break;
    }
}

void CameraSettingDialog::showProgressPage()
{
    if (!m_camera)
        return;
    m_isSensorModeReboot = true;
    float mode = 0;
    m_camera->getSensorMode(&mode);
    bool defaultH264Off = false;
    m_camera->getDefaultDisableH264(&defaultH264Off);
    emit updateSetting(ui.cbOutputMode->currentText(), ui.cbFrameRate->currentText(),
                       ui.cbResolution->currentText());
    if (ui.cbH264Output->currentIndex() == (m_isH264Disabled ? 1 : 0) && !m_isOutputModeDefault) {
        m_camera->setDisableH264(!m_isH264Disabled);
        m_isH264Changed = true;
    }
    const int selected = rowValue(ui.cbSensorMode, ui.cbSensorMode->currentIndex());
    if (mode != float(selected)) {
        if (m_isOutputModeDefault)
            m_camera->setDisableH264(defaultH264Off);
        m_camera->setSensorMode(float(selected));
        emit changeSensorMode(selected, m_isOutputModeDefault);
    } else if (m_isH264Changed) {
        if (m_isOutputModeDefault)
            m_camera->setDisableH264(defaultH264Off);
        m_camera->setReboot();
    }
    emit restartCamera(m_camera);
    ui.stackedWidget->setCurrentIndex(5);
    ui.progressBar->setValue(0);
    emit startReboot(true);
    m_isRebooting = true;
    delete m_restartTimer;
    m_restartTimer = new QTimer(this);
    connect(m_restartTimer, &QTimer::timeout, this, &CameraSettingDialog::reStartProgerssBar);
    m_restartTimer->start(RestartTickMsecs);
}

void CameraSettingDialog::reStartProgerssBar()
{
    const int value = ui.progressBar->value() + RestartStep;
    if (value <= 99) {
        ui.progressBar->setValue(value);
        return;
    }
    m_isOutputModeDefault = false;
    ui.progressBar->setValue(100);
    closeDialog();
    QTimer::singleShot(500, this, &CameraSettingDialog::delayRestart);
}

void CameraSettingDialog::delayRestart()
{
    emit cameraRestartFinished();
    emit startReboot(false);
    m_isRebooting = false;
    if (m_restartTimer)
        m_restartTimer->stop();
}

bool CameraSettingDialog::getIsSensorModeReboot() const
{
    return m_isSensorModeReboot;
}

void CameraSettingDialog::setIsSensorModeReboot(bool reboot)
{
    m_isSensorModeReboot = reboot;
}
