#include "camerasettingdialog_p.h"

#include "analytics/bigdata.h"
#include "desktop/taskbarentry.h"
#include "dialogs/helplink.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QTimer>

using namespace camerasettings;

CameraSettingDialog::CameraSettingDialog(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    m_bigData = BigData::RequireBigData();
    platform::TaskbarEntry::keepOut(this);
}

// The form waits for its first use (a camera bound, a show, a phone command): a camera window is often
// never shown, and the form's many images would only delay the toolbar.
void CameraSettingDialog::ensureForm()
{
    if (m_formBuilt)
        return;
    m_formBuilt = true;
    ui.setupUi(this);
    ui.stackedWidget->setCurrentIndex(0);
    setAttribute(Qt::WA_TranslucentBackground);
    setModal(true);
    connectControls();
    setMessage(tr("Enable both the ZQ40 built in microphone and ZQ40 Wireless microphone together."));
    m_isRemoteCommand = false;
    checkStringLength();
    if (m_isRecordModeLocked)
        setToRecordModeUi(true);
}

bool CameraSettingDialog::hasForm() const
{
    return m_formBuilt;
}

void CameraSettingDialog::setVisible(bool visible)
{
    if (visible)
        ensureForm();
    QDialog::setVisible(visible);
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
    ensureForm();
    ui.stackedWidget->setCurrentIndex(0);
    changeToBigSize();
}

void CameraSettingDialog::showImageSetting()
{
    ensureForm();
    ui.stackedWidget->setCurrentIndex(1);
}

void CameraSettingDialog::showAdvanceImageSetting()
{
    ensureForm();
    ui.stackedWidget->setCurrentIndex(2);
}

void CameraSettingDialog::showVideoOutputMode()
{
    ensureForm();
    m_isH264Changed = false;
    changeToBigSize();
    getCameraVideoOutputSetting();
    ui.stackedWidget->setCurrentIndex(3);
}

void CameraSettingDialog::showMicrophoneSetting()
{
    ensureForm();
    changeToBigSize();
    ui.stackedWidget->setCurrentIndex(6);
}

void CameraSettingDialog::showRestartPage()
{
    ensureForm();
    ui.stackedWidget->setCurrentIndex(4);
}

void CameraSettingDialog::closeDialog()
{
    ensureForm();
    // Closed while the camera reboots: the wait goes on unseen, so that the camera window keeps its
    // reboot flag and is still told when to take the camera again.
    if (!isRestartRunning()) {
        emit startReboot(false);
        m_isRebooting = false;
    }
    m_isOutputModeDefault = false;
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
    // A form not built yet is built in the language then in force.
    if (!m_formBuilt)
        return;
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
    ensureForm();
    HelpLink::open();
    if (!m_camera)
        return;
    sendAnalytics(AudioHelpOpened, m_cameraOrder, m_camera->getName());
}

void CameraSettingDialog::changeCursor()
{
    ensureForm();
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
    sendAnalytics(command, m_cameraOrder, m_camera->getName(), QVariant::fromValue(static_cast<void *>(flags->data())));
}

void CameraSettingDialog::sendAnalytics(int command, QVariant data1, QVariant data2, QVariant data3,
                                        QVariant data4, QVariant data5, QVariant data6)
{
    const QMetaObject::Connection link =
        connect(this, &CameraSettingDialog::sendCommand, m_bigData, &BigData::receiveCommand);
    emit sendCommand(command, data1, data2, data3, data4, data5, data6);
    disconnect(link);
}

void CameraSettingDialog::pressBtnBack()
{
    ensureForm();
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
    ensureForm();
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
    ensureForm();
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
