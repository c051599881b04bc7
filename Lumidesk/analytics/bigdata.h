#pragma once

#include <QList>
#include <QMetaEnum>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>

class DeviceInfo;
class GoogleAnalytic;

// The process-wide usage collector. Windows hand it numbered commands through their sendCommand
// signal; it turns them into page-view and event hits and keeps the little state that lets later
// commands report durations, counts and the settings of a running stream.
class BigData : public QObject
{
    Q_OBJECT

public:
    enum PAGE {
        Program_start = 0x10000001,
        Page_MouseMode,
        Page_WhiteboardMode
    };
    Q_ENUM(PAGE)

    enum EVENT {
        Program_exit = 0x11000001,
        Event_DesktopCapture,
        Event_startDesktopRecoding,
        Event_endDesktopRecoding,
        Event_startDesktopStreaming,
        Event_endDesktopStreaming,
        Event_connectMobile,
        Event_Language,
        Event_updateSWVersion,
        Event_updateFWVersion,
        Event_startMode,
        Event_startDocCam,
        Event_closeDocCam,
        Event_setLayout,
        Event_DocCamCapture,
        Event_startDocCamRecoding,
        Event_endDocCamRecoding,
        Event_startDocCamStreaming,
        Event_endDocCamStreaming,
        Event_BasicImageSetting,
        Event_AdvancedImageSetting,
        Event_VideoOutputMode,
        Event_AudioSetting,
        Event_clickLearnMore,
        Event_DrawletCapture,
        Event_DrawletAnnotation,
        Event_insertPicture,
        Event_clickBack,
        Event_moveCamera
    };
    Q_ENUM(EVENT)

    enum STARTMODE {
        DesktopOnly = 0x12000001,
        Desktop1Camera,
        Desktop2Camera,
        PIPMode
    };
    Q_ENUM(STARTMODE)

    enum MouseModeCaptureName {
        FullScreen = 0x13000001,
        WindowsScreen,
        AreaScreen
    };
    Q_ENUM(MouseModeCaptureName)

    enum AnnotationObject {
        Select = 0x14000001,
        FreeHand,
        Highlighter,
        Line,
        Shape,
        Text
    };
    Q_ENUM(AnnotationObject)

    enum moveCamera {
        Zoom = 0x15000001,
        Pan_Tilt
    };
    Q_ENUM(moveCamera)

    enum moveCameraBehavior {
        In = 0x16000001,
        Out,
        positiveX,
        negativeX,
        positiveY,
        negativeY
    };
    Q_ENUM(moveCameraBehavior)

    // Milliseconds since the epoch; replaceable so that durations can be tested without waiting.
    using Clock = std::function<qint64()>;

    // The process-wide collector, made on the first call.
    static BigData *RequireBigData();
    // Deletes the process-wide collector and forgets it; nothing when there is none. A later
    // RequireBigData makes a new one.
    static void ReleaseBigData();

    ~BigData() override;

    QString getUserID();

    GoogleAnalytic *hitSender() const { return m_googleAnalytic; }
    DeviceInfo *deviceInfo() const { return m_deviceInfo; }
    void setClock(Clock clock);

    int currentPage() const { return m_currentPage; }
    int openCameraCount() const { return m_openCameras.size(); }
    int recordingCount() const { return m_recordings.size(); }
    bool isStreaming() const { return m_streamingActive; }

public slots:
    void receiveCommand(int command, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                        QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                        QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));

private:
    struct OpenCamera
    {
        int order = 0;
        QString name;
        QString resolution;
        QString layoutSize;
        QString firmwareVersion;
        QString softwareVersion;
        qint64 startMsecs = 0;
    };

    struct Recording
    {
        int source = 0;
        QString sourceName;
        int seconds = -1;
    };

    enum RecordingSource { FirstCamera = 1, SecondCamera = 2, Desktop = 3 };

    BigData();

    void handlePage(int command);
    void handleEvent(int command, const QVariant (&data)[6]);
    void handleCameraEvent(int command, const QVariant (&data)[6]);
    void handleRecordingEvent(int command, const QVariant (&data)[6]);
    void handleSettingsEvent(int command, const QVariant (&data)[6]);

    void sendHit(const QString &category, const QString &action, const QString &label);
    void closeAnnotationPeriod();
    void startDocCam(const QVariant (&data)[6]);
    void closeDocCam(const QVariant &order, const QVariant &name);
    void sendCameraClose(int index, const QString &action);
    void endRecording(int index, int seconds);
    void sendRecordingSummary(int time);
    void startStreaming(const QString &sourceName, const QVariant &service, const QVariant &resolution,
                        const QVariant &automaticRecord);
    void sendFlags(const QString &category, const QVariant &action, const QVariant &flags,
                   const QStringList &pieces);

    QString nameIn(const QMetaEnum &enumeration, int value) const;
    QString programStartPath() const;
    QString secondsSince(qint64 startMsecs) const;
    qint64 now() const;
    static bool isAbsent(const QVariant &value);
    static bool anyAbsent(const QVariant (&data)[6], int count);

    DeviceInfo *m_deviceInfo = nullptr;
    GoogleAnalytic *m_googleAnalytic = nullptr;
    QMetaEnum m_pageEnum;
    QMetaEnum m_eventEnum;
    QMetaEnum m_startModeEnum;
    QMetaEnum m_captureNameEnum;
    QMetaEnum m_annotationObjectEnum;
    QMetaEnum m_moveCameraEnum;
    QMetaEnum m_moveCameraBehaviorEnum;
    int m_currentPage = 0;
    QList<OpenCamera> m_openCameras;
    qint64 m_annotationStartMsecs = 0;
    bool m_annotationActive = false;
    int m_currentAnnotationObject = 0;
    QList<Recording> m_recordings;
    bool m_streamingActive = false;
    QString m_streamingSourceName;
    QString m_streamingSettings;
    Clock m_clock;

    static BigData *s_instance;
};
