#pragma once

#include "ui_cameramainwidget.h"

#include "resolutionmemory.h"
#include "zoompan.h"

#include <QByteArray>
#include <QImage>
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
class CaptureModeMenu;
class CameraSettingDialog;
class DocCamManager;
class GeneralCamera;
class KeyStoneWidget;
class LiveStreamSettingDialog;
class LiveWarningDialog;
class NotificationDialog;
class ProgressDialog;
class QComboBox;
class QorvAudioSource;
class QorvCaptureSession;
class QorvFrameSource;
class QorvRtmpIntf;
class QTimer;
class QToolButton;
class VantoHQCapture;
class WarningDialog;

struct uvcx_roi_control_t;

// The floating window that shows one camera: a frameless, always-on-top, translucent window with its
// own top bar, control bars and eight resize edges. The preview is a second top-level window (the
// form's visionWidget taken out of the form) and the keystone outline a third; the three move and
// are raised together. The window owns its capture session, frame source, publisher object and
// dialogs; it never holds a reference on its camera (the frame source does).
//
// The implementation is split by concern: construction, closing and notices (cameramainwidget.cpp),
// camera selection and format memory (_selection), window handling and the see-through shape
// (_frame), recording and snapshots (_recording), capture modes and the keystone snapshot
// (_capturemode), live streaming (_live), zoom, pan, rotation and PTZ (_zoom), microphones (_audio),
// hot-plug hand-over (_hotplug), and errors, power and texts (_events).
class CameraMainWidget : public QWidget, public Ui::CameraMainWidget
{
    Q_OBJECT

public:
    static constexpr quint32 CameraStateChangedId = 0x80000003;
    static constexpr quint32 RecordStateId = 0x80000004;
    static constexpr quint32 LiveStateId = 0x80000006;
    static constexpr quint32 PictureId = 0x80000200;
    static constexpr quint32 ZoomValueId = 0x80000211;
    static constexpr quint32 VisibleWindowId = 0x80000242;
    static constexpr quint32 ZoomAvailableId = 0x80000452;
    static constexpr quint32 HQCaptureStateId = 0x80000454;
    static constexpr quint32 CaptureModeId = 0x80000251;
    // Capture modes.
    static constexpr int NormalCapture = 0;
    static constexpr int KeyStoneCapture = 1;
    static constexpr int HQCapture = 2;
    static constexpr int CameraOpenedEvent = 0x1100000C;
    static constexpr int CameraClosedEvent = 0x1100000D;
    static constexpr int WindowResizedEvent = 0x1100000E;
    static constexpr int SnapshotEvent = 0x1100000F;
    static constexpr int RecordStartEvent = 0x11000010;
    static constexpr int RecordStopEvent = 0x11000011;
    static constexpr int LiveStartEvent = 0x11000012;
    static constexpr int LiveStopEvent = 0x11000013;
    static constexpr int SensorModeEvent = 0x11000016;
    static constexpr int CameraMoveEvent = 0x1100001D;
    static constexpr qint32 InputNotCreated = qint32(0xE0000002);
    static constexpr qint32 CameraInUse = qint32(0xE0000004);
    static constexpr qint32 NoBandwidth = qint32(0xE0000005);
    static constexpr qint32 StreamLost = qint32(0xE0000006);
    static constexpr qint32 WriterFailed = qint32(0xE0300000);
    static constexpr qint32 DiskFull = qint32(0xE0300003);
    static constexpr int SizeReportIntervalMs = 500;
    static constexpr int ResizeMargin = 150;
    // The notice box of a window without a camera, as the form draws it, and its text's margin.
    static constexpr QSize NoticeBoxSize = QSize(221, 111);
    static constexpr int NoticeMargin = 10;
    // The counters add this much per tick, whatever the tick's interval.
    static constexpr int CounterStepMs = 500;
    static constexpr qint64 RecordLimitMs = 6LL * 60 * 60 * 1000;

    // Intervals of the window's timers; tests shorten them.
    struct Timing
    {
        int countdownStepMs = 1000;
        int counterTickMs = 500;
        int reconnectDelayMs = 5000;
        int removalDialogDelayMs = 200;
    };

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
    int getCaptureMode() const { return captureMode; }
    int getRecordState() const { return recordState; }

    // The phone's commands for this window, from the main window's router: a query leaves its answer
    // in the payload, which the router sends back under the same id.
    void FromClientCmd(unsigned int id, QByteArray &payload);
    // 0 ready to stream, -1 a stream runs or is being set up, -2 no stream address or key.
    int getLiveStatus();

    // Hot-plug hand-over.
    void autoShowCamera(int mode);
    void setComboBox(QComboBox *source);
    bool checkZq40IsUsed() const;

    // Microphones.
    void autoSelectAudio();
    bool loadAudioSetting();
    static bool compareList(QList<QString> a, QList<QString> b);

    // Texts.
    void updateString(QString language);
    void setLanguage(QString language);

    // Processes events until ms milliseconds have passed.
    void delay(int ms);

    // The camera list's text for a camera: the maker's short names for two products.
    static QString mapDoccamName(GeneralCamera *camera);
    // Makes the texts of the camera list unique: later equal names get " (2)", " (3)", ...
    void changeSameName();

    // The camera settings dialog of this window, which the main window wires to the phone.
    CameraSettingDialog *settingDialog = nullptr;

    // For tests and benchmarks: the window as a user sees it, without reaching into private state.
    QWidget *previewWindow() const { return visionWidget; }
    KeyStoneWidget *keyStone() const { return keyStoneWidget; }
    CaptureModeMenu *captureModeMenu() const { return popupButton; }
    // The capture modes the mode button offers for the camera and format in use.
    QList<int> offeredCaptureModes() const;
    int keyStoneRate() const { return keyStoneFps.load(); }
    QorvCaptureSession *captureSession() const { return session; }
    QorvFrameSource *frameSource() const { return videoSource; }
    QorvAudioSource *audioInput() const { return audioSource; }
    CameraSettingDialog *cameraSettingDialog() const { return settingDialog; }
    LiveStreamSettingDialog *liveStreamSettingDialog() const { return liveSettingDialog; }
    NotificationDialog *notification() const { return notificationDialog; }
    ProgressDialog *hqProgressDialog() const { return progressDialog; }
    VantoHQCapture *hqCaptureObject() const { return hqCapture; }
    QorvRtmpIntf *publisher() const { return rtmp; }
    const ZoomPan &zoomPan() const { return zoom; }
    qint32 getLastErrorCode() const { return lastErrorCode; }
    ResolutionMemory::Mode lastMode() const;
    bool isMaximizedState() const { return maximizedState; }
    // The place a maximised window goes back to and its maximised flag: the toolbar's layouts write the
    // first, and swapping the two windows exchanges both.
    QRect restoreRect() const { return normalGeometry; }
    void setRestoreRect(const QRect &rect) { normalGeometry = rect; }
    void setMaximizedState(bool maximized) { maximizedState = maximized; }
    bool isResizing() const { return resizing; }
    bool isSizeReportPending() const { return resizeTimerId != 0; }
    bool isHQBusy() const { return hqBusy; }
    bool isLive() const { return liveActive; }
    qint64 recordElapsed() const { return recordElapsedMs; }
    // The recording's running time as if it had run that long (tests of the 6-hour limit).
    void setRecordElapsed(qint64 ms) { recordElapsedMs = ms; }
    qint64 liveElapsed() const { return liveElapsedMs; }
    void setTiming(const Timing &timing);
    // The size report waits this long after the last resize step.
    void setSizeReportInterval(int msecs) { sizeReportIntervalMs = msecs; }
    // The primary screen's available area; replaceable so that geometry can be tested on any screen.
    void setAvailableGeometryProvider(std::function<QRect()> provider);
    bool isClosed() const { return closeDone; }
    // The window's shape when no compositor runs: everything but the picture left clear.
    QRegion seeThroughRegion() const;
    // Where the picture lies in the window: inside the frame and its title row, and the resize margin
    // while resizing.
    QRect pictureRect() const;
    void updateSeeThrough();
    // The window's own dialogs that are open (its settings, notices), which stay above it.
    QList<QWidget *> openDialogs() const;

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
    bool checkRioMode();
    void ptzUpPressed();
    void ptzDownPressed();
    void ptzLeftPressed();
    void ptzRightPressed();
    void ptzReleasedd();
    void btnPressTimeout();
    void closeCameraWidget();
    void closeCametaSetting();
    void cameraDetected(GeneralCamera *camera);
    void cameraDetected(GeneralCamera *camera, bool otherTookCandidate, bool otherTookNew);
    void setDialogShowValue(bool shown);
    void SendPictureToClient(void *frameData, uint32_t length, uint16_t width, uint16_t height);
    void setBtnCloseClicked();
    void reSetRecordStatus();
    void reSetLiveStatus();
    void setDigitalCrop();

    void setVisible(bool visible) override;

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
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
    void setNoticeText();
    void ensureNoticeText();
    // The titles of this window and its companions carry the camera order, which the form cannot.
    void applyWindowTitles();
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
    // The camera's own zoom value as the slider shows it; 0 for a camera zoomed by cropping.
    int cameraZoomValue() const;
    void reportCameraOpened(const QString &firmwareVersion, const QString &softwareVersion);
    void startCameraErrorHandle(qint32 startResult);
    void selectTail();
    void loadLastResolution();
    void checkResolution();
    void saveLastSetting(int width, int height, QString format, int fps);
    void saveLastSettingQorvCam(int width, int height, QString format, int);
    bool isMakerCamera() const;
    float sensorMode() const;
    QImage latestFrame() const;

    // Capture modes.
    void setZoomDisable(bool disabled);
    // Single mode: no high-quality pictures; the wide snapshot button and no mode button. Otherwise the
    // mode button shows where the camera takes high-quality pictures.
    void switchCaptureBtnStyle(bool singleMode);
    bool hqOffered() const;
    void updateHQAvailable();
    void stopKeyStone();
    // Back to normal mode when the window closes, without reporting it.
    void leaveCaptureModes();
    QToolButton *shownCaptureButton() const;

    // Live streaming: one stream on the machine.
    bool streamHeldElsewhere() const;
    void showOneStreamNotice();

    // Recording and snapshots.
    void deskSpaceNotEnough();
    void writerFailed();
    static QString msecToString(qint64 ms);
    static void checkFolderExist(QString path);
    void sendRecordState(qint64 seconds);
    void sendState(quint32 id, qint32 state, qint32 seconds);
    void setRecordBlink(bool on);
    void setLiveBlink(bool on);

    // Zoom, pan and PTZ.
    bool usesCameraZoom() const;
    // One step of the zoom buttons: +1 in, -1 out.
    void zoomStep(int step);
    QSize frameSize() const;
    int currentAngle() const;
    void applyDigitalZoom();
    void setToCenter(float oldFraction, float newFraction);
    void virtualPt(int dx, int dy);
    void roiProcess(int dx, int dy);
    void reportVisibleWindow();
    void reportCameraMove(const QList<int> &edges);
    void changeROICoordinate(int dx, int dy);
    void ptzPressed(int direction, uint32_t (GeneralCamera::*start)(), int dx, int dy);
    static QList<int> doRotation(int p1, int p2, int p3, int p4, int cx, int cy, int angle);
    // The camera's region of interest turns around the middle of its largest window.
    static QPoint roiCentre(const uvcx_roi_control_t &maximum);
    // The largest or the shown window, top, left, bottom, right, turned as the preview is; empty when
    // the camera does not answer for its region of interest.
    QList<int> windowEdges(bool maximumWindow) const;
    static QByteArray windowBytes(const QList<int> &edges);

    // Phone commands.
    void remoteRecord(QByteArray &payload);
    void remoteLive(QByteArray &payload);
    QByteArray remoteLiveStatus();
    void remoteSnapshot();
    void remoteCaptureMode(QByteArray &payload);
    void remoteResetOrientation();
    void remoteZoom(QByteArray &payload);
    qint32 remoteZoomValue() const;
    qint32 remoteZoomMinimum() const;
    void remoteSetWindow(const QByteArray &payload);

    // Microphones.
    void rebuildAudioList();
    void fallBackToAudio();
    void removeAudioSource();
    QString audioSettingKey() const;

    // Hot-plug: one event at a time; an event that arrives while another is handled (the removal
    // may wait for the settings dialog with the event loop running) is handled after it.
    bool deferWhileHandOver(std::function<void()> event);
    void finishHandOver();
    void detectCamera(GeneralCamera *camera, bool otherTookCandidate, bool otherTookNew);
    void removeCamera(GeneralCamera *camera);
    void removeEntryQuietly(int index);
    void stopForRemovedCamera();

    // Analytics: the collector hears exactly one event per connection.
    void sendAnalytics(int command, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                       QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                       QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));
    QString cameraName() const;

    // Window handling.
    QRect availableGeometry() const;
    void moveCompanions();
    void raiseTogether();
    void stopCountdowns();
    QWidget *resizerUnderMouse() const;
    void setMaskGeometry(const QRect &rect);
    // The notice of a window without a camera, sized to its text and centred in the given area.
    void fitNotice(int areaWidth, int areaHeight);
    bool cursorStillOver() const;
    QWidget *activeResizer = nullptr;

    std::atomic<int> recordState{0};
    QString pictureClientPath;
    bool remoteCommandActive = false;
    bool noticeTextSet = false;
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
    QorvAudioSource *audioSource = nullptr;
    AbstractCaptureScreenAction *flash = nullptr;
    QorvRtmpIntf *rtmp = nullptr;
    QTimer *audioPollTimer = nullptr;
    NotificationDialog *notificationDialog = nullptr;
    WarningDialog *warningDialog = nullptr;
    LiveWarningDialog *liveWarningDialog = nullptr;
    // The capture-mode chooser opened by the mode button.
    CaptureModeMenu *popupButton = nullptr;
    KeyStoneWidget *keyStoneWidget = nullptr;
    QWidget *previewParent = nullptr;
    int lastWidth = ResolutionMemory::DefaultWidth;
    int lastHeight = ResolutionMemory::DefaultHeight;
    QString lastFormat = QStringLiteral("MJPG");
    int lastFps = ResolutionMemory::DefaultFps;
    int cameraOrder = 0;
    bool dialogShown = false;
    // The digital zoom: its level (digitalZoomLevel) and the crop's corner (cropOriginX, cropOriginY).
    ZoomPan zoom;
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
    // The camera zooms and pans itself (zoom ratio, region of interest); else the frames are cropped.
    bool ownZoom = false;
    bool hqAvailable = false;
    GeneralCamera *restartCamera = nullptr;
    bool closeClicked = false;
    // The close path runs once, however often the button, the main window and Qt ask for it.
    bool closing = false;
    bool closeDone = false;
    std::function<QRect()> availableGeometryFor;

    // Hot-plug hand-over.
    bool tookCandidate = false;
    bool tookNewCamera = false;
    bool handOverBusy = false;
    QList<std::function<void()>> deferredHandOver;

    // Errors and power.
    int powerState = -1;
    bool pausedBeforeSleep = false;
    int lowFpsCount = 0;
    int goodFpsCount = 0;
    qint64 selectedLocation = 0;

    Timing timing;
};
