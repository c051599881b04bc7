#pragma once

#include "firmware/downloadlimits.h"
#include "updaterfunctions.h"
#include "vantoupdaterglobal.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>

class BoundedDownload;
class DownloadFolder;
class GeneralCamera;
class IfFirmwareDownloader;
class IspChannel;
class QEventLoop;
class QFile;
class QNetworkAccessManager;

// The update object: which software version is built in, which firmware the camera runs, which
// versions the update server offers, the downloads of the configuration, the software package and the
// firmware image, and the firmware transfer to the camera.
//
// Each object downloads into a private folder of its own (downloadFolder()), made when first needed and
// removed with the object; folders that a crashed run left behind are removed when the next folder is
// made.
// Every network call and the firmware transfer block the caller in a nested event loop, so the GUI
// keeps working while they run. Failures are result codes: checks 0 newer, 1 up to date, 2 the
// configuration could not be fetched; downloads true or false, with downloadFailure() saying why; the
// firmware transfer -1 to 3.
//
// Every download is bounded (DownloadLimits): the configuration to 256 KiB and 30 s, packages and
// firmware images to the build's size limit and a least rate (32 KiB/s), kept on average for the
// announced size and in every window of 30 s after the first 30 s; none is held whole in memory and
// none is asked for compressed.
class VANTOUPDATER_EXPORT VantoUpdater : public QObject
{
    Q_OBJECT

public:
    static const char SoftwareVersion[];
    static const char ConfigFileName[];
    static const char FirmwareFileName[];
    static const char WriteErrorText[];
    static constexpr int DefaultWatchdogInterval = 10000;
    static constexpr int DefaultReprogramInterval = 1000;
    static constexpr int DefaultFirmwareTimeLimit = 10 * 60 * 1000;
    static constexpr int AbsentTickLimit = 16;

    // Why the last download ended without a file; the dialogs tell the user.
    enum DownloadFailure {
        NoFailure,
        Cancelled,        // abortDownload()
        ConnectionLost,   // no answer, a network error, a body cut short, or silence past the watchdog
        TooSlow,          // less than the least rate, over a window of time or on average
        NotServed,        // no usable address or checksum in update.cfg, an answer other than 2xx, or
                          // one refused (a redirect or scheme not allowed, a compressed body)
        TooLarge,         // more than the size limit announced or sent
        ChecksumMismatch, // the body arrived whole but is not the package update.cfg names
        WriteFailed,      // the file could not be written; errorString() says so
        Busy,             // another download or the firmware transfer runs on this object
    };
    Q_ENUM(DownloadFailure)

    VantoUpdater();
    ~VantoUpdater() override;

    QString getCurrentSWVersion();
    QString getCurrentFWVersion();
    QString getRemoteFWVersion();
    QString getRemoteSWVersionWin();
    QString getRemoteSWFileName();
    int checkSWVersion(QString *remote);
    int checkFWVersion(QString *remote);
    void SetControlCamera(GeneralCamera *camera);

    // The value of key in the downloaded file fileName, or "EOF" when the file or the key is missing.
    QString showContent(QString fileName, QString key);
    bool mySW_VersionIsOlder(QString local, QString remote);
    bool myFW_VersionIsOlder(QString local, QString remote);

    // A download into the folder, stored under the sanitised last segment of the address's path, within
    // the package limits. True only for a 2xx answer whose body arrived in full and, when
    // expectedSha256 (hex) is given, matches it; anything else leaves no file behind. Clears
    // errorString() first.
    bool downloadFile(QUrl url, const QByteArray &expectedSha256 = QByteArray());
    bool downloadSWFile();
    bool downloadFWFile();
    void abortDownload();

    int CheckFWUpgrade();

    // The folder every download of this object lands in, ending in "/"; the update dialogs unpack the
    // package there. Empty when no private folder could be made (every download then fails).
    QString downloadFolder() const;
    QString errorString() const { return errorText; }
    DownloadFailure downloadFailure() const { return failure; }

    // The address update.cfg is read below: the build setting unless a test sets another.
    static QUrl updateServerBase();
    static void setUpdateServerBase(const QUrl &base);
    QUrl configUrl() const;

    // Intervals in milliseconds, for tests: the download silence limit, the reprogram poll period and
    // the overall limit of one firmware transfer.
    void setWatchdogInterval(int msecs);
    int watchdogInterval() const { return watchdogMsecs; }
    bool isWatchdogActive() const;
    // Size and time limits of the configuration download and of package and image downloads, for tests.
    void setConfigurationLimits(const DownloadLimits &limits) { configurationLimits = limits; }
    void setPackageLimits(const DownloadLimits &limits) { packageLimits = limits; }
    DownloadLimits packageDownloadLimits() const { return packageLimits; }
    // The clock the downloads' time limits are measured on (monotonic milliseconds), for tests.
    void setDownloadClock(std::function<qint64()> clock);
    void setReprogramInterval(int msecs);
    void setFirmwareTimeLimit(int msecs);
    // Puts another camera side in place of the capture library's downloader; takes ownership.
    void setIspChannel(IspChannel *channel);
    int lastReprogramPercent() const { return reprogramPercent; }

signals:
    void dataReadProgress(qint64 bytesRead, qint64 totalBytes);
    void sendPercentage(int percentage);

public slots:
    void httpReadyRead();
    void abortDownloading();
    void tempProgress(qint64 bytesRead, qint64 totalBytes);
    void onReprogramTimerTimeout();

private:
    QNetworkAccessManager *networkManager();
    QString configValue(const char *key) const;
    QString configPath() const;
    bool downloadPackage(const char *urlKey, const char *sha256Key);
    bool fetch(const QUrl &url, const DownloadLimits &limits, const QByteArray &expectedSha256 = QByteArray());
    bool fail(DownloadFailure why);
    DownloadFailure failureOfTransfer() const;

    bool readIspStatus(int *status, QByteArray *detail);
    int sendFirmwareImage();
    bool transferChunks(QFile &image, int chunk, QByteArray &name, int size);
    void sendIspStop();
    int runReprogramPhase();
    void endReprogramPhase();
    void reprogramStep();
    bool isFirmwareTimeUp() const;

    QEventLoop *reprogramLoop = nullptr;
    // Made by the first download (networkManager()); a child, so it goes after every download.
    QNetworkAccessManager *manager = nullptr;
    // The download in progress, if any; bounded, and holding its own watchdog.
    BoundedDownload *job;
    QString errorText;
    DownloadFailure failure = NoFailure;
    bool stopRequested = false;
    QTimer reprogramTimer;
    int ispPhase = 0;
    bool deviceSeen = false;
    int transferResult = 0;
    int reprogramPercent = 66;
    int absentTicks = 0;
    IfFirmwareDownloader *downloader;

    IspChannel *isp;
    // Made on first use: making it takes locks written through to the disk, which the program's start
    // has no reason to wait for.
    DownloadFolder *privateFolder() const;
    mutable DownloadFolder *folder = nullptr;
    QString lastFileName;
    int watchdogMsecs = DefaultWatchdogInterval;
    DownloadLimits configurationLimits = DownloadLimits::configuration();
    DownloadLimits packageLimits = DownloadLimits::package();
    int firmwareTimeLimit = DefaultFirmwareTimeLimit;
    QDeadlineTimer firmwareDeadline;
    bool transferRunning = false;
};
