#pragma once

#include "ui_cameramainwidget.h"

#include "resolutionmemory.h"

#include <QByteArray>
#include <QList>
#include <QModelIndex>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVariant>
#include <QWidget>

#include <atomic>
#include <cstdint>
#include <functional>

class AbstractCaptureScreenAction;
class BigData;
class CameraSettingDialog;
class DocCamManager;
class GeneralCamera;
class KeyStoneWidget;
class LiveStreamSettingDialog;
class LiveWarningDialog;
class NotificationDialog;
class PopupButton;
class ProgressDialog;
class QorvCaptureSession;
class QorvCaptureSource;
class QorvFrameSource;
class QorvRtmpIntf;
class QTimer;
class VantoHQCapture;
class WarningDialog;

// The floating window that shows one camera: a frameless, always-on-top, translucent window with its
// own top bar, control bars and eight resize edges. The preview is a second top-level window (the
// form's visionWidget taken out of the form) and the keystone outline a third; the three move and
// are raised together. The window owns its capture session, frame source, publisher object and
// dialogs; it never holds a reference on its camera (the frame source does).
class CameraMainWidget : public QWidget, public Ui::CameraMainWidget
{
    Q_OBJECT

public:
    static constexpr quint32 CameraStateChangedId = 0x80000003;
    static constexpr quint32 PictureId = 0x80000200;
    static constexpr quint32 ZoomAvailableId = 0x80000452;
    static constexpr int CameraOpenedEvent = 0x1100000C;
    static constexpr int CameraClosedEvent = 0x1100000D;
    static constexpr int WindowResizedEvent = 0x1100000E;
    static constexpr int SensorModeEvent = 0x11000016;
    static constexpr qint32 InputNotCreated = qint32(0xE0000002);
    static constexpr qint32 CameraInUse = qint32(0xE0000004);
    static constexpr qint32 NoBandwidth = qint32(0xE0000005);
    static constexpr int SizeReportIntervalMs = 500;
    static constexpr int ResizeMargin = 150;

    explicit CameraMainWidget(QWidget *parent = nullptr);
    ~CameraMainWidget() override;

    void setCameraOrder(int order);
    int getCameraOrder() const { return cameraOrder; }
    GeneralCamera *getSourceCamera() const { return camera; }
    void setWidgetCamera(GeneralCamera *camera);
    void setToCameraSource();
    void relayout();
    void resetUi();
    void showSwitchBtn();
    void hideSwitchBtn();
    void showCameraWidgetContent();
    void hideCameraWidgetContent();
    void showNotificationDialog(QString title, QString message, int sizeMode);
    void setVolumeControlEnable(bool on);
    void setToDisable(bool busy);
    void setLiveControlState(bool shown) { liveControlShown = shown; }
    void setRebootFlag(bool on) { rebootInProgress = on; }
    bool getBtnCloseClicked() const { return closeClicked; }

    // The camera list's text for a camera: the maker's short names for two products.
    static QString mapDoccamName(GeneralCamera *camera);
    // Makes the texts of the camera list unique: later equal names get " (2)", " (3)", ...
    void changeSameName();

    // For tests and benchmarks: the window as a user sees it, without reaching into private state.
    QWidget *previewWindow() const { return visionWidget; }
    KeyStoneWidget *keyStone() const { return keyStoneWidget; }
    QorvCaptureSession *captureSession() const { return session; }
    QorvFrameSource *frameSource() const { return videoSource; }
    CameraSettingDialog *cameraSettingDialog() const { return settingDialog; }
    LiveStreamSettingDialog *liveStreamSettingDialog() const { return liveSettingDialog; }
    NotificationDialog *notification() const { return notificationDialog; }
    qint32 getLastErrorCode() const { return lastErrorCode; }
    ResolutionMemory::Mode lastMode() const;
    bool isMaximizedState() const { return maximizedState; }
    bool isResizing() const { return resizing; }
    bool isSizeReportPending() const { return resizeTimerId != 0; }
    // The size report waits this long after the last resize step.
    void setSizeReportInterval(int msecs) { sizeReportIntervalMs = msecs; }
    // The primary screen's available area; replaceable so that geometry can be tested on any screen.
    void setAvailableGeometryProvider(std::function<QRect()> provider);
    bool isClosed() const { return closeDone; }

    virtual void show();
    // Re-applies the form's texts. Like the form's own, it leaves the camera list with its first entry
    // only, "Camera": the caller refills it.
    void retranslateUi(QWidget *window);

signals:
    void connectServerFailed();
    void cameraSelected(GeneralCamera *camera);
    void zorderChange();
    void decreaseCamera();
    void switchScreens();
    void nonQorvCameraDetected(GeneralCamera *camera, bool, bool);
    void dialogIsShow(bool shown);
    void SendToClient(unsigned int cmdID, QByteArray data);
    void sendCommand(int commane, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                     QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                     QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));

public slots:
    void startRecordCountdown();
    void recordClick();
    void recordStop();
    void recordPause();
    void recordContinue();
    void doCapture();
    void doHQCapture();
    void showLiveStreamSetting();
    void showSetting();
    void switchScreen();
    void showVoiceList();
    void hideVoiceList();
    void startResizer();
    void endResizer();
    void resizeWindow(QPoint distance);
    void changeCursor();
    void voiceAdd();
    void voiceDecress();
    void zoomIn();
    void zoomOut();
    void setVoice();
    void setZoomRatio(int value);
    void minimized();
    void checkSelect(int index);
    void doMousePress(QMouseEvent *e);
    void doMouseMove(QMouseEvent *e);
    void doMouseRelease(QMouseEvent *e);
    void maximized();
    void countRecordTime();
    void countLiveTime();
    void showRecordTime();
    void hideRecordTime();
    void showLiveTime();
    void hideLiveTime();
    void setAudioDevice(int index);
    void doSaveAudioSetting(QModelIndex index);
    void adjustVolum(int8_t level);
    void setPopupShow();
    void setPopupHide();
    void timeStamp();
    void recordCountdown();
    void liveCountdown();
    void handleRestartCamera(GeneralCamera *camera);
    void handleChangeSensorMode(int mode, bool apply);
    void startLiveCountdown();
    void startLiveStream();
    void stopLiveStream();
    void cameraRemoved(GeneralCamera *camera);
    void handleRestartFinished();
    void handlesetActiveFormatError();
    void handlesetFpsZeroError();
    void handleError(qint32 code);
    void zoomSliderRelease();
    void syncAudioList();
    void updateStreamFrameSize();
    void updatePreferFormat();
    void updateSaveValue(QString format, QString fps, QString resolution);
    void receiveCloseDialog();
    void showRtmpNotification(int ret);
    void showWarningDialog();
    void showLiveWarningDialog();
    void switchCaptureMode(int mode);
    void doKeystoneCapture();
    void showPopBtn();
    void BGRFrameReceived(void *frameData, uint32_t length, uint16_t width, uint16_t height);
    void updateKeyStoneFps(int fps);
    void showUploadWarning(bool status);
    void liveStatus(int kbps, int fps);
    void recordFinish(QString path, qint32 result);
    void handleFpsStatus(qint32 val);
    void JPGFileReceived(QString fileName);
    void resetAutoDetectValue();
    void handleReconnectServer();
    void restartLive();
    void handlePowerChange(int state);
    void doRotation(int angle);
    void addExifValue(QString path);
    void closeProgressDialog(QString path);
    void checkRioMode();
    void ptzUpPressed();
    void ptzDownPressed();
    void ptzLeftPressed();
    void ptzRightPressed();
    void ptzReleasedd();
    void btnPressTimeout();
    void closeCameraWidget();
    void closeCametaSetting();
    void cameraDetected(GeneralCamera *camera, bool, bool);
    void setDialogShowValue(bool shown);
    void SendPictureToClient(void *frameData, uint32_t length, uint16_t width, uint16_t height);
    void setBtnCloseClicked();

protected:
    bool event(QEvent *e) override;
    void timerEvent(QTimerEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void mouseReleaseEvent(QMouseEvent *e) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void changeEvent(QEvent *e) override;

    virtual void _mousePressEvent(QMouseEvent *e);
    virtual void _mouseMoveEvent(QMouseEvent *e);
    virtual void _mouseReleaseEvent(QMouseEvent *e);

private:
    // Construction, step by step.
    void connectPublisher();
    void makeDialogs();
    void connectControls();
    void connectResizers();
    void makePreviewWindow();
    void fillCameraList();
    void makeSession();
    void makeTimers();
    void makeAudioList();

    // Selection.
    void releaseOldCamera();
    GeneralCamera *findSelectedCamera() const;
    bool startSelectedCamera(int index);
    void setUpZoomRange();
    void reportCameraOpened(const QString &firmwareVersion, const QString &softwareVersion);
    void startCameraErrorHandle(qint32 startResult);
    void selectTail();
    void loadLastResolution();
    void checkResolution();
    void saveLastSetting(int width, int height, QString format, int fps);
    void saveLastSettingQorvCam(int width, int height, QString format, int);
    bool isMakerCamera() const;
    float sensorMode() const;
    void setZoomDisable(bool disabled);
    void switchCaptureBtnStyle(bool hqHidden);
    void setDigitalCrop();

    // Analytics: the collector hears exactly one event per connection.
    void sendAnalytics(int command, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                       QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                       QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));
    QString cameraName() const;

    // Window handling.
    QRect availableGeometry() const;
    void moveCompanions();
    void raiseTogether();
    void resetCaptureMode();
    void stopCountdowns();
    QWidget *resizerUnderMouse() const;
    void setMaskGeometry(const QRect &rect);
    QWidget *activeResizer = nullptr;

    CameraSettingDialog *settingDialog = nullptr;
    std::atomic<int> recordState{0};
    QString pictureClientPath;
    bool remoteCommandActive = false;
    bool maximizedState = false;
    QRect normalGeometry;
    bool panPressed = false;
    QPoint panPressPos;
    bool dragging = false;
    QPoint dragPressPos;
    bool recordBlink = false;
    bool liveBlink = false;
    bool recordRunning = false;
    bool liveActive = false;
    LiveStreamSettingDialog *liveSettingDialog = nullptr;
    QRect resizeGeometry;
    bool resizing = false;
    int zoomMax = 0;
    int zoomMin = 0;
    QTimer *recordTimer = nullptr;
    qint64 recordElapsedMs = 0;
    QTimer *liveTimer = nullptr;
    qint64 liveElapsedMs = 0;
    QList<QString> audioNames;
    QList<QString> audioIds;
    bool comboPopupShown = false;
    bool roiSendAllowed = false;
    QTimer *timeStampTimer = nullptr;
    QTimer *recordCountdownTimer = nullptr;
    QTimer *liveCountdownTimer = nullptr;
    int countdownValue = 0;
    bool mouseInside = false;
    bool liveControlShown = false;
    // Read by the frame slots on the capture queue.
    std::atomic<int> captureMode{0};
    bool modePopupShown = false;
    bool autoDetectValue = false;
    bool rebootInProgress = false;
    std::atomic<int> keyStoneFps{5};
    DocCamManager *cameraManager = nullptr;
    QorvCaptureSession *session = nullptr;
    QorvFrameSource *videoSource = nullptr;
    GeneralCamera *camera = nullptr;
    QorvCaptureSource *audioSource = nullptr;
    AbstractCaptureScreenAction *flash = nullptr;
    QorvRtmpIntf *rtmp = nullptr;
    QTimer *audioPollTimer = nullptr;
    NotificationDialog *notificationDialog = nullptr;
    WarningDialog *warningDialog = nullptr;
    LiveWarningDialog *liveWarningDialog = nullptr;
    PopupButton *popupButton = nullptr;
    KeyStoneWidget *keyStoneWidget = nullptr;
    QWidget *previewParent = nullptr;
    int lastWidth = ResolutionMemory::DefaultWidth;
    int lastHeight = ResolutionMemory::DefaultHeight;
    QString lastFormat = QStringLiteral("MJPG");
    int lastFps = ResolutionMemory::DefaultFps;
    int cameraOrder = 0;
    bool dialogShown = false;
    uint8_t digitalZoomLevel = 1;
    double cropOriginX = 0.0;
    double cropOriginY = 0.0;
    VantoHQCapture *hqCapture = nullptr;
    ProgressDialog *progressDialog = nullptr;
    bool hqBusy = false;
    BigData *analytics = nullptr;
    int resizeTimerId = 0;
    int sizeReportIntervalMs = SizeReportIntervalMs;
    int zoomSteps = 0;
    uint16_t lastPanPosition[2] = {0, 0};
    QTimer *ptzTimer = nullptr;
    int ptzHoldCount = 0;
    int ptzDirection = 4;

    qint32 lastErrorCode = 0;
    bool autoSelecting = false;
    bool restartSelecting = false;
    bool retranslating = false;
    bool zoomLocked = false;
    bool hqAvailable = false;
    GeneralCamera *restartCamera = nullptr;
    bool closeClicked = false;
    // The close path runs once, however often the button, the main window and Qt ask for it.
    bool closing = false;
    bool closeDone = false;
    std::function<QRect()> availableGeometryFor;
};
