#include "cameramainwidget.h"

#include "cameramainwidget_p.h"
#include "capturemodemenu.h"
#include "elidedcombotext.h"
#include "keystonewidget.h"

#include "analytics/bigdata.h"
#include "camera/generalcamera.h"
#include "camerasettings/camerasettingdialog.h"
#include "capture/qorvcapturesession.h"
#include "audio/qorvaudiosource.h"
#include "capture/qorvframesource.h"
#include "common/abstractcapturescreenaction.h"
#include "common/lumidesklog.h"
#include "common/nativewindowhelpers.h"
#include "common/supportedcamera.h"
#include "livewarningdialog.h"
#include "notificationdialog.h"
#include "progressdialog.h"
#include "warningdialog.h"
#include "desktop/taskbarentry.h"
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

constexpr int PictureMaxExtent = 800;
// A window of its own, as a parentless widget is anyway: with the Window bit the flags compare equal
// to what the window has, so setting them again while they hold restyles nothing.
constexpr Qt::WindowFlags TopWindowFlags = Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint;

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

} // namespace

using namespace CameraWindowText;

CameraMainWidget::CameraMainWidget(QWidget *parent)
    // Made with its final flags: set after the form, they would restyle every widget of it again.
    : QWidget(parent, TopWindowFlags)
{
    setupUi(this);
    comboBoxSource->setItemDelegate(new QStyledItemDelegate(comboBoxSource));
    connect(comboBoxSource, &CustComboBox::isShowPopup, this, &CameraMainWidget::resetAutoDetectValue);
    // Camera names are often longer than the selector.
    new ElidedComboText(comboBoxSource);
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
    lbTiptx->setWordWrap(true);

    recordTimer = new QTimer;
    recordTimer->setInterval(timing.counterTickMs);
    liveTimer = new QTimer;
    liveTimer->setInterval(timing.counterTickMs);
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
    // A camera without its own high-quality picture gives the latest full frame instead.
    hqCapture->setFrameProvider([this] { return latestFrame(); });

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
    // This window's entry in a taskbar stands for its messages.
    platform::TaskbarEntry::keepOut(notificationDialog);
    platform::TaskbarEntry::keepOut(warningDialog);
    platform::TaskbarEntry::keepOut(liveWarningDialog);
    connect(notificationDialog, &NotificationDialog::closeNotificationDialog, this,
            &CameraMainWidget::receiveCloseDialog);
    connect(btnWarring, &QToolButton::clicked, this, &CameraMainWidget::showWarningDialog);
    connect(btnLiveWarring, &QToolButton::clicked, this, &CameraMainWidget::showLiveWarningDialog);
    popupButton = new CaptureModeMenu(bottomBar);
    popupButton->hide();
    connect(popupButton, &CaptureModeMenu::switchBtnMode, this, &CameraMainWidget::switchCaptureMode);
    connect(popupButton, &CaptureModeMenu::closed, this, [this] { modePopupShown = false; });
    connect(btnSwitch, &QToolButton::clicked, this, &CameraMainWidget::showPopBtn);
    connect(btnKeyStone, &QToolButton::clicked, this, &CameraMainWidget::doKeystoneCapture);
    connect(btnHQCapture, &QToolButton::clicked, this, &CameraMainWidget::doHQCapture);

    keyStoneWidget = new KeyStoneWidget(previewParent);
    keyStoneWidget->setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    keyStoneWidget->setAttribute(Qt::WA_TranslucentBackground);
    platform::TaskbarEntry::keepOut(keyStoneWidget);
    connect(keyStoneWidget, &KeyStoneWidget::updateFps, this, &CameraMainWidget::updateKeyStoneFps);
    maskWidget->setAttribute(Qt::WA_TranslucentBackground);
    // The mask only has to take the mouse while an edge is dragged; drawn all but clear, so that the
    // enlarged window does not flash green around the camera picture.
    maskWidget->setStyleSheet(QStringLiteral("background-color: rgba(0, 255, 0, 1);"));

    analytics = BigData::RequireBigData();
    progressDialog = new ProgressDialog(this);
    platform::TaskbarEntry::keepOut(progressDialog);
    keepCurrentDesktop(this);
    keepCurrentDesktop(visionWidget);
    keepCurrentDesktop(keyStoneWidget);
    // Without a compositor the picture shows through a gap in this window: the mouse over the picture
    // then reaches the preview window (or the keystone outline over it), which hands it on here.
    visionWidget->installEventFilter(this);
    keyStoneWidget->installEventFilter(this);
    updateSeeThrough();
    applyWindowTitles();
}

void CameraMainWidget::setTiming(const Timing &value)
{
    timing = value;
    recordTimer->setInterval(timing.counterTickMs);
    liveTimer->setInterval(timing.counterTickMs);
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

// The notice is rich text, which Qt lays out as it is set, and laying it out first reads the font
// configuration for its font: the window made hidden at start sets it when first shown (or sized).
void CameraMainWidget::setNoticeText()
{
    noticeTextSet = true;
    lbTiptx->setText(tr(ConnectTip));
}

void CameraMainWidget::ensureNoticeText()
{
    if (!noticeTextSet)
        setNoticeText();
}

void CameraMainWidget::setVisible(bool visible)
{
    if (visible)
        ensureNoticeText();
    QWidget::setVisible(visible);
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
    connect(settingDialog, &CameraSettingDialog::doRotation, this, QOverload<int>::of(&CameraMainWidget::doRotation));
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
    visionWidget->setParent(previewParent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    // Part of this window to the user: the taskbar entry of this window stands for it.
    platform::TaskbarEntry::keepOut(visionWidget);
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
    // preview window keeps its updates on (switching them off would freeze that child too). The
    // bottom bar lies on the picture: the form makes it widgetDown's top child, since moving it there
    // now would style all its buttons again.
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
    voiceSlider->setRange(0, 100);
    connect(cbAudio, QOverload<int>::of(&QComboBox::currentIndexChanged), this, &CameraMainWidget::setAudioDevice);
    connect(cbAudio, &CustComboBox::isShowPopup, this, &CameraMainWidget::setPopupShow);
    connect(cbAudio, &CustComboBox::isHidePopup, this, &CameraMainWidget::setPopupHide);
    connect(cbAudio->view(), &QAbstractItemView::pressed, this, &CameraMainWidget::doSaveAudioSetting);
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
    // A close turns the window into a dialog; reopened, it is the frameless top window it was made.
    setWindowFlags(TopWindowFlags);
    QWidget::show();
}

void CameraMainWidget::retranslateUi(QWidget *window)
{
    // The generated form only renames the entries it made; the list must not keep stale cameras.
    const QSignalBlocker blocker(comboBoxSource);
    comboBoxSource->clear();
    comboBoxSource->addItem(QString());
    Ui::CameraMainWidget::retranslateUi(window);
    applyWindowTitles();
}

void CameraMainWidget::applyWindowTitles()
{
    const QString name = cameraOrder > 0 ? tr("Camera %1").arg(cameraOrder) : tr(CameraEntry);
    setWindowTitle(tr("Lumidesk - %1").arg(name));
    visionWidget->setWindowTitle(tr("Lumidesk - %1 Picture").arg(name));
    keyStoneWidget->setWindowTitle(tr("Lumidesk - %1 Keystone").arg(name));
    popupButton->setWindowTitle(tr("Lumidesk - %1 Capture Mode").arg(name));
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

void CameraMainWidget::closeCameraWidget()
{
    if (closing)
        return;
    closing = true;
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    emit SendToClient(CameraStateChangedId, QByteArray());
    stopCountdowns();
    leaveCaptureModes();
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

    zoom.setLevelOnly(1);
    settingDialog->setDefaultCurrentAngle();
    settingDialog->setCameraNull();
    session->setFlip(0, false, false);
    emit decreaseCamera();
    camera = nullptr;

    leaveCaptureModes();
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

