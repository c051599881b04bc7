#include "cameramainwidget.h"

#include "keystonewidget.h"

#include "analytics/bigdata.h"
#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "capture/qorvframesource.h"
#include "core/abstractcapturescreenaction.h"
#include "core/lumidesklog.h"
#include "core/nativewindowhelpers.h"
#include "core/supportedcamera.h"
#include "core/widgets/livewarningdialog.h"
#include "core/widgets/notificationdialog.h"
#include "core/widgets/popupbutton.h"
#include "core/widgets/progressdialog.h"
#include "core/widgets/warningdialog.h"
#include "dialogs/livestreamsettingdialog.h"
#include "manager/doccammanager.h"
#include "qorvrtmpintf.h"
#include "vantohqcapture.h"
#include "vantoupdater.h"

#include <QAbstractItemView>
#include <QBuffer>
#include <QCloseEvent>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QMouseEvent>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyledItemDelegate>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace {

const char InUseMessage[] = QT_TRANSLATE_NOOP(
    "CameraMainWidget",
    "The camera is in use by another program.Close any other program that may be using your camera.");
const char BandwidthMessage[] = QT_TRANSLATE_NOOP("CameraMainWidget",
                                                  "Usb bandwidth is not sufficient at the moment.");
const char NoticeTitle[] = QT_TRANSLATE_NOOP("CameraMainWidget", "Tivlo");

constexpr int ZoomLockWidth = 3001;
constexpr int PictureMaxExtent = 800;

const QString ComboStyle = QStringLiteral(
    "QComboBox{border:none;color:#ffffff;font: 12px \"Arial\";border-radius:0px;background:#333333;"
    "selection-background-color:transparent;background:transparent;padding-left:5px;}\n"
    "QComboBox::drop-down{border-width:0px;}\n"
    "QComboBox::down-arrow{image:url(%1);}\n"
    "QComboBox QAbstractItemView{outline:0px;color:#000000;background:#ffffff;}\n"
    "QComboBox QAbstractItemView::item{min-height:30px;color:#000000;background:#ffffff;padding-left:5px;}\n"
    "QComboBox QAbstractItemView::item:selected{color:#ffffff;background:#009bef;}\n"
    "QComboBox QAbstractItemView::item:hover{color:#ffffff;background:#009bef;}\n");
const QString ArrowNormal = QStringLiteral(":/cameraSetting/resources/cameraSetting/icon_p_w_war.png");
const QString ArrowDisabled = QStringLiteral(":/pip/resources/pip/btn_icon_p_w_war_disabled.png");
const QString SliderEnabled = QStringLiteral(
    "QSlider::groove:vertical{background:transparent;width:30px;}\n"
    "QSlider::handle:vertical{height:30px;image:url(:/cameraSetting/resources/cameraSetting/icon_p_blue.png);}");
const QString SliderDisabled = QStringLiteral(
    "QSlider::groove:vertical{background:transparent;width:30px;}\n"
    "QSlider::handle:vertical{height:30px;image:url(:/cameraSetting/resources/cameraSetting/icon_p_gray.png);}");

void centreOnPrimaryScreen(QWidget *widget)
{
    if (QScreen *screen = QGuiApplication::primaryScreen())
        widget->move(screen->geometry().center() - QPoint(widget->width() / 2, widget->height() / 2));
}

} // namespace

CameraMainWidget::CameraMainWidget(QWidget *parent)
    : QWidget(parent)
{
    setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    comboBoxSource->setItemDelegate(new QStyledItemDelegate(comboBoxSource));
    connect(comboBoxSource, &CustComboBox::isShowPopup, this, &CameraMainWidget::resetAutoDetectValue);
    centreOnPrimaryScreen(this);

    rtmp = acquireQorvRtmpImpl();
    connectPublisher();
    makeDialogs();
    connectControls();
    btnStopLive->hide();
    connectResizers();
    btnContinue->hide();
    btnPause->hide();
    btnStop->hide();
    btnKeyStone->hide();
    btnHQCapture->hide();
    lbTiptx->setText(tr("<span style='font-size:14px;'>Please connect Qorv camera to pc.</span>"));

    recordTimer = new QTimer;
    recordTimer->setInterval(500);
    liveTimer = new QTimer;
    liveTimer->setInterval(500);
    connect(recordTimer, &QTimer::timeout, this, &CameraMainWidget::countRecordTime);
    connect(liveTimer, &QTimer::timeout, this, &CameraMainWidget::countLiveTime);
    recordElapsedMs = 0;
    liveElapsedMs = 0;

    makePreviewWindow();

    cameraManager = DocCamManager::getDocCamManager(QMap<QString, QString>());
    connect(cameraManager, &DocCamManager::nonQorvCameraRemoved, this, &CameraMainWidget::cameraRemoved);
    connect(cameraManager, &DocCamManager::powerStateChanged, this, &CameraMainWidget::handlePowerChange);
    fillCameraList();

    makeSession();

    hqCapture = new VantoHQCapture;
    hqCapture->setParent(this);
    connect(hqCapture, &VantoHQCapture::finishedCapture, this, &CameraMainWidget::closeProgressDialog);

    frameLiveTime->hide();
    frameRecordTime->hide();
    btnWarring->hide();
    btnLiveWarring->hide();
    btnLiveMsg->hide();
    btnRecordMsg->hide();

    makeTimers();
    makeAudioList();

    flash = new AbstractCaptureScreenAction(this);
    connect(session, &QorvCaptureSession::JPGFrameReceived, this, &CameraMainWidget::SendPictureToClient,
            Qt::DirectConnection);
    connect(session, &QorvCaptureSession::JPGFileReceived, this, &CameraMainWidget::JPGFileReceived,
            Qt::DirectConnection);
    connect(session, &QorvCaptureSession::BGRFrameReceived, this, &CameraMainWidget::BGRFrameReceived,
            Qt::DirectConnection);
    recordState = 0;
    remoteCommandActive = false;
    audioPollTimer = new QTimer(this);
    audioPollTimer->setInterval(1000);
    connect(audioPollTimer, &QTimer::timeout, this, &CameraMainWidget::syncAudioList);

    notificationDialog = new NotificationDialog(this);
    centreOnPrimaryScreen(notificationDialog);
    warningDialog = new WarningDialog(this);
    centreOnPrimaryScreen(warningDialog);
    liveWarningDialog = new LiveWarningDialog(this);
    centreOnPrimaryScreen(liveWarningDialog);
    connect(notificationDialog, &NotificationDialog::closeNotificationDialog, this,
            &CameraMainWidget::receiveCloseDialog);
    connect(btnWarring, &QToolButton::clicked, this, &CameraMainWidget::showWarningDialog);
    connect(btnLiveWarring, &QToolButton::clicked, this, &CameraMainWidget::showLiveWarningDialog);
    popupButton = new PopupButton(bottomBar);
    popupButton->hide();
    connect(popupButton, &PopupButton::switchBtnMode, this, &CameraMainWidget::switchCaptureMode);
    connect(btnSwitch, &QToolButton::clicked, this, &CameraMainWidget::showPopBtn);
    connect(btnKeyStone, &QToolButton::clicked, this, &CameraMainWidget::doKeystoneCapture);
    connect(btnHQCapture, &QToolButton::clicked, this, &CameraMainWidget::doHQCapture);

    keyStoneWidget = new KeyStoneWidget(previewParent);
    keyStoneWidget->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    keyStoneWidget->setAttribute(Qt::WA_TranslucentBackground);
    connect(keyStoneWidget, &KeyStoneWidget::updateFps, this, &CameraMainWidget::updateKeyStoneFps);
    maskWidget->setAttribute(Qt::WA_TranslucentBackground);
    // The mask only has to take the mouse while an edge is dragged; drawn all but clear, so that the
    // enlarged window does not flash green around the camera picture.
    maskWidget->setStyleSheet(QStringLiteral("background-color: rgba(0, 255, 0, 1);"));

    analytics = BigData::RequireBigData();
    progressDialog = new ProgressDialog(this);
    keepCurrentDesktop(this);
    keepCurrentDesktop(visionWidget);
    keepCurrentDesktop(keyStoneWidget);
}

CameraMainWidget::~CameraMainWidget()
{
    if (ptzTimer) {
        if (ptzTimer->isActive())
            ptzTimer->stop();
        delete ptzTimer;
        ptzTimer = nullptr;
    }
    session->stopRunning();
    if (videoSource) {
        session->removeSource(videoSource);
        delete videoSource;
        videoSource = nullptr;
    }
    if (audioSource) {
        session->removeSource(audioSource);
        delete audioSource;
        audioSource = nullptr;
    }
    delete session;
    session = nullptr;
    camera = nullptr;
    hqCapture->setControlCamera(nullptr);
    disconnect(this, nullptr, this, nullptr);
    delete recordTimer;
    delete liveTimer;
    // The flash is a top-level window of its own, whatever parent it is given.
    delete flash;
    // The preview and keystone windows hang off a parentless holder of ours.
    delete previewParent;
}

void CameraMainWidget::connectPublisher()
{
    connect(rtmp, &QorvRtmpIntf::rtmpNotification, this, &CameraMainWidget::showRtmpNotification,
            Qt::QueuedConnection);
    connect(rtmp, &QorvRtmpIntf::showUploadWarning, this, &CameraMainWidget::showUploadWarning,
            Qt::QueuedConnection);
    connect(rtmp, &QorvRtmpIntf::liveStatus, this, &CameraMainWidget::liveStatus, Qt::QueuedConnection);
    connect(rtmp, &QorvRtmpIntf::reconnectServer, this, &CameraMainWidget::handleReconnectServer,
            Qt::QueuedConnection);
}

void CameraMainWidget::makeDialogs()
{
    liveSettingDialog = new LiveStreamSettingDialog(LiveStreamSettingDialog::Camera, this);
    settingDialog = new CameraSettingDialog(this);
    connect(liveSettingDialog, &LiveStreamSettingDialog::settingSuccess, this,
            &CameraMainWidget::startLiveCountdown);
    connect(settingDialog, &CameraSettingDialog::closeSetting, this, &CameraMainWidget::closeCametaSetting);
    connect(settingDialog, &CameraSettingDialog::restartCamera, this, &CameraMainWidget::handleRestartCamera);
    connect(settingDialog, &CameraSettingDialog::changeSensorMode, this,
            &CameraMainWidget::handleChangeSensorMode);
    connect(settingDialog, &CameraSettingDialog::cameraRestartFinished, this,
            &CameraMainWidget::handleRestartFinished);
    connect(settingDialog, &CameraSettingDialog::setActiveFormatError, this,
            &CameraMainWidget::handlesetActiveFormatError);
    connect(settingDialog, &CameraSettingDialog::settingApplied, this, &CameraMainWidget::updateStreamFrameSize);
    connect(settingDialog, &CameraSettingDialog::settingApplied, this, &CameraMainWidget::updatePreferFormat);
    connect(settingDialog, &CameraSettingDialog::updateSetting, this, &CameraMainWidget::updateSaveValue);
    connect(settingDialog, &CameraSettingDialog::doRotation, this, &CameraMainWidget::doRotation);
}

void CameraMainWidget::connectControls()
{
    connect(btnMainClose, &QToolButton::clicked, this, &CameraMainWidget::setBtnCloseClicked);
    connect(btnMainClose, &QToolButton::clicked, this, &CameraMainWidget::closeCameraWidget);
    connect(btnRecord, &QToolButton::clicked, this, &CameraMainWidget::startRecordCountdown);
    connect(btnStop, &QToolButton::clicked, this, &CameraMainWidget::recordStop);
    connect(btnPause, &QToolButton::clicked, this, &CameraMainWidget::recordPause);
    connect(btnContinue, &QToolButton::clicked, this, &CameraMainWidget::recordContinue);
    connect(btnCapture, &QToolButton::clicked, this, &CameraMainWidget::doCapture);
    connect(btnStartLive, &QToolButton::clicked, this, &CameraMainWidget::showLiveStreamSetting);
    connect(btnStopLive, &QToolButton::clicked, this, &CameraMainWidget::stopLiveStream);
    connect(topBar, &CustomMoveFrame::framePress, this, &CameraMainWidget::doMousePress);
    connect(topBar, &CustomMoveFrame::frameRelease, this, &CameraMainWidget::doMouseRelease);
    connect(topBar, &CustomMoveFrame::frameMove, this, &CameraMainWidget::doMouseMove);
    connect(btnMainMin, &QToolButton::clicked, this, &CameraMainWidget::minimized);
    connect(btnMainMax, &QToolButton::clicked, this, &CameraMainWidget::maximized);
    connect(btnCameraSettting, &QToolButton::clicked, this, &CameraMainWidget::showSetting);
    connect(btnChange, &QToolButton::clicked, this, &CameraMainWidget::switchScreen);
    connect(btnAudio, &QToolButton::clicked, this, &CameraMainWidget::showVoiceList);
    connect(btnVoiceAdd, &QToolButton::clicked, this, &CameraMainWidget::voiceAdd);
    connect(btnVoiceDecress, &QToolButton::clicked, this, &CameraMainWidget::voiceDecress);
    connect(voiceSlider, &QSlider::sliderReleased, this, &CameraMainWidget::setVoice);
    connect(btnZoomIn, &QToolButton::clicked, this, &CameraMainWidget::zoomIn);
    connect(btnZoomOut, &QToolButton::clicked, this, &CameraMainWidget::zoomOut);
    connect(zoomSlider, &QSlider::valueChanged, this, &CameraMainWidget::setZoomRatio);
    connect(comboBoxSource, QOverload<int>::of(&QComboBox::currentIndexChanged), this,
            &CameraMainWidget::checkSelect);
    connect(zoomSlider, &QSlider::sliderReleased, this, &CameraMainWidget::zoomSliderRelease);
    for (QToolButton *button : {btnPtzUp, btnPtzDown, btnPtzLeft, btnPtzRight})
        connect(button, &QToolButton::released, this, &CameraMainWidget::ptzReleasedd);
    connect(btnPtzUp, &QToolButton::pressed, this, &CameraMainWidget::ptzUpPressed);
    connect(btnPtzDown, &QToolButton::pressed, this, &CameraMainWidget::ptzDownPressed);
    connect(btnPtzLeft, &QToolButton::pressed, this, &CameraMainWidget::ptzLeftPressed);
    connect(btnPtzRight, &QToolButton::pressed, this, &CameraMainWidget::ptzRightPressed);
    ptzTimer = new QTimer;
    ptzTimer->setInterval(200);
    connect(ptzTimer, &QTimer::timeout, this, &CameraMainWidget::btnPressTimeout);
}

void CameraMainWidget::connectResizers()
{
    const QList<DetectionWidget *> edges = {topResizer,      leftResizer,     rightResizer,   bottomResizer,
                                            leftUpResizer,   leftDownResizer, rightUpResizer, rightDownResizer};
    for (DetectionWidget *edge : edges) {
        connect(edge, &DetectionWidget::mouseLeftClicked, this, &CameraMainWidget::startResizer);
        connect(edge, &DetectionWidget::mouseDragWidget, this, &CameraMainWidget::resizeWindow);
        connect(edge, &DetectionWidget::mouseLeftRelease, this, &CameraMainWidget::endResizer);
    }
    for (DetectionWidget *edge : edges) {
        connect(edge, &DetectionWidget::mouseEnterWidget, this, &CameraMainWidget::changeCursor);
        connect(edge, &DetectionWidget::mouseLeaveWidget, this, &CameraMainWidget::changeCursor);
    }
    connect(verticalWidgetLeft, &CustDetectionWidget::mouseLeaveWidget, this, &CameraMainWidget::changeCursor);
    connect(verticalWidgetLeft, &CustDetectionWidget::mouseEnterWidget, this, &CameraMainWidget::changeCursor);
    connect(verticalWidgetRight, &CustDetectionWidget::mouseLeaveWidget, this, &CameraMainWidget::changeCursor);
    connect(verticalWidgetRight, &CustDetectionWidget::mouseEnterWidget, this, &CameraMainWidget::changeCursor);
    connect(bottomBar, &CustDetectionFrame::mouseLeaveWidget, this, &CameraMainWidget::changeCursor);
    connect(bottomBar, &CustDetectionFrame::mouseEnterWidget, this, &CameraMainWidget::changeCursor);
    connect(widgetDown, &CustDetectionLabel::mouseLeaveWidget, this, &CameraMainWidget::changeCursor);
    connect(widgetDown, &CustDetectionLabel::mouseEnterWidget, this, &CameraMainWidget::changeCursor);
    connect(btnRecordMsg, &CustomMoveButton::buttonLeave, this, &CameraMainWidget::hideRecordTime);
    connect(btnRecordMsg, &CustomMoveButton::buttonEnter, this, &CameraMainWidget::showRecordTime);
    connect(btnLiveMsg, &CustomMoveButton::buttonLeave, this, &CameraMainWidget::hideLiveTime);
    connect(btnLiveMsg, &CustomMoveButton::buttonEnter, this, &CameraMainWidget::showLiveTime);
}

void CameraMainWidget::makePreviewWindow()
{
    // The preview is a window of its own, so that the session can draw into it while this window
    // stays translucent around it.
    previewParent = new QWidget;
    visionWidget->setParent(previewParent);
    visionWidget->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
}

void CameraMainWidget::fillCameraList()
{
    const QList<GeneralCamera *> cameras = cameraManager->queryCameras(false);
    bool anyMakerCamera = false;
    for (GeneralCamera *each : cameras) {
        if (IsSupportVPID(each->getVID(), each->getPID())) {
            anyMakerCamera = true;
            break;
        }
    }
    if (anyMakerCamera) {
        for (GeneralCamera *each : cameras) {
            if (IsSupportVID(each->getVID()))
                comboBoxSource->addItem(QIcon(), mapDoccamName(each), int(each->getLocationID()));
        }
    }
    changeSameName();
}

void CameraMainWidget::makeSession()
{
    session = new QorvCaptureSession;
    connect(session, &QorvCaptureSession::receiveError, this, &CameraMainWidget::handleError);
    connect(session, &QorvCaptureSession::recordingDidEnd, this, &CameraMainWidget::recordFinish);
    connect(session, &QorvCaptureSession::displayedFPSReceived, this, &CameraMainWidget::handleFpsStatus,
            Qt::QueuedConnection);
    session->addRTMPObj(rtmp);
    // The session draws the preview with a child widget of its own inside visionWidget, so the
    // preview window keeps its updates on (switching them off would freeze that child too).
    bottomBar->setParent(widgetDown);
}

void CameraMainWidget::makeTimers()
{
    timeStampTimer = new QTimer(this);
    timeStampTimer->setInterval(300);
    lebalCountdown->hide();
    recordCountdownTimer = new QTimer(this);
    recordCountdownTimer->setSingleShot(true);
    liveCountdownTimer = new QTimer(this);
    liveCountdownTimer->setSingleShot(true);
    connect(timeStampTimer, &QTimer::timeout, this, &CameraMainWidget::timeStamp);
    connect(recordCountdownTimer, &QTimer::timeout, this, &CameraMainWidget::recordCountdown);
    connect(liveCountdownTimer, &QTimer::timeout, this, &CameraMainWidget::liveCountdown);
    connect(session, &QorvCaptureSession::audioLevelReport, this, &CameraMainWidget::adjustVolum);
}

void CameraMainWidget::makeAudioList()
{
    cbAudio->setPopDirection(CustComboBox::PopAbove);
    cbAudio->setItemDelegate(new QStyledItemDelegate(cbAudio));
    cbAudio->hide();
    connect(cbAudio, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CameraMainWidget::setAudioDevice);
    connect(cbAudio, &CustComboBox::isShowPopup, this, &CameraMainWidget::setPopupShow);
    connect(cbAudio, &CustComboBox::isHidePopup, this, &CameraMainWidget::setPopupHide);
    connect(cbAudio->view(), &QAbstractItemView::pressed, this, &CameraMainWidget::doSaveAudioSetting);
}

// ---- camera list ----

QString CameraMainWidget::mapDoccamName(GeneralCamera *camera)
{
    if (!camera)
        return QString();
    switch (camera->getPID()) {
    case 0x0701:
        return QStringLiteral("ZQ40");
    case 0x0810:
        return QStringLiteral("ZR90");
    default:
        return camera->getName();
    }
}

void CameraMainWidget::changeSameName()
{
    QStringList seen;
    for (int i = 1; i < comboBoxSource->count(); ++i) {
        const QString text = comboBoxSource->itemText(i);
        if (seen.contains(text))
            continue;
        seen.append(text);
        int counter = 1;
        for (int j = i + 1; j < comboBoxSource->count(); ++j) {
            if (comboBoxSource->itemText(j) == text) {
                ++counter;
                comboBoxSource->setItemText(j, QStringLiteral("%1 (%2)").arg(text).arg(counter));
            }
        }
    }
}

void CameraMainWidget::setCameraOrder(int order)
{
    cameraOrder = order;
    settingDialog->setCameraOrder(order);
}

void CameraMainWidget::setWidgetCamera(GeneralCamera *wanted)
{
    if (!wanted)
        return;
    const int index = comboBoxSource->findData(int(wanted->getLocationID()), Qt::UserRole, Qt::MatchExactly);
    if (index < 0)
        return;
    autoSelecting = true;
    comboBoxSource->setCurrentIndex(index);
}

// ---- selection ----

QString CameraMainWidget::cameraName() const
{
    return camera ? camera->getName() : QString();
}

void CameraMainWidget::sendAnalytics(int command, QVariant data1, QVariant data2, QVariant data3,
                                     QVariant data4, QVariant data5, QVariant data6)
{
    connect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
    emit sendCommand(command, data1, data2, data3, data4, data5, data6);
    disconnect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
}

bool CameraMainWidget::isMakerCamera() const
{
    return camera && IsSupportVPID(camera->getVID(), camera->getPID());
}

float CameraMainWidget::sensorMode() const
{
    float mode = 0.0f;
    if (!camera || camera->getSensorMode(&mode) != GeneralCamera::Success)
        return 0.0f;
    return mode;
}

void CameraMainWidget::checkSelect(int index)
{
    if (retranslating || !isVisible() || closing)
        return;
    if (isMinimized())
        showNormal();
    if (comboBoxSource->count() == 0)
        return;
    disconnect(zoomSlider, &QSlider::valueChanged, this, &CameraMainWidget::setZoomRatio);
    lastErrorCode = 0;
    emit SendToClient(CameraStateChangedId, QByteArray());

    if (comboBoxSource->currentIndex() == 0) {
        if (camera)
            sendAnalytics(CameraClosedEvent, cameraOrder, cameraName());
        setToCameraSource();
        emit cameraSelected(nullptr);
        selectTail();
        return;
    }

    releaseOldCamera();
    camera = findSelectedCamera();
    switchCaptureMode(0);
    if (!camera)
        return;
    if (startSelectedCamera(index))
        selectTail();
}

void CameraMainWidget::releaseOldCamera()
{
    session->stopRunning();
    if (!videoSource)
        return;
    sendAnalytics(CameraClosedEvent, cameraOrder, cameraName());
    session->removeSource(videoSource);
    delete videoSource;
    videoSource = nullptr;
}

GeneralCamera *CameraMainWidget::findSelectedCamera() const
{
    const int location = comboBoxSource->currentData(Qt::UserRole).toInt();
    GeneralCamera *candidate = nullptr;
    for (GeneralCamera *each : cameraManager->queryCameras(false)) {
        if (!IsSupportVPID(each->getVID(), each->getPID()))
            continue;
        if (int(each->getLocationID()) == location)
            candidate = each;
    }
    return candidate;
}

bool CameraMainWidget::startSelectedCamera(int index)
{
    hqCapture->setControlCamera(nullptr);
    switchCaptureBtnStyle(true);
    hqAvailable = false;

    digitalZoomLevel = 1;
    cropOriginX = 0.0;
    cropOriginY = 0.0;
    session->setDigitalPTZ(QPointF(0, 0), 1.0f, false);
    loadLastResolution();
    btnCameraSettting->setEnabled(true);

    videoSource = new QorvFrameSource(camera, QorvCaptureSource::Camera);
    const int added = session->addSource(videoSource);
    session->setPreviewWidget(visionWidget);
    if (added >= 0)
        checkResolution();
    settingDialog->setCamera(camera);
    setUpZoomRange();

    VantoUpdater updater;
    updater.SetControlCamera(camera);
    QString firmwareVersion = updater.getCurrentFWVersion();
    if (firmwareVersion.isEmpty())
        firmwareVersion = QStringLiteral("unknown");

    if (index != 0) {
        if (IsSupportPID(camera->getPID())) {
            uvcx_roi_control_t roi;
            if (camera->getROI(&roi) == GeneralCamera::Success) {
                lastPanPosition[0] = roi.wROI_Bottom;
                lastPanPosition[1] = roi.wROI_Right;
            }
        } else {
            const VideoFormat active = camera->getActiveFormat();
            const float fraction = qMax(0.0625f, 1.0f - (digitalZoomLevel - 1) * 0.0625f);
            lastPanPosition[0] = uint16_t(active.height * fraction + int(active.height * cropOriginY));
            lastPanPosition[1] = uint16_t(active.width * fraction + int(active.width * cropOriginX));
        }
    }

    lbTip->hide();
    visionWidget->show();
    keyStoneWidget->show();
    moveCompanions();

    const qint32 result = session->startRunning();
    if (result < 0)
        startCameraErrorHandle(result);
    else
        emit cameraSelected(camera);
    autoSelecting = false;

    if (!camera || closing) {
        // Released meanwhile: by the failed start, by the main window (the other window took the
        // camera) or by a close from one of the signals above.
        if (!closing && comboBoxSource->currentIndex() != 0)
            comboBoxSource->setCurrentIndex(0);
        if (result >= 0 && !restartSelecting && !closing)
            showNotificationDialog(tr(NoticeTitle), tr(InUseMessage), 0);
        restartSelecting = false;
        return false;
    }

    checkResolution();
    settingDialog->setCamera(camera);
    reportCameraOpened(firmwareVersion, updater.getCurrentSWVersion());

    if (!IsSupportVID(camera->getVID())) {
        btnCameraSettting->setEnabled(false);
        setZoomDisable(true);
    } else {
        btnCameraSettting->setEnabled(true);
        setZoomDisable(false);
        if (IsSupportPID(camera->getPID()) && zoomLocked)
            setZoomDisable(true);
    }
    raise();
    return true;
}

void CameraMainWidget::setUpZoomRange()
{
    if (!isMakerCamera()) {
        zoomLocked = false;
        zoomMax = 15;
        zoomMin = 0;
        zoomSlider->setRange(zoomMin, zoomMax);
        zoomSlider->setValue(0);
        return;
    }
    uvc_control_range range;
    if (camera->getZoomRatioRange(&range) == GeneralCamera::Success) {
        zoomMax = int(range.max);
        zoomMin = int(range.min);
    }
    if (camera->getActiveFormat().width >= ZoomLockWidth) {
        switchCaptureBtnStyle(true);
        setZoomDisable(true);
        zoomLocked = true;
        camera->setZoomRatio(0.0);
    } else {
        setZoomDisable(false);
        zoomLocked = false;
    }
    zoomSlider->setRange(zoomMin, zoomMax);
    double ratio = 0.0;
    camera->getZoomRatio(&ratio);
    zoomSlider->setValue(int(ratio));
}

void CameraMainWidget::reportCameraOpened(const QString &firmwareVersion, const QString &softwareVersion)
{
    const VideoFormat active = camera->getActiveFormat();
    const QString formatSize = QStringLiteral("%1X%2").arg(active.width).arg(active.height);
    connect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
    emit sendCommand(CameraOpenedEvent, cameraOrder, cameraName(), formatSize,
                     QStringLiteral("%1X%2").arg(width()).arg(height()), firmwareVersion, softwareVersion);
    if (settingDialog->getIsSensorModeReboot()) {
        QString text = settingDialog->getSensorModeValue() + QStringLiteral("&Resolution=") + formatSize;
        if (text.contains(QLatin1String("H264Output=Off")))
            text.replace(QLatin1String("H264Output=Off"), QLatin1String("H264Output=MAC"));
        else if (text.contains(QLatin1String("H264Output=On")))
            text.replace(QLatin1String("H264Output=On"), QLatin1String("H264Output=MAC"));
        emit sendCommand(SensorModeEvent, cameraOrder, cameraName(), text, -1, -1, -1);
        settingDialog->setIsSensorModeReboot(false);
    }
    disconnect(this, &CameraMainWidget::sendCommand, analytics, &BigData::receiveCommand);
}

void CameraMainWidget::selectTail()
{
    updateStreamFrameSize();
    settingDialog->setDefaultCurrentAngle();
    session->setFlip(0, false, false);
    connect(zoomSlider, &QSlider::valueChanged, this, &CameraMainWidget::setZoomRatio, Qt::UniqueConnection);
}

void CameraMainWidget::setToCameraSource()
{
    if (session)
        session->stopRunning();
    autoSelecting = false;
    if (videoSource) {
        session->removeSource(videoSource);
        delete videoSource;
        videoSource = nullptr;
    }
    camera = nullptr;
    hqCapture->setControlCamera(nullptr);
    hqCapture->stopCapture();
    progressDialog->hide();
    visionWidget->hide();
    keyStoneWidget->hide();
    bottomBar->hide();
    lbTip->show();
    btnWarring->hide();
    btnCameraSettting->setEnabled(false);
}

void CameraMainWidget::startCameraErrorHandle(qint32 startResult)
{
    if (autoSelecting) {
        autoSelecting = false;
        comboBoxSource->setCurrentIndex(0);
        return;
    }
    // The session reports a busy camera only by the start result, a missing input and short bandwidth
    // also through receiveError: whichever came, the user learns why the camera did not open.
    const qint32 code = lastErrorCode != 0 ? lastErrorCode : startResult;
    if (code == InputNotCreated || code == CameraInUse) {
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr(InUseMessage), 0);
        restartSelecting = false;
    } else if (code == NoBandwidth) {
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr(BandwidthMessage), 0);
    }
}

void CameraMainWidget::handleRestartCamera(GeneralCamera *restarting)
{
    comboBoxSource->setCurrentIndex(0);
    restartCamera = restarting;
}

void CameraMainWidget::handleRestartFinished()
{
    if (comboBoxSource->currentIndex() != 0)
        return;
    restartSelecting = true;
    comboBoxSource->setCurrentIndex(comboBoxSource->count() - 1);
    autoSelecting = false;
    restartSelecting = false;
}

void CameraMainWidget::handlesetActiveFormatError()
{
}

void CameraMainWidget::handlesetFpsZeroError()
{
}

void CameraMainWidget::handleError(qint32 code)
{
    lastErrorCode = code;
    switch (quint32(code)) {
    case 0xE0050002:
        recordStop();
        showNotificationDialog(tr(NoticeTitle), tr("There is not enough memory to run record or live stream."), 0);
        break;
    case 0xE0050003:
        stopLiveStream();
        showNotificationDialog(tr(NoticeTitle), tr("There is not enough memory to run record or live stream."), 0);
        break;
    case 0xE0100004:
    case 0xE0100005:
    case 0xE0200006:
    case 0xE0200007:
        if (recordState != 0)
            recordStop();
        if (liveTimer->isActive())
            stopLiveStream();
        comboBoxSource->setCurrentIndex(0);
        showNotificationDialog(tr(NoticeTitle), tr("There is not enough memory to run record or live stream."), 0);
        break;
    case 0xE0200003:
        settingDialog->removeMostHighResolution();
        break;
    default:
        break;
    }
}

// ---- resolution memory ----

ResolutionMemory::Mode CameraMainWidget::lastMode() const
{
    ResolutionMemory::Mode mode;
    mode.width = lastWidth;
    mode.height = lastHeight;
    mode.fps = lastFps;
    mode.format = lastFormat;
    return mode;
}

void CameraMainWidget::loadLastResolution()
{
    const ResolutionMemory::Mode mode = ResolutionMemory::load(isMakerCamera(), cameraOrder, sensorMode());
    lastWidth = mode.width;
    lastHeight = mode.height;
    lastFps = mode.fps;
    lastFormat = mode.format;
}

void CameraMainWidget::checkResolution()
{
    if (!camera)
        return;
    const ResolutionMemory::Choice choice =
        ResolutionMemory::choose(camera->getVideFormats(), lastMode(), isMakerCamera(), sensorMode());
    if (!choice.isValid())
        return;
    if (qint32(camera->setActiveFormat(choice.formatIndex, choice.fps)) >= 0)
        updateStreamFrameSize();
}

void CameraMainWidget::saveLastSetting(int width, int height, QString format, int fps)
{
    ResolutionMemory::Mode mode;
    mode.width = width;
    mode.height = height;
    mode.format = format;
    mode.fps = fps;
    ResolutionMemory::save(true, cameraOrder, mode);
}

void CameraMainWidget::saveLastSettingQorvCam(int width, int height, QString format, int)
{
    ResolutionMemory::Mode mode;
    mode.width = width;
    mode.height = height;
    mode.format = format;
    ResolutionMemory::save(false, cameraOrder, mode);
}

void CameraMainWidget::updateStreamFrameSize()
{
    if (!camera)
        return;
    const VideoFormat active = camera->getActiveFormat();
    liveSettingDialog->setFrameSize(active.width, active.height);
    if (isMakerCamera()) {
        if (active.width >= ZoomLockWidth) {
            setZoomDisable(true);
            switchCaptureMode(0);
            zoomLocked = true;
            camera->setZoomRatio(0.0);
        } else {
            setZoomDisable(false);
            zoomLocked = false;
        }
    }
    double ratio = 0.0;
    camera->getZoomRatio(&ratio);
    zoomSlider->setValue(int(ratio));
    const qint32 available = zoomLocked ? 0 : 1;
    emit SendToClient(ZoomAvailableId, QByteArray(reinterpret_cast<const char *>(&available), sizeof(available)));
}

void CameraMainWidget::updatePreferFormat()
{
    if (!camera)
        return;
    const VideoFormat active = camera->getActiveFormat();
    const QString name = ResolutionMemory::videoFormateToString(active.codecType);
    if (isMakerCamera()) {
        switchCaptureBtnStyle(active.width > 3000);
        saveLastSetting(active.width, active.height, name, active.frameRate);
    } else {
        saveLastSettingQorvCam(active.width, active.height, name, active.frameRate);
    }
}

void CameraMainWidget::updateSaveValue(QString format, QString fps, QString resolution)
{
    if (!camera)
        return;
    const ResolutionMemory::Mode mode = ResolutionMemory::parseShownValues(format, fps, resolution);
    if (isMakerCamera())
        saveLastSetting(mode.width, mode.height, mode.format, mode.fps);
    else
        saveLastSettingQorvCam(mode.width, mode.height, mode.format, mode.fps);
}

void CameraMainWidget::setZoomDisable(bool disabled)
{
    for (QWidget *control : {static_cast<QWidget *>(btnZoomIn), static_cast<QWidget *>(btnZoomOut),
                             static_cast<QWidget *>(zoomSlider), static_cast<QWidget *>(btnZoom)})
        control->setEnabled(!disabled);
}

void CameraMainWidget::switchCaptureBtnStyle(bool hqHidden)
{
    // Only the high-quality mode needs the camera's own capture; the other modes stay offered.
    if (hqHidden && captureMode == 2)
        switchCaptureMode(0);
}

// ---- notices ----

void CameraMainWidget::showNotificationDialog(QString title, QString message, int sizeMode)
{
    if (dialogShown)
        return;
    notificationDialog->setTitle(title);
    notificationDialog->setMessage(message);
    notificationDialog->show();
    dialogShown = true;
    emit dialogIsShow(true);
    notificationDialog->autoAdjustSize(sizeMode);
}

void CameraMainWidget::receiveCloseDialog()
{
    dialogShown = false;
    emit dialogIsShow(false);
}

void CameraMainWidget::setDialogShowValue(bool shown)
{
    dialogShown = shown;
}

void CameraMainWidget::showWarningDialog()
{
    warningDialog->show();
}

void CameraMainWidget::showLiveWarningDialog()
{
    liveWarningDialog->show();
    liveWarningDialog->autoAdjustSize();
}

// ---- small slots ----

void CameraMainWidget::show()
{
    closing = false;
    closeDone = false;
    QWidget::show();
}

void CameraMainWidget::retranslateUi(QWidget *window)
{
    // The generated form only renames the entries it made; the list must not keep stale cameras.
    const QSignalBlocker blocker(comboBoxSource);
    comboBoxSource->clear();
    comboBoxSource->addItem(QString());
    Ui::CameraMainWidget::retranslateUi(window);
}

void CameraMainWidget::showSwitchBtn()
{
    btnChange->show();
}

void CameraMainWidget::hideSwitchBtn()
{
    btnChange->hide();
}

void CameraMainWidget::showSetting()
{
    settingDialog->showCameraSetting();
    centreOnPrimaryScreen(settingDialog);
    settingDialog->show();
}

void CameraMainWidget::closeCametaSetting()
{
    settingDialog->close();
    autoDetectValue = false;
}

void CameraMainWidget::switchScreen()
{
    emit switchScreens();
}

void CameraMainWidget::showVoiceList()
{
    cbAudio->showPopup();
}

void CameraMainWidget::hideVoiceList()
{
    cbAudio->hidePopup();
}

void CameraMainWidget::adjustVolum(int8_t level)
{
    voiceCanvas->setLevel(level / 100.0);
}

void CameraMainWidget::setVolumeControlEnable(bool on)
{
    btnVoiceAdd->setEnabled(on);
    btnVoiceDecress->setEnabled(on);
    voiceSlider->setEnabled(on);
    voiceSlider->setStyleSheet(on ? SliderEnabled : SliderDisabled);
    if (!on)
        voiceSlider->setValue(0);
}

void CameraMainWidget::setToDisable(bool busy)
{
    comboBoxSource->setEnabled(!busy);
    btnAudio->setEnabled(!busy);
    comboBoxSource->setStyleSheet(ComboStyle.arg(busy ? ArrowDisabled : ArrowNormal));
    if (busy)
        cbAudio->hidePopup();
    settingDialog->setToRecordModeUi(busy);
}

void CameraMainWidget::voiceAdd()
{
    if (!audioSource)
        return;
    voiceSlider->setValue(voiceSlider->value() > 90 ? 100 : voiceSlider->value() + 10);
}

void CameraMainWidget::voiceDecress()
{
    if (!audioSource)
        return;
    voiceSlider->setValue(voiceSlider->value() < 10 ? 0 : voiceSlider->value() - 10);
}

void CameraMainWidget::setVoice()
{
}

void CameraMainWidget::setPopupShow()
{
    comboPopupShown = true;
}

void CameraMainWidget::setPopupHide()
{
    comboPopupShown = false;
}

void CameraMainWidget::resetAutoDetectValue()
{
    autoDetectValue = false;
    autoSelecting = false;
}

void CameraMainWidget::setBtnCloseClicked()
{
    closeClicked = !closeClicked;
}

void CameraMainWidget::timeStamp()
{
    roiSendAllowed = true;
}

// ---- frames from the capture queue ----

void CameraMainWidget::BGRFrameReceived(void *frameData, uint32_t length, uint16_t width, uint16_t height)
{
    if (captureMode != 1 || !frameData || length < uint32_t(width) * height * 4)
        return;
    keyStoneWidget->addFrame(static_cast<const uchar *>(frameData), width, height);
}

void CameraMainWidget::SendPictureToClient(void *frameData, uint32_t length, uint16_t width, uint16_t height)
{
    if (!frameData || length == 0)
        return;
    // The bytes belong to the capture queue: the payload owns a copy before anything else happens.
    QByteArray picture(static_cast<const char *>(frameData), int(length));
    if (width > PictureMaxExtent || height > PictureMaxExtent) {
        const float scale = qMax(width, height) / float(PictureMaxExtent);
        const int scaledWidth = int(width / scale + 0.5f);
        const int scaledHeight = int(height / scale + 0.5f);
        _LumideskLog::log(Journix::Warning, "scaleRatio = %f, scaleWidth = %d, scaleHeight = %d", double(scale),
                          scaledWidth, scaledHeight);
        QImage image;
        if (!image.loadFromData(picture, "JPG")) {
            _LumideskLog::log(Journix::Critical, "CameraMainWidget::SendPictureToClient - Load jpg image fail.");
            image = QImage(scaledWidth, scaledHeight, QImage::Format_RGB32);
            image.fill(0);
        } else {
            image = image.scaled(scaledWidth, scaledHeight, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        }
        picture.clear();
        QBuffer buffer(&picture);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPG");
    }
    QMetaObject::invokeMethod(
        this, [this, picture] { emit SendToClient(PictureId, picture); }, Qt::QueuedConnection);
}

void CameraMainWidget::JPGFileReceived(QString fileName)
{
    Q_UNUSED(fileName)
}

// ---- window handling ----

void CameraMainWidget::setAvailableGeometryProvider(std::function<QRect()> provider)
{
    availableGeometryFor = std::move(provider);
}

QRect CameraMainWidget::availableGeometry() const
{
    if (availableGeometryFor)
        return availableGeometryFor();
    QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1920, 1080);
}

void CameraMainWidget::moveCompanions()
{
    const int m = resizing ? ResizeMargin : 0;
    const QPoint corner = pos() + QPoint(3 + m, 30 + m);
    const QSize size(width() - (2 * m + 4), height() - (2 * m + 32));
    visionWidget->setGeometry(QRect(corner, size));
    keyStoneWidget->setGeometry(QRect(corner, size));
}

void CameraMainWidget::raiseTogether()
{
    visionWidget->raise();
    keyStoneWidget->raise();
    raise();
}

void CameraMainWidget::relayout()
{
    const int m = resizing ? ResizeMargin : 0;
    const int frameWidth = width() - 2 * m;
    const int frameHeight = height() - 2 * m;
    frameCamera->setGeometry(m, m, frameWidth, frameHeight);
    moveCompanions();
    keyStoneWidget->relayout();
    if (resizing && y() <= availableGeometry().top())
        move(x(), availableGeometry().top());

    topBar->setGeometry(0, 0, frameWidth, 32);
    widgetDown->setGeometry(0, 32, frameWidth, frameHeight - 32);
    const int downWidth = widgetDown->width();
    const int downHeight = widgetDown->height();
    const int columnTop = qMax(1, (downHeight - 46 - 220) / 2);
    verticalWidgetRight->setGeometry(downWidth - 40 - 4, columnTop, 40, 220);
    verticalWidgetLeft->setGeometry(4, columnTop, 40, 220);
    ptzWidget->setGeometry(widgetDown->x() + verticalWidgetRight->x() - 95 - 4,
                           widgetDown->y() + columnTop, 95, 95);
    cbAudio->setGeometry(widgetDown->x() + 44, widgetDown->y() + columnTop + 198, 16, 22);
    bottomBar->setGeometry((downWidth - 352) / 2, downHeight - 46 - 4, 352, 46);
    lebalCountdown->setGeometry(0, 0, downWidth, downHeight);
    lbTip->setGeometry((downWidth - lbTip->width()) / 2, (downHeight - lbTip->height()) / 2, lbTip->width(),
                       lbTip->height());
    frameRecordTime->move(downWidth - frameRecordTime->width() - 60, 20);
    frameLiveTime->move(downWidth - frameLiveTime->width() - 60, 36);

    topResizer->setGeometry(5, 0, frameWidth - 10, 5);
    bottomResizer->setGeometry(5, frameHeight - 5, frameWidth - 10, 5);
    leftResizer->setGeometry(0, 5, 5, frameHeight - 10);
    rightResizer->setGeometry(frameWidth - 5, 5, 5, frameHeight - 10);
    leftUpResizer->setGeometry(0, 0, 5, 5);
    rightUpResizer->setGeometry(frameWidth - 5, 0, 5, 5);
    leftDownResizer->setGeometry(0, frameHeight - 5, 5, 5);
    rightDownResizer->setGeometry(frameWidth - 5, frameHeight - 5, 5, 5);
    for (QWidget *edge : {static_cast<QWidget *>(topResizer), static_cast<QWidget *>(bottomResizer),
                          static_cast<QWidget *>(leftResizer), static_cast<QWidget *>(rightResizer),
                          static_cast<QWidget *>(leftUpResizer), static_cast<QWidget *>(rightUpResizer),
                          static_cast<QWidget *>(leftDownResizer), static_cast<QWidget *>(rightDownResizer)})
        edge->raise();
}

void CameraMainWidget::resetUi()
{
    btnRecord->show();
    btnContinue->hide();
    btnPause->hide();
    btnStop->hide();
    relayout();
    btnCameraSettting->setEnabled(false);
    maximizedState = false;
}

void CameraMainWidget::showCameraWidgetContent()
{
    if (countdownValue > 0)
        return;
    widgetDown->show();
    if (comboBoxSource->currentIndex() != 0) {
        bottomBar->show();
        verticalWidgetLeft->show();
        verticalWidgetRight->show();
        ptzWidget->show();
        session->enableAudioVolumeLevelExport(true);
    }
    if (!timeStampTimer->isActive())
        timeStampTimer->start();
}

void CameraMainWidget::hideCameraWidgetContent()
{
    if (modePopupShown) {
        modePopupShown = false;
        return;
    }
    if (!comboPopupShown && !comboBoxSource->view()->isVisible()) {
        verticalWidgetLeft->hide();
        verticalWidgetRight->hide();
        ptzWidget->hide();
        bottomBar->hide();
        session->enableAudioVolumeLevelExport(false);
    }
    if (timeStampTimer->isActive())
        timeStampTimer->stop();
}

bool CameraMainWidget::event(QEvent *e)
{
    switch (e->type()) {
    case QEvent::Enter:
        widgetDown->setPixmap(QPixmap(QStringLiteral(":/cameraWidget/resources/cameraWidget/95.png")));
        mouseInside = true;
        showCameraWidgetContent();
        break;
    case QEvent::Leave:
        mouseInside = false;
        hideCameraWidgetContent();
        widgetDown->setPixmap(QPixmap(QStringLiteral(":/cameraWidget/resources/cameraWidget/99.png")));
        break;
    case QEvent::WindowActivate:
        raiseTogether();
        break;
    case QEvent::ZOrderChange:
        emit zorderChange();
        break;
    default:
        break;
    }
    return QWidget::event(e);
}

void CameraMainWidget::doMousePress(QMouseEvent *e)
{
    _mousePressEvent(e);
}

void CameraMainWidget::doMouseMove(QMouseEvent *e)
{
    if (!maximizedState)
        _mouseMoveEvent(e);
}

void CameraMainWidget::doMouseRelease(QMouseEvent *e)
{
    _mouseReleaseEvent(e);
}

void CameraMainWidget::_mousePressEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    dragging = true;
    dragPressPos = e->localPos().toPoint();
    raiseTogether();
    hideCameraWidgetContent();
    windowUpdate(this);
}

void CameraMainWidget::_mouseMoveEvent(QMouseEvent *e)
{
    if (!dragging)
        return;
    const QPoint distance = e->localPos().toPoint() - dragPressPos;
    move(pos() + distance);
    moveCompanions();
}

void CameraMainWidget::_mouseReleaseEvent(QMouseEvent *e)
{
    if (e->button() != Qt::LeftButton)
        return;
    dragging = false;
    dragPressPos = QPoint(0, 0);
    raise();
    setFocus(Qt::OtherFocusReason);
    showCameraWidgetContent();
    windowUpdate(this);
}

void CameraMainWidget::mousePressEvent(QMouseEvent *e)
{
    QWidget::mousePressEvent(e);
}

void CameraMainWidget::mouseReleaseEvent(QMouseEvent *e)
{
    QWidget::mouseReleaseEvent(e);
}

void CameraMainWidget::mouseMoveEvent(QMouseEvent *e)
{
    QWidget::mouseMoveEvent(e);
}

void CameraMainWidget::setMaskGeometry(const QRect &rect)
{
    maskWidget->setGeometry(rect);
}

void CameraMainWidget::startResizer()
{
    if (maximizedState)
        return;
    activeResizer = qobject_cast<QWidget *>(sender());
    resizing = true;
    resizeGeometry = QRect(x() - ResizeMargin, y() - ResizeMargin, width() + 2 * ResizeMargin,
                           height() + 2 * ResizeMargin);
    setMinimumSize(minimumWidth() + 2 * ResizeMargin, minimumHeight() + 2 * ResizeMargin);
    setGeometry(resizeGeometry);
    setMaskGeometry(QRect(QPoint(0, 0), resizeGeometry.size()));
}

QWidget *CameraMainWidget::resizerUnderMouse() const
{
    if (activeResizer)
        return activeResizer;
    for (QWidget *edge : {static_cast<QWidget *>(topResizer), static_cast<QWidget *>(bottomResizer),
                          static_cast<QWidget *>(leftResizer), static_cast<QWidget *>(rightResizer),
                          static_cast<QWidget *>(leftUpResizer), static_cast<QWidget *>(rightUpResizer),
                          static_cast<QWidget *>(leftDownResizer), static_cast<QWidget *>(rightDownResizer)}) {
        if (edge->underMouse())
            return edge;
    }
    return nullptr;
}

void CameraMainWidget::resizeWindow(QPoint distance)
{
    if (maximizedState || !resizing)
        return;
    QWidget *edge = resizerUnderMouse();
    QRect target = resizeGeometry;
    if (edge == leftResizer || edge == leftUpResizer || edge == leftDownResizer) {
        const int newWidth = resizeGeometry.width() - distance.x();
        if (newWidth > minimumWidth()) {
            target.setLeft(resizeGeometry.left() + distance.x());
        }
    } else if (edge == rightResizer || edge == rightUpResizer || edge == rightDownResizer) {
        const int newWidth = resizeGeometry.width() + distance.x();
        if (newWidth > minimumWidth())
            target.setWidth(newWidth);
    }
    if (edge == topResizer || edge == leftUpResizer || edge == rightUpResizer) {
        const int newHeight = resizeGeometry.height() - distance.y();
        if (newHeight > minimumHeight())
            target.setTop(resizeGeometry.top() + distance.y());
    } else if (edge == bottomResizer || edge == leftDownResizer || edge == rightDownResizer) {
        const int newHeight = resizeGeometry.height() + distance.y();
        if (newHeight > minimumHeight())
            target.setHeight(newHeight);
    }
    if (target == geometry())
        return;
    setGeometry(target);
    setMaskGeometry(QRect(QPoint(0, 0), target.size()));
}

void CameraMainWidget::endResizer()
{
    if (!resizing)
        return;
    resizing = false;
    activeResizer = nullptr;
    const int frameTop = frameCamera->y();
    setMinimumSize(minimumWidth() - 2 * ResizeMargin, minimumHeight() - 2 * ResizeMargin);
    setMaskGeometry(QRect());
    setGeometry(x() + ResizeMargin, y() + frameTop, width() - 2 * ResizeMargin, height() - 2 * ResizeMargin);
    resizeGeometry = geometry();
    changeCursor();
}

void CameraMainWidget::changeCursor()
{
    double ratio = 0.0;
    const bool zoomed = camera && ((camera->getZoomRatio(&ratio) == GeneralCamera::Success && ratio > 0.0)
                                   || digitalZoomLevel >= 2);
    if (zoomed && widgetDown->underMouse()) {
        const bool overControls = verticalWidgetLeft->underMouse() || verticalWidgetRight->underMouse()
                                  || bottomBar->underMouse();
        setCursor(overControls ? Qt::ArrowCursor : Qt::OpenHandCursor);
        return;
    }
    if (maximizedState) {
        setCursor(Qt::ArrowCursor);
        return;
    }
    QWidget *edge = resizing ? activeResizer : resizerUnderMouse();
    if (edge == topResizer || edge == bottomResizer)
        setCursor(Qt::SizeVerCursor);
    else if (edge == leftResizer || edge == rightResizer)
        setCursor(Qt::SizeHorCursor);
    else if (edge == leftUpResizer || edge == rightDownResizer)
        setCursor(Qt::SizeFDiagCursor);
    else if (edge == leftDownResizer || edge == rightUpResizer)
        setCursor(Qt::SizeBDiagCursor);
    else
        setCursor(Qt::ArrowCursor);
}

void CameraMainWidget::resizeEvent(QResizeEvent *e)
{
    QWidget::resizeEvent(e);
    relayout();
    if (resizeTimerId != 0) {
        killTimer(resizeTimerId);
        resizeTimerId = 0;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    const int defaultHeight = int((screen ? screen->geometry().height() : 1080) * 0.38);
    const int defaultWidth = 16 * ((defaultHeight - 30) / 9);
    if (qAbs(width() - defaultWidth) <= 1 && qAbs(height() - defaultHeight) <= 1)
        return;
    resizeTimerId = startTimer(sizeReportIntervalMs, Qt::CoarseTimer);
}

void CameraMainWidget::timerEvent(QTimerEvent *e)
{
    if (e->timerId() != resizeTimerId) {
        QWidget::timerEvent(e);
        return;
    }
    killTimer(resizeTimerId);
    resizeTimerId = 0;
    if (!camera)
        return;
    sendAnalytics(WindowResizedEvent, cameraOrder, cameraName(),
                  QStringLiteral("%1X%2").arg(width()).arg(height()));
}

void CameraMainWidget::maximized()
{
    if (maximizedState) {
        setGeometry(normalGeometry);
    } else {
        normalGeometry = geometry();
        const QRect area = availableGeometry();
        resize(area.size());
        move(area.topLeft());
    }
    maximizedState = !maximizedState;
    relayout();
}

void CameraMainWidget::minimized()
{
    showMinimized();
    visionWidget->hide();
    keyStoneWidget->hide();
}

void CameraMainWidget::changeEvent(QEvent *e)
{
    if (e->type() == QEvent::WindowStateChange) {
        auto *change = static_cast<QWindowStateChangeEvent *>(e);
        if (change->oldState() & Qt::WindowMinimized) {
            if (camera) {
                visionWidget->showNormal();
                keyStoneWidget->showNormal();
            }
            raise();
        }
    }
    QWidget::changeEvent(e);
}

// ---- closing ----

void CameraMainWidget::stopCountdowns()
{
    if (recordCountdownTimer->isActive()) {
        recordCountdownTimer->stop();
        countdownValue = 0;
        lebalCountdown->hide();
    }
    if (liveCountdownTimer->isActive()) {
        liveCountdownTimer->stop();
        countdownValue = 0;
        lebalCountdown->hide();
        rtmp->setStreamPending(false);
    }
}

void CameraMainWidget::resetCaptureMode()
{
    if (captureMode == 1) {
        captureMode = 0;
        btnCapture->show();
        btnKeyStone->hide();
        popupButton->switchIcon(1);
        keyStoneWidget->showKeyStone(false, 1);
        session->enableBGRFrameExport(false, 1);
    }
}

void CameraMainWidget::closeCameraWidget()
{
    if (closing)
        return;
    closing = true;
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    emit SendToClient(CameraStateChangedId, QByteArray());
    stopCountdowns();
    resetCaptureMode();
    if (recordState != 0)
        recordStop();
    if (liveTimer->isActive())
        stopLiveStream();

    comboBoxSource->setCurrentIndex(0);
    session->stopRunning();
    if (videoSource) {
        sendAnalytics(CameraClosedEvent, cameraOrder, cameraName());
        session->removeSource(videoSource);
        delete videoSource;
        videoSource = nullptr;
    }

    audioPollTimer->stop();
    if (audioSource) {
        session->removeSource(audioSource);
        delete audioSource;
        audioSource = nullptr;
        voiceCanvas->setLevel(0.0);
    }
    setVolumeControlEnable(false);
    audioNames.clear();
    audioIds.clear();
    cbAudio->clear();

    visionWidget->close();
    keyStoneWidget->close();
    timeStampTimer->stop();
    btnCameraSettting->setEnabled(false);
    setToDisable(false);

    digitalZoomLevel = 1;
    settingDialog->setDefaultCurrentAngle();
    settingDialog->setCameraNull();
    session->setFlip(0, false, false);
    emit decreaseCamera();
    camera = nullptr;

    resetCaptureMode();
    if (captureMode == 2) {
        captureMode = 0;
        btnCapture->show();
        btnHQCapture->hide();
        popupButton->switchIcon(2);
    }
    close();
    closeDone = true;
}

void CameraMainWidget::closeEvent(QCloseEvent *e)
{
    // A close from the window system takes the same single path as the close button.
    if (!closing)
        closeCameraWidget();
    e->accept();
}

// ---- paths filled by the recording, live, zoom, microphone and capture-mode handling ----

void CameraMainWidget::startRecordCountdown()
{
    if (!camera || recordCountdownTimer->isActive())
        return;
    countdownValue = 3;
    lebalCountdown->setText(QString::number(countdownValue));
    lebalCountdown->show();
    hideCameraWidgetContent();
    recordCountdownTimer->start(1000);
}

void CameraMainWidget::recordCountdown()
{
    --countdownValue;
    if (countdownValue > 0) {
        lebalCountdown->setText(QString::number(countdownValue));
        recordCountdownTimer->start(1000);
        return;
    }
    countdownValue = 0;
    lebalCountdown->hide();
    recordClick();
}

void CameraMainWidget::recordClick()
{
}

void CameraMainWidget::recordStop()
{
    if (recordState == 0)
        return;
    session->finishRecording();
    recordTimer->stop();
    recordState = 0;
    recordRunning = false;
    resetUi();
}

void CameraMainWidget::recordPause()
{
}

void CameraMainWidget::recordContinue()
{
}

void CameraMainWidget::recordFinish(QString path, qint32 result)
{
    Q_UNUSED(path)
    Q_UNUSED(result)
}

void CameraMainWidget::countRecordTime()
{
    recordElapsedMs += recordTimer->interval();
}

void CameraMainWidget::countLiveTime()
{
    liveElapsedMs += liveTimer->interval();
}

void CameraMainWidget::showRecordTime()
{
    frameRecordTime->show();
}

void CameraMainWidget::hideRecordTime()
{
    frameRecordTime->hide();
}

void CameraMainWidget::showLiveTime()
{
    frameLiveTime->show();
}

void CameraMainWidget::hideLiveTime()
{
    frameLiveTime->hide();
}

void CameraMainWidget::doCapture()
{
}

void CameraMainWidget::doHQCapture()
{
}

void CameraMainWidget::closeProgressDialog(QString path)
{
    Q_UNUSED(path)
    hqBusy = false;
    progressDialog->hide();
}

void CameraMainWidget::addExifValue(QString path)
{
    Q_UNUSED(path)
}

void CameraMainWidget::showLiveStreamSetting()
{
    if (!camera || liveControlShown)
        return;
    liveSettingDialog->loadSetting();
    liveSettingDialog->showSetting();
}

void CameraMainWidget::startLiveCountdown()
{
}

void CameraMainWidget::liveCountdown()
{
}

void CameraMainWidget::startLiveStream()
{
}

void CameraMainWidget::stopLiveStream()
{
    if (!liveTimer->isActive() && !liveActive)
        return;
    liveTimer->stop();
    liveActive = false;
    session->enableH264Export(false);
    rtmp->stopPublish();
    btnStopLive->hide();
    btnStartLive->show();
}

void CameraMainWidget::showRtmpNotification(int ret)
{
    Q_UNUSED(ret)
}

void CameraMainWidget::showUploadWarning(bool status)
{
    btnLiveWarring->setVisible(status && liveActive);
}

void CameraMainWidget::liveStatus(int kbps, int fps)
{
    Q_UNUSED(fps)
    lbSpeed->setText(QStringLiteral("%1 kb/s").arg(kbps));
}

void CameraMainWidget::handleReconnectServer()
{
}

void CameraMainWidget::restartLive()
{
}

void CameraMainWidget::handleFpsStatus(qint32 val)
{
    Q_UNUSED(val)
}

void CameraMainWidget::handlePowerChange(int state)
{
    Q_UNUSED(state)
}

void CameraMainWidget::handleChangeSensorMode(int mode, bool apply)
{
    Q_UNUSED(mode)
    Q_UNUSED(apply)
}

void CameraMainWidget::doRotation(int angle)
{
    settingDialog->setCurrentAngle(angle);
}

void CameraMainWidget::zoomIn()
{
    zoomSlider->setValue(qMin(zoomSlider->value() + 1, zoomSlider->maximum()));
}

void CameraMainWidget::zoomOut()
{
    zoomSlider->setValue(qMax(zoomSlider->value() - 1, zoomSlider->minimum()));
}

void CameraMainWidget::setZoomRatio(int value)
{
    if (camera && isMakerCamera() && !zoomLocked)
        camera->setZoomRatio(double(value));
}

void CameraMainWidget::zoomSliderRelease()
{
}

void CameraMainWidget::setDigitalCrop()
{
}

void CameraMainWidget::syncAudioList()
{
}

void CameraMainWidget::setAudioDevice(int index)
{
    Q_UNUSED(index)
}

void CameraMainWidget::doSaveAudioSetting(QModelIndex index)
{
    Q_UNUSED(index)
}

void CameraMainWidget::switchCaptureMode(int mode)
{
    if (mode == captureMode)
        return;
    resetCaptureMode();
    if (captureMode == 2) {
        btnHQCapture->hide();
        btnCapture->show();
    }
    captureMode = mode;
    btnCapture->setVisible(mode == 0);
    btnKeyStone->setVisible(mode == 1);
    btnHQCapture->setVisible(mode == 2);
    if (mode == 1) {
        keyStoneWidget->showKeyStone(true, 1);
        session->enableBGRFrameExport(true, unsigned(qMax(1, 30 / qMax(1, int(keyStoneFps)))));
    }
}

void CameraMainWidget::doKeystoneCapture()
{
}

void CameraMainWidget::showPopBtn()
{
    modePopupShown = !modePopupShown;
    popupButton->setVisible(modePopupShown);
}

void CameraMainWidget::updateKeyStoneFps(int fps)
{
    keyStoneFps = fps;
}

void CameraMainWidget::checkRioMode()
{
}

void CameraMainWidget::ptzUpPressed()
{
    ptzDirection = 0;
    ptzHoldCount = 0;
    ptzTimer->start();
}

void CameraMainWidget::ptzDownPressed()
{
    ptzDirection = 1;
    ptzHoldCount = 0;
    ptzTimer->start();
}

void CameraMainWidget::ptzLeftPressed()
{
    ptzDirection = 2;
    ptzHoldCount = 0;
    ptzTimer->start();
}

void CameraMainWidget::ptzRightPressed()
{
    ptzDirection = 3;
    ptzHoldCount = 0;
    ptzTimer->start();
}

void CameraMainWidget::ptzReleasedd()
{
    ptzTimer->stop();
    ptzDirection = 4;
    if (camera && ptzHoldCount > 0)
        camera->setPtzStop();
    ptzHoldCount = 0;
}

void CameraMainWidget::btnPressTimeout()
{
    if (!camera)
        return;
    if (ptzHoldCount++ == 0) {
        switch (ptzDirection) {
        case 0:
            camera->setPtzUpStart();
            break;
        case 1:
            camera->setPtzDownStart();
            break;
        case 2:
            camera->setPtzLeftStart();
            break;
        case 3:
            camera->setPtzRightStart();
            break;
        default:
            break;
        }
    }
}

void CameraMainWidget::cameraRemoved(GeneralCamera *removed)
{
    if (removed && removed == camera) {
        settingDialog->setCameraNull();
        if (settingDialog->isVisible())
            settingDialog->close();
        autoSelecting = true;
        comboBoxSource->setCurrentIndex(0);
    }
}

void CameraMainWidget::cameraDetected(GeneralCamera *detected, bool, bool)
{
    Q_UNUSED(detected)
}
