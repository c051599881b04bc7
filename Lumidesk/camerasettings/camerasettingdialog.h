#ifndef CAMERASETTINGDIALOG_H
#define CAMERASETTINGDIALOG_H

#include "ui_camerasettingdialog.h"

#include "camera/generalcamera.h"
#include "camera/videoformat.h"
#include "uvc/uvc_control_range.h"

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QPoint>
#include <QString>
#include <QVariant>

#include <initializer_list>

class BigData;
class NotificationDialog;
class QComboBox;
class QLabel;
class QSlider;
class QTimer;

// The settings window of one camera window: image controls, orientation, output mode and audio switches
// of the camera bound with setCamera(). Every control writes straight to the camera and echoes the
// change as UIChange for the phone app; leaving a page reports what changed to the usage analytics.
// The dialog never owns the camera: the camera window unbinds it (setCameraNull) before it goes.
class CameraSettingDialog : public QDialog
{
    Q_OBJECT

public:
    // Marks a control the bound camera does not support, in every "last reported" value.
    static constexpr int Unsupported = -1000;

    explicit CameraSettingDialog(QWidget *parent = nullptr);
    ~CameraSettingDialog() override;

    void setCamera(GeneralCamera *camera);
    void setCameraNull();

    int getCurrentAngle() const;
    void setCurrentAngle(int angle);
    void setDefaultCurrentAngle();
    void setCameraOrder(int order);
    void updateString();

    void setToRecordModeUi(bool locked);
    void removeMostHighResolution();
    QString getSensorModeValue() const;
    bool getIsSensorModeReboot() const;
    void setIsSensorModeReboot(bool reboot);
    // The reboot progress steps once per tick (1000 ms, 25 ticks) and the camera window is told to take
    // the camera again finishDelayMsecs (500 ms) after the last one; tests shorten both.
    void setRestartIntervals(int tickMsecs, int finishDelayMsecs);

    // The phone's camera-setting commands: sets echo the request, queries overwrite the payload with
    // the reply; the caller sends the payload back under the same id.
    int FromClientCmd(unsigned int id, QByteArray &payload);

    // Whether the form has been built: it is built on first use (a camera bound, a show, a phone
    // command, a reading of the form), not with the dialog.
    bool hasForm() const;
    void setVisible(bool visible) override;

    static QString videoFormateToString(int format);
    static QString sensorModeToString(int mode);
    static int getMinValue(const QList<int> &values);
    static void setTextStyle(QLabel *label, const QString &color, const QString &size);
    static void setComboBoxStyle(QComboBox *combo, bool enabled);

signals:
    void closeSetting();
    void UIChange(uint cmdID, QByteArray data);
    void restartCamera(GeneralCamera *camera);
    void cameraRestartFinished();
    void settingApplied();
    void startReboot(bool rebooting);
    void setActiveFormatError();
    void changeSensorMode(int mode, bool isDefault);
    void updateSetting(QString format, QString frameRate, QString resolution);
    void doRotation(int angle);
    void sendCommand(int commane, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                     QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                     QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));

public slots:
    void showCameraSetting();
    void doMirror();
    void doCelling();
    void doRotateLeft();
    void doRotateRight();

// Each slot builds the form first: besides the form's own signals, the meta-object reaches them by name.
private slots:
    void closeDialog();
    void showImageSetting();
    void showAdvanceImageSetting();
    void showVideoOutputMode();
    void showMicrophoneSetting();
    void showRestartPage();
    void showProgressPage();
    void openLink();
    void setBuiltInCamera(int state);
    void setBuiltInCameraHdmi(int state);
    void setAuto();
    void setAuto(bool val);
    void setBrightness(int val);
    void setContrast(int val);
    void setSaturation(int val);
    void setSharpness(int val);
    void setWhiteBalance(int val);
    void outputModeChange(int index);
    void setH264Output(int index);
    void sensorModeChange(int index);
    void disableFrameRate();
    void resolutionChange(int index);
    void applyOutputMode();
    void setBasicCameraSettingDefault();
    void setAdvancedCameraSettingDefault();
    void setOutputModeDefault();
    void setBacklight(int val);
    void setNoise(int val);
    void setPowerFrquency(int val);
    void reStartProgerssBar();
    void changeCursor();
    void delayRestart();
    void pressBtnBack();
    void pressBtnBack_2();
    void pressBtnBack_4();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    // One slider row of the basic page, so that the four plain sliders share their binding, their
    // defaults and their phone commands.
    struct SliderRow
    {
        QSlider *slider;
        QLabel *title;
        QLabel *minimum;
        QLabel *maximum;
        QWidget *bar;
        uvc_control_range *range;
        int *lastValue;
        uint32_t (GeneralCamera::*readRange)(uvc_control_range *);
        uint32_t (GeneralCamera::*readValue)(float *);
        uint32_t (GeneralCamera::*readDefault)(float *);
        uint32_t (GeneralCamera::*write)(float);
        // The phone's command that sets the row and reports its changes.
        uint command;
        // On a ZR90 the phone neither sees nor resets this row.
        bool hiddenOnZR90;
    };

    void ensureForm();
    void connectControls();
    void setMessage(const QString &text);
    void checkStringLength();
    void changeToBigSize();
    void changeToSmallSize();
    void setWindowSizes(int width, int height);
    void sendReport(int command, QByteArray *flags);
    // The collector is connected for the one event only.
    void sendAnalytics(int command, QVariant data1 = QVariant(-1), QVariant data2 = QVariant(-1),
                       QVariant data3 = QVariant(-1), QVariant data4 = QVariant(-1),
                       QVariant data5 = QVariant(-1), QVariant data6 = QVariant(-1));

    // Binding, step by step.
    void quietControls();
    void bindSlider(const SliderRow &row);
    void bindWhiteBalance();
    void bindBacklight();
    void bindNoise();
    void bindPowerLine();
    void bindOrientation();
    void bindOutputFormats();
    void bindH264Output();
    void bindSensorMode();
    void bindFrameRate(const VideoFormat &active);
    void bindAudio();
    void setComboRowLook(QLabel *title, QComboBox *combo, bool supported);
    void setSliderRowLook(QLabel *title, QLabel *minimum, QLabel *maximum, QWidget *bar, bool supported);
    QList<SliderRow> sliderRows();

    void setSliderState(QSlider *slider, bool enabled);
    void setAutoLook(bool autoOn);
    void setToZR90Ui(bool isZR90);
    void setToNonZQ40Ui(bool unused);
    void changeH264MacUI();
    void getCameraVideoOutputSetting();
    bool checkListContainFps(int fps) const;
    bool checkListContainOutputMode(const QString &text) const;
    bool isTitleRow(int row) const;
    void addResolutionGroup(const QString &title, const QStringList &entries);
    void addFrameRatesFor(const QList<VideoFormat> &formats);
    int powerLineValueFor(int index) const;
    static int rowValue(const QComboBox *combo, int row);
    static int rowOfValue(const QComboBox *combo, float value);
    bool isSupportedCamera() const;
    void emitChange(uint id, std::initializer_list<qint32> values);

    // Applying and rebooting.
    bool isRestartRunning() const;
    void finishRestart();
    void reportResolution(const QString &resolutionWord);
    void reportOutputMode(const QString &resolutionWord);
    void showApplyFailure();

    // Remote commands.
    void applyRemoteValue(uint id, const QByteArray &payload);
    bool setRemoteValue(uint id, int value);
    bool selectRemoteRow(QComboBox *combo, int value, uint32_t (GeneralCamera::*write)(float));
    QByteArray remoteBasicDefaults();
    QByteArray remoteAdvancedDefaults();
    QByteArray remoteCurrentValues();
    QByteArray remoteCapabilities();

    Ui_CameraSettingDialog ui;
    bool m_formBuilt = false;
    bool m_isRecordModeLocked = false;

    bool m_isDragging = false;
    QPoint m_dragOrigin;
    bool m_isAutoWhiteBalance = false;
    GeneralCamera *m_camera = nullptr;
    int m_sensorModeValue = 0;
    QString m_frameRateText = QStringLiteral("0");
    int m_selectedWidth = 0;
    int m_selectedHeight = 0;
    uvc_control_range m_brightnessRange;
    uvc_control_range m_contrastRange;
    uvc_control_range m_saturationRange;
    uvc_control_range m_sharpnessRange;
    uvc_control_range m_whiteBalanceRange;
    bool m_isRemoteCommand = false;
    QTimer *m_restartTimer = nullptr;
    bool m_isRebooting = false;
    bool m_isHighestResolutionRemoved = false;
    int m_backlightIndex = 0;
    int m_powerFrequencyValue = 0;
    bool m_isOutputModeDefault = false;
    int m_currentAngle = 0;
    bool m_isH264Disabled = false;
    bool m_isH264Changed = false;
    bool m_isFrameRateSupported = true;
    BigData *m_bigData = nullptr;
    int m_cameraOrder = 0;
    int m_lastBrightness = 0;
    int m_lastContrast = 0;
    int m_lastSaturation = 0;
    int m_lastSharpness = 0;
    int m_lastWhiteBalance = 0;
    int m_lastBacklight = 0;
    int m_lastNoise = 0;
    int m_lastPowerFrequency = 0;
    int m_lastMirror = 0;
    int m_lastCeiling = 0;
    int m_lastAngle = 0;
    int m_isRotatedLeft = 0;
    int m_isRotatedRight = 0;
    int m_lastMicState = 0;
    int m_lastHdmiAudioState = 0;
    bool m_isBasicDefaultApplied = false;
    bool m_isAdvancedDefaultApplied = false;
    bool m_isSensorModeReboot = false;
    int m_restartTickMsecs = 1000;
    int m_restartFinishMsecs = 500;
    NotificationDialog *m_applyNotice = nullptr;
};

#endif // CAMERASETTINGDIALOG_H
