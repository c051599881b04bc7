#pragma once

#include "firmware/downloadlimits.h"
#include "qorvlivecaptureglobal.h"

#include <QList>
#include <QObject>
#include <QSslError>
#include <QString>
#include <QUrl>

class BoundedDownload;
class DownloadFolder;
class GeneralCamera;
class LCCameraManager;
class LCGeneralCamera;
class QNetworkAccessManager;
class QTimer;
class UVCCameraControl;

// The camera firmware side of the library: the firmware version and one call per step of the
// in-system-programming handshake over the camera's HID channel. A step is a set (the command) and
// the get that reads the camera's answer to it; the order of the steps is the caller's.
// Every command returns 0 on success and -1 on failure or without a controlled camera that has a
// capture device; on failure nothing is written to the caller's buffers.
// It also carries a small downloader for firmware files, saved into the folder of the "QorvZubi" /
// "zubi_app_info" settings. Each download is bounded in size and time (DownloadLimits::package()) and
// streams into a private session folder below downloadsFolder() until it is complete.
class QORVLIVECAPTURE_EXPORT IfFirmwareDownloader : public QObject
{
    Q_OBJECT

public:
    // Sizes of the ISP records.
    static constexpr int IspRecordSize = 60;
    static constexpr int IspBlockSize = 508;
    static constexpr int IspNameSize = 52;
    static constexpr int IspDetailSize = 58;
    static constexpr int FirmwareVersionSize = 32;
    static constexpr int PeripheralVersionSize = 12;
    static constexpr int DefaultWatchdogInterval = 10000;

    explicit IfFirmwareDownloader(QObject *parent = nullptr);
    ~IfFirmwareDownloader() override;

    // Releases the held camera and takes a reference on the new one; null clears.
    void setControlCamera(GeneralCamera *camera);
    bool checkHidSupported() const;
    // Whether the held camera is still in the camera manager's list.
    bool findDevice() const;

    // 32 bytes of the firmware-version block; the version number is kept (see firmwareVersion()).
    int getFirmwareVersion(char *buffer);
    int firmwareVersion() const { return m_firmwareVersion; }
    // The text up to its first zero byte (at most length bytes) with every "." removed, as a decimal
    // number: "1.0.0.5" -> 1005, "2.1.3" -> 213; 0 when that is not a number.
    static int versionNumberFromText(const char *text, int length);

    int getIspStatus(int *status, char *detail, int *extra);
    int setIspStatus(int value);
    // name: the 52-byte name field.
    int getIspFileStart(char *name, int *size, int *free);
    int setIspFileStart(char *name, int size, int free);
    // block: 508 bytes.
    int getIspFileDownload(char *block);
    int setIspFileDownload(char *block);
    int getIspFileEnd(char *name, int *size, int *free);
    int setIspFileEnd(char *name, int size, int free);
    int getIspStart(int *status);
    // data: 60 bytes.
    int setIspStart(char *data);
    int getIspStop(int *status);
    int setIspStop(char *data);
    // 6 bytes each of the 12-byte peripheral-version block.
    int getCamVersion(char *buffer);
    int getSpeakerVersion(char *buffer);

    void doDownload(const QUrl &url);
    void setProgressFlag(bool on);
    bool checkNetworkAccessible() const;

    // The folder downloads are saved to, and the update-configuration file in it.
    static QString saveFolder();
    static QString updateConfigPath();
    // Where downloads stream to until they are complete; what a crashed run left there is removed
    // when the next downloader is made.
    static QString downloadsFolder();
    // The last path element of the url, reduced to a safe file name; "download" when nothing is left.
    static QString sanitisedFileName(const QUrl &url);

    // How long a get waits for the camera's answer (5000 ms unless changed), for the held camera.
    void setAnswerTimeout(int milliseconds);

    // Size and time limits of each download (DownloadLimits::package() unless changed, for tests).
    void setDownloadLimits(const DownloadLimits &limits);
    DownloadLimits downloadLimits() const { return m_limits; }

    // The watchdog's interval (10000 ms unless changed, for tests).
    void setWatchdogInterval(int milliseconds);
    int watchdogInterval() const;
    bool isWatchdogActive() const;

signals:
    // status false: the download failed, was cancelled or could not be saved.
    void saveFileToDisk(bool status, int phase);
    void sendPercentage(int percentage);
    void networkNoResponding();

public slots:
    void updateDownloadProgress(qint64 bytesRead, qint64 totalBytes);
    void sslErrors(QList<QSslError> errors);
    void onCancelDownloading();
    void onCheckNetworkTimerTimeout();

private:
    UVCCameraControl *control() const;
    QNetworkAccessManager *networkManager();
    void downloadFinished(BoundedDownload *transfer, const QString &name);
    bool saveToDisk(BoundedDownload *transfer, const QString &name);
    int sendRecord(int command, const char *record);
    int readRecord(int command, char *record);
    int setNameRecord(int command, const char *name, int nameBytes, int size, int free, bool endFlag);
    int getNameRecord(int command, char *name, int *size, int *free);
    int getPeripheralPart(char *buffer, int offset);

    LCCameraManager *m_cameraManager = nullptr;
    LCGeneralCamera *m_camera = nullptr;
    bool m_hasCaptureDevice = false;
    int m_answerTimeout = 5000;
    QNetworkAccessManager *m_networkManager = nullptr;
    QList<BoundedDownload *> m_transfers;
    DownloadFolder *m_downloads = nullptr;
    DownloadLimits m_limits = DownloadLimits::package();
    QTimer *m_watchdog = nullptr;
    bool m_progressFlag = false;
    bool m_cancelled = false;
    int m_savePhase = 0;
    int m_firmwareVersion = 0;
};
