#pragma once

#include "ui_lumidesk.h"

#include "analytics/bigdata.h"
#include "toolbar/elapsedcounter.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QTranslator>
#include <QVariant>

#include <cstdint>
#include <functional>

class AbstractCaptureScreenAction;
class CameraMainWidget;
class DocCamManager;
class GeneralCamera;
class LiveStreamSettingDialog;
class LocalServer;
class NotificationDialog;
class OtherSettingDialog;
class PipWidget;
class QorvAudioSource;
class QorvAudioSourceWatcher;
class QorvCaptureSession;
class QorvFrameSource;
class QorvRtmpIntf;
class QTimer;
class SwUpdateDialog;
class Telegate;

// The main toolbar: a small frameless, always-on-top, translucent bar along one edge of the primary
// screen, and the hub of the program. Its constructor makes and wires every long-lived object: the
// layout chooser, the desktop live publisher and settings, the general settings, the desktop capture
// session on the screen, the local command server for the record and live panel, DrawletApp, the
// phone remote-control server, the start-up update check, the camera manager and the first camera
// window. It owns the desktop recording and live state and the camera layout.
//
// The implementation is split by concern: construction, closing, language and the panel greeting
// (lumidesk.cpp), the bar itself - docking, narrow form, dragging, place and pen hand-over
// (lumidesk_window.cpp), camera layouts (_layout), desktop recording, snapshot and sound
// (_recording), desktop live streaming (_live), notices, errors, power and the camera windows' reports
// (_events), and the phone's messages (_remote).
class Lumidesk : public QMainWindow, public Ui::Lumidesk
{
    Q_OBJECT

public:
    static const int BarLength = 488;
    static const int BarThickness = 55;
    static const int NarrowLength = 70;

    // Analytics events of the toolbar.
    static constexpr int ProgramStartEvent = BigData::Program_start;
    static constexpr int ProgramExitEvent = BigData::Program_exit;
    static constexpr int SnapshotEvent = BigData::Event_DesktopCapture;
    static constexpr int RecordStartEvent = BigData::Event_startDesktopRecoding;
    static constexpr int RecordStopEvent = BigData::Event_endDesktopRecoding;
    static constexpr int LiveStartEvent = BigData::Event_startDesktopStreaming;
    static constexpr int LiveStopEvent = BigData::Event_endDesktopStreaming;
    static constexpr int LanguageEvent = BigData::Event_Language;
    static constexpr int LayoutEvent = BigData::Event_startMode;

    // Messages to the phone the camera windows do not send too (theirs: CameraMainWidget's ids).
    static constexpr quint32 RecordTimeId = 0x80000005;
    static constexpr quint32 LiveTimeId = 0x80000007;

    // Record state, shared with the camera windows and sent to the phone.
    enum RecordState { Idle = 0, Recording = 1, Paused = 2, Resumed = 3 };

    // Intervals of the toolbar's timers; tests shorten them.
    struct Timing
    {
        int stopNoticeDelayMs = 1000;
        int reconnectDelayMs = 5000;
        int audioPollMs = 1000;
        int snapshotTimeoutMs = 5000;
        // What counts the record and live seconds when no panel does.
        ElapsedCounter::Clock clock;
        // Runs the stop notice once its delay is over; empty: a timer of stopNoticeDelayMs. A test
        // holds the notice here and lets it out when it has seen what comes before it.
        std::function<void(std::function<void()> notice)> deferStopNotice;
        // How long the panel has to echo a command before the toolbar carries it out without it.
        int panelEchoDeadlineMs = 2000;
        // Lets a deadline pass; empty: a timer of panelEchoDeadlineMs. A test holds the deadlines.
        std::function<void(std::function<void()> expire)> deferPanelEchoDeadline;
    };

    Lumidesk();
    ~Lumidesk() override;

    // True when the first-run guide is to be shown at start: "Guid/Enabled" (default 1) is 1 or more.
    bool checkGuidSetting();

    // Places the toolbar where it was last closed (bottom centre the first time) and docks it.
    void loadLastPoint();
    void saveLastPoint(int x, int y);

    // Lays the toolbar out along an edge and keeps it inside the primary screen's available area.
    void adjustPosition(int edge);
    // Where a toolbar of geometry r ends when docked to edge inside the available area.
    static QRect dockedGeometry(QRect r, const QRect &available, int edge);

    void showNotificationDialog(QString title, QString message, int mode);
    int getLiveStatus();
    static void checkFolderExist(QString path);
    static bool compareList(QList<QString> a, QList<QString> b);

    // For tests and benchmarks: what the toolbar holds and shows, without reaching into private state.
    int dockEdge() const { return m_dockEdge; }
    bool isNarrow() const { return m_narrow; }
    QString currentLanguage() const { return m_currentLanguage; }
    QString languageFolder() const { return m_languageFolder; }
    PipWidget *layoutChooser() const { return m_pipWidget; }
    CameraMainWidget *firstCameraWindow() const { return m_firstCamera; }
    CameraMainWidget *secondCameraWindow() const { return m_secondCamera; }
    int layoutMode() const { return m_layoutMode; }
    QorvCaptureSession *desktopSession() const { return m_session; }
    QorvFrameSource *screenSource() const { return m_screenSource; }
    QorvAudioSource *audioSource() const { return m_audioSource; }
    QorvRtmpIntf *publisher() const { return m_rtmp; }
    LocalServer *localServer() const { return m_localServer; }
    Telegate *remoteServer() const { return m_telegate; }
    SwUpdateDialog *updateDialog() const { return m_updateDialog; }
    LiveStreamSettingDialog *liveSettingDialog() const { return m_liveSetting; }
    OtherSettingDialog *settingDialog() const { return m_settingDialog; }
    NotificationDialog *notification() const { return m_notificationDialog; }
    bool isRecording() const { return m_recording; }
    bool isLive() const { return m_live; }
    int recordState() const { return m_recordState; }
    // The part of the program the phone shows: 0 the toolbar, 1 and 2 a camera window, 3 both.
    int remoteView() const { return m_remoteView; }
    bool isDialogShown() const { return m_dialogShown; }
    bool isClosed() const { return m_closed; }
    // Starts the annotation program beside this one; the start-up calls it once the first window is
    // on screen, so that the child's start does not compete with the first frame.
    void startDrawlet();
    QString drawletProgram() const { return m_drawletProgram; }
    QStringList audioInputIds() const { return m_audioIds; }
    void setTiming(const Timing &timing);

public slots:
    void showLumidesk(int x, int y);
    void showLumidesk();

signals:
    void connectServerFailed();
    void dialogIsShow(bool shown);
    void sendCommand(int commane, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                     QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1), QVariant data5 = QVariant(-1),
                     QVariant data6 = QVariant(-1));

private slots:
    void doNarrow();
    void showSelectLayout();
    void showSettingDialog();
    void closeSettingDialog();
    void showRecordControl();
    void closeToolBar();
    void checkShowCameraWidget(int mode);
    void showPreviewFolder();
    void updateString(QString lang);
    void doCapture();
    void doMousePress(QMouseEvent *e);
    void doMouseRelease(QMouseEvent *e);
    void showDrawlet();
    void startRecord();
    void pauseRecord();
    void stopRecord(int time);
    void localSocketIsReady();
    void setAudioSource(QString name, int index);
    void setAudioSource(QString name, QString uid, int index);
    void removeAudioSource();
    void setAudioVoice(int volume);
    void adjustVolum(int8_t level);
    void switchScreen();
    void switchScreenFirst();
    void switchScreenSecond();
    void decreaseCameraCount();
    void hideRecordControl();
    void getRecordTime(int recordTime);
    void getLiveTime(int liveTime);
    void FromClientCmd(uint cmdID, QByteArray data);
    void SendToClient(uint cmdID, QByteArray data);
    void CameraSendToClient(uint cmdID, QByteArray data);
    void CameraSendToClient2(uint cmdID, QByteArray data);
    void startLive();
    void stopLive(int time);
    void hideLiveControl();
    void showLiveStreamSetting();
    void showLiveControl();
    void stopLiveFromRtmp();
    void syncAudioList();
    void handleCameraSelectedFirst(GeneralCamera *camera);
    void handleCameraSelectedSecond(GeneralCamera *camera);
    void handleZorderChange();
    void handleError(int code);
    void showRtmpNotification(int ret);
    void liveAccepted();
    void showUploadWarning(bool status);
    void liveStatus(int kbps, int fps);
    void recordFinish(QString path, int result);
    void handleRecordedFpsStatus(int val);
    void JPGFileReceived(QString fileName);
    void handleReconnectServer();
    void restartLive();
    void handlePowerChange(int state);
    void receiveCloseDialog();
    void setDialogShowValue(bool shown);
    void deskSpaceNotEnough();
    void doSaveAudioSetting(QString name);
    void setRebootValue(bool rebooting);

protected:
    void mouseMoveEvent(QMouseEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void showEvent(QShowEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    virtual void _mousePressEvent(QMouseEvent *e);
    virtual void _mouseReleaseEvent(QMouseEvent *e);

private:
    // Construction, step by step.
    void step(const char *name);
    void connectButtons();
    void makeLayoutChooser();
    void makePublisher();
    void makeLiveSetting();
    void makeDesktopSession();
    void makeNotificationDialog();
    void makeLocalServer();
    void makeRemoteServer();
    void checkForUpdate();
    void makeAudioPoll();
    void wireSettingDialog(OtherSettingDialog *dialog);

    // The bar.
    void applyEdgeLook(int edge);
    void placeButtons(int edge);
    void updateNarrowTip();
    void updateShape();
    void reshow();
    // Nothing of the bar is under the mouse any more (it leaves the screen).
    void forgetMouseOver();

    // Stacking: the camera windows keep themselves on top as well, and a stay-on-top hint is only
    // honoured by some window managers, so the bar and its pop-ups are raised above them, in order.
    void keepAboveCameraWindows(QWidget *popup);
    void raiseAboveCameraWindows(QWidget *front = nullptr);
    // Puts back the order of the windows whenever the screen's windows were restacked (a window
    // manager raises what the user clicks): each camera window above its picture and keystone outline,
    // the smaller camera window above the larger one, the bar above both and its pop-ups above the bar.
    void keepStackingOrder();
    // Where those windows lie now (-1: not on the screen).
    QHash<const QWidget *, int> stackLevels();
    // Those windows bottom to top as they must lie, by where they lie now.
    QList<QWidget *> stackingOrder(const QHash<const QWidget *, int> &levels);
    // Whether the order may be put back now: a bounded number of times a second; past that, it is put
    // back once the second is over.
    bool mayRestack();

    // Camera layouts.
    CameraMainWidget *makeFirstCameraWindow();
    CameraMainWidget *makeSecondCameraWindow();
    // Connects a new camera window, the first (order 1) or the second (order 2), to the toolbar.
    void wireCameraWindow(CameraMainWidget *window, int order);
    void showSingleLayout();
    void showDualLayout(int mode);
    void assignSupportedCameras();
    // The camera window of `order` (1 or 2) chose `camera`; it gives way if the other one shows it.
    void handleCameraSelected(int order, GeneralCamera *camera);

    // Recording and sound.
    // Tells the panel to stop a recording that failed to start or cannot go on, a moment later, with a
    // notice that says why; once, however often the failure is reported meanwhile.
    void scheduleRecordStop(qint32 reason);
    void snapshotWritten(const QString &path, qint32 result);
    void replaceAudioSource(QorvAudioSource *source);
    void dropAudioSource();
    // Reads the sound inputs and sends them to the panel: when they changed, or always.
    void sendAudioList(bool evenIfUnchanged);
    void updateLevelExport();

    // Stops that start in the program itself go through the panel, which echoes them to the slots
    // above; with no panel connected the slots are called at once, so nothing runs on unseen.
    // A command that changes what the panel does awaits its echo: without it in time, again runs,
    // which asks the panel served then or carries the command out. Empty again: nothing to await.
    void throughPanel(void (LocalServer::*askPanel)(const std::function<void()> &), const std::function<void()> &again,
                      const std::function<void()> &carryOut);
    void requestStartRecord();
    void requestPauseRecord();
    void requestStopRecord();
    void requestStartLive();
    void requestStopLive();
    // Asks the panel for the record (RecordTimeId) or live (LiveTimeId) seconds; without a panel the
    // toolbar's own count is the answer, given at once.
    void askPanelTime(quint32 cmdID);
    // However a recording ended: a full-disk stop already carried out no longer holds back the next.
    void recordingEnded();

    // Whether the publisher streams, or is about to: it carries one stream at a time.
    bool publisherBusy() const;
    void showOneStreamNotice();

    // The phone's commands: the window a command for a camera window goes to (routed false: dropped;
    // window null: no window has a camera), and the commands the router carries out itself.
    struct RemoteTarget
    {
        bool routed;
        CameraMainWidget *window;
    };
    RemoteTarget remoteTarget() const;
    void setRemoteView(const QByteArray &data);
    void toolbarCommand(quint32 cmdID, QByteArray &data);
    void askTime(quint32 cmdID);
    void remoteRecord(const QByteArray &data);
    void remoteLive(const QByteArray &data);
    void greetPhone(QByteArray &data);

    // Analytics: the collector hears exactly one event per connection.
    void sendAnalytics(int command, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                       QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                       QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));

    QRect primaryGeometry() const;
    // Where a window of the size of `window` stands centred on `area` (by the areas' extents, from the
    // screen's origin).
    static QPoint centredOn(const QRect &area, const QRect &window);
    QRect primaryAvailableGeometry() const;

    QElapsedTimer m_constructionClock;
    Timing m_timing;

    int m_recordTime = 0;
    int m_liveTime = 0;
    ElapsedCounter m_recordCounter{&m_timing.clock};
    ElapsedCounter m_liveCounter{&m_timing.clock};
    bool m_dragging = false;
    QPoint m_dragStart;
    // Where the pressed move handle lies in the window (the horizontal one's place until a press).
    QPoint m_dragHandleOffset{35, 0};
    bool m_narrow = false;
    DocCamManager *m_cameraManager = nullptr;
    PipWidget *m_pipWidget = nullptr;
    LiveStreamSettingDialog *m_liveSetting = nullptr;
    CameraMainWidget *m_firstCamera = nullptr;
    CameraMainWidget *m_secondCamera = nullptr;
    OtherSettingDialog *m_settingDialog = nullptr;
    AbstractCaptureScreenAction *m_dockHelper = nullptr;
    int m_dockEdge = 1;
    QorvCaptureSession *m_session = nullptr;
    QorvFrameSource *m_screenSource = nullptr;
    QorvAudioSource *m_audioSource = nullptr;
    QList<QString> m_audioNames;
    QList<QString> m_audioIds;
    QorvAudioSourceWatcher *m_audioWatcher = nullptr;
    LocalServer *m_localServer = nullptr;
    QString m_drawletProgram;
    bool m_recording = false;
    bool m_live = false;
    // The server has taken the stream since the last start.
    bool m_liveAccepted = false;
    QorvRtmpIntf *m_rtmp = nullptr;
    GeneralCamera *m_firstCameraSource = nullptr;
    GeneralCamera *m_secondCameraSource = nullptr;
    Telegate *m_telegate = nullptr;
    int m_layoutMode = 0;
    int m_remoteView = 0;
    bool m_recordControlShown = false;
    int m_recordState = Idle;
    bool m_liveControlShown = false;
    bool m_remoteCommandRunning = false;
    SwUpdateDialog *m_updateDialog = nullptr;
    QTimer *m_audioPollTimer = nullptr;
    NotificationDialog *m_notificationDialog = nullptr;
    quint32 m_pendingTimeReply = 0;
    QTranslator m_translator;
    QString m_languageFolder;
    bool m_settingDialogOpen = false;
    bool m_zorderRaised = false;
    bool m_dialogShown = false;
    bool m_pausedBeforeSleep = false;
    bool m_stopPending = false;
    qint32 m_stopReason = 0;
    bool m_snapshotRunning = false;
    QString m_snapshotPath;
    int m_slowFrameCount = 0;
    int m_fastFrameCount = 0;
    QString m_currentLanguage;
    BigData *m_analytics = nullptr;
    QTimer *m_reconnectTimer = nullptr;
    bool m_chooserWithToolbar = false;
    QList<QPointer<QWidget>> m_popups;
    // Corrections of the stacking order in the current second: a window manager that keeps undoing
    // them is answered at a bounded rate.
    QElapsedTimer m_restackClock;
    int m_restackCount = 0;
    bool m_restackDeferred = false;
    bool m_closing = false;
    bool m_closed = false;
};
