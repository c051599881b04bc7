#include "vantoupdater.h"

#include "config/updateconfig.h"
#include "config/versionnumber.h"
#include "download/downloadname.h"
#include "firmware/boundeddownload.h"
#include "firmware/downloaderispchannel.h"
#include "firmware/downloadfolder.h"
#include "firmware/iffirmwaredownloader.h"
#include "updaterfunctions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QStandardPaths>

#include <cstring>
#include <limits>

#ifndef VANTOUPDATER_SERVER_BASE
#define VANTOUPDATER_SERVER_BASE "https://update.qorv.example/"
#endif

Q_LOGGING_CATEGORY(lcUpdater, "lumidesk.updater", QtWarningMsg)

const char VantoUpdater::SoftwareVersion[] = "1.0.1003.6";
const char VantoUpdater::ConfigFileName[] = "update.cfg";
const char VantoUpdater::FirmwareFileName[] = "UpdaterFW.dat";
const char VantoUpdater::WriteErrorText[] = "Cannot write to hard disk, please check your permission.";

namespace {

const char MissingValue[] = "EOF";
const char FileStartAck[] = "isp_file_start_ack";
const char FileEndAck[] = "isp_file_end_ack";
const char FileError[] = "isp_file_err";
constexpr int TransferFirstPercent = 33;
constexpr int TransferLastPercent = 66;

// The per-user folder that holds the download folders of all update objects.
QString downloadsParent()
{
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    return cache.isEmpty() ? QString() : cache + QStringLiteral("/Lumidesk/VantoUpdater");
}

QUrl &serverBase()
{
    static QUrl base(QString::fromUtf8(VANTOUPDATER_SERVER_BASE));
    return base;
}

bool refusesCheck()
{
    // A build names no update server, or a reserved name: nothing is looked up or sent.
    if (isReachableHost(serverBase()))
        return false;
    qCInfo(lcUpdater) << "no update server configured; the check is not made";
    return true;
}

// The text of a fixed-size answer field: up to its first zero byte.
QByteArray fieldText(const QByteArray &field)
{
    const int end = field.indexOf('\0');
    return end < 0 ? field : field.left(end);
}

QByteArray nameField()
{
    QByteArray name(IspChannel::NameSize, '\0');
    std::memcpy(name.data(), VantoUpdater::FirmwareFileName, sizeof(VantoUpdater::FirmwareFileName) - 1);
    return name;
}

bool isSha256Hex(const QByteArray &text)
{
    if (text.size() != 64)
        return false;
    for (const char c : text) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F')))
            return false;
    }
    return true;
}

} // namespace

VantoUpdater::VantoUpdater()
    : job(new BoundedDownload([this] { return networkManager(); }, this)),
      downloader(new IfFirmwareDownloader(this)),
      isp(new DownloaderIspChannel(downloader))
{
    job->setSilenceLimit(watchdogMsecs);
    connect(job, &BoundedDownload::progress, this, &VantoUpdater::tempProgress);
    reprogramTimer.setInterval(DefaultReprogramInterval);
    connect(&reprogramTimer, &QTimer::timeout, this, &VantoUpdater::onReprogramTimerTimeout);
}

VantoUpdater::~VantoUpdater()
{
    stopRequested = true;
    reprogramTimer.stop();
    // Its answer goes before the network manager does, and its file before the folder.
    delete job;
    delete isp;
    delete downloader;
    delete folder;
}

DownloadFolder *VantoUpdater::privateFolder() const
{
    if (!folder) {
        folder = new DownloadFolder(downloadsParent());
        if (!folder->isValid())
            qCWarning(lcUpdater) << "no private download folder below" << downloadsParent();
    }
    return folder;
}

QNetworkAccessManager *VantoUpdater::networkManager()
{
    // Not made with the object: the first manager of the process loads Qt's network plug-ins, which
    // an updater made at start and never asked to download does not need.
    if (!manager)
        manager = new QNetworkAccessManager(this);
    return manager;
}

QString VantoUpdater::getCurrentSWVersion()
{
    return QString::fromLatin1(SoftwareVersion);
}

QString VantoUpdater::getCurrentFWVersion()
{
    QByteArray buffer(IspChannel::VersionSize + 1, '\0');
    if (isp->getFirmwareVersion(buffer.data()) != 0)
        return QString();
    return QString::fromLatin1(fieldText(buffer.left(IspChannel::VersionSize)));
}

QString VantoUpdater::getRemoteFWVersion()
{
    return showContent(QString::fromLatin1(ConfigFileName), QString::fromLatin1(UpdateConfig::FirmwareVersionKey));
}

QString VantoUpdater::getRemoteSWVersionWin()
{
    return showContent(QString::fromLatin1(ConfigFileName), QString::fromLatin1(UpdateConfig::WindowsVersionKey));
}

QString VantoUpdater::getRemoteSWFileName()
{
    return lastFileName;
}

int VantoUpdater::checkSWVersion(QString *remote)
{
    if (refusesCheck() || !fetch(configUrl(), configurationLimits))
        return 2;
    const QString key = QString::fromLatin1(isTestFileExists() ? UpdateConfig::TestSoftwareVersionKey
                                                               : UpdateConfig::SoftwareVersionKey);
    const QString offered = showContent(QString::fromLatin1(ConfigFileName), key);
    if (!mySW_VersionIsOlder(getCurrentSWVersion(), offered))
        return 1;
    if (remote)
        *remote = offered;
    return 0;
}

int VantoUpdater::checkFWVersion(QString *remote)
{
    if (refusesCheck() || !fetch(configUrl(), configurationLimits))
        return 2;
    const QString offered = getRemoteFWVersion();
    if (remote)
        *remote = offered;
    return myFW_VersionIsOlder(getCurrentFWVersion(), offered) ? 0 : 1;
}

void VantoUpdater::SetControlCamera(GeneralCamera *camera)
{
    isp->setControlCamera(camera);
}

QString VantoUpdater::showContent(QString fileName, QString key)
{
    if (!privateFolder()->isValid() || !DownloadName::isSafe(fileName))
        return QString::fromLatin1(MissingValue);
    const QString value = UpdateConfig::value(privateFolder()->filePath(fileName), key);
    return value.isNull() ? QString::fromLatin1(MissingValue) : value;
}

bool VantoUpdater::mySW_VersionIsOlder(QString local, QString remote)
{
    return VersionNumber::isOlder(local, remote);
}

bool VantoUpdater::myFW_VersionIsOlder(QString local, QString remote)
{
    return VersionNumber::isOlder(local, remote);
}

QString VantoUpdater::downloadFolder() const
{
    return privateFolder()->path();
}

QUrl VantoUpdater::updateServerBase()
{
    return serverBase();
}

void VantoUpdater::setUpdateServerBase(const QUrl &base)
{
    serverBase() = base;
}

QUrl VantoUpdater::configUrl() const
{
    return serverBase().resolved(QUrl(QStringLiteral("Tivlo/check4Update/") + QLatin1String(ConfigFileName)));
}

void VantoUpdater::setDownloadClock(std::function<qint64()> clock)
{
    job->setClock(std::move(clock));
}

void VantoUpdater::setWatchdogInterval(int msecs)
{
    watchdogMsecs = msecs;
    job->setSilenceLimit(msecs);
}

bool VantoUpdater::isWatchdogActive() const
{
    return job->isSilenceWatchdogActive();
}

void VantoUpdater::setReprogramInterval(int msecs)
{
    reprogramTimer.setInterval(msecs);
}

void VantoUpdater::setFirmwareTimeLimit(int msecs)
{
    firmwareTimeLimit = msecs;
}

void VantoUpdater::setIspChannel(IspChannel *channel)
{
    if (!channel || channel == isp)
        return;
    delete isp;
    isp = channel;
}

QString VantoUpdater::configValue(const char *key) const
{
    if (!privateFolder()->isValid())
        return QString();
    return UpdateConfig::value(configPath(), QString::fromLatin1(key));
}

QString VantoUpdater::configPath() const
{
    return privateFolder()->filePath(QString::fromLatin1(ConfigFileName));
}

// ---- Downloads ----

bool VantoUpdater::downloadFile(QUrl url, const QByteArray &expectedSha256)
{
    return fetch(url, packageLimits, expectedSha256);
}

bool VantoUpdater::fetch(const QUrl &url, const DownloadLimits &limits, const QByteArray &expectedSha256)
{
    // One download at a time, and none while the camera is being written.
    if (job->isRunning() || transferRunning)
        return fail(Busy);
    errorText.clear();
    lastFileName.clear();
    failure = NoFailure;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https")) {
        qCWarning(lcUpdater) << "refused to download" << url.toDisplayString();
        return fail(NotServed);
    }
    const QString name = DownloadName::fromUrl(url);
    job->setLimits(limits);
    // The body goes beside its final name and takes it only once complete and verified, so a failed or
    // cancelled download never leaves a file that could be taken for the package.
    if (name.isEmpty() || !privateFolder()->isValid() || !job->start(url, privateFolder()->filePath(name))) {
        errorText = QString::fromLatin1(WriteErrorText);
        return fail(WriteFailed);
    }
    if (job->isRunning()) {
        QEventLoop loop;
        connect(job, &BoundedDownload::finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
    failure = failureOfTransfer();
    if (failure == NoFailure && !expectedSha256.isEmpty() && job->sha256().toHex() != expectedSha256.toLower()) {
        qCWarning(lcUpdater) << "checksum mismatch of" << url.toDisplayString();
        failure = ChecksumMismatch;
    }
    if (failure == NoFailure && !job->commit())
        failure = WriteFailed;
    if (failure == WriteFailed)
        errorText = QString::fromLatin1(WriteErrorText);
    job->discard();
    if (failure != NoFailure)
        return false;
    lastFileName = name;
    return true;
}

bool VantoUpdater::fail(DownloadFailure why)
{
    failure = why;
    return false;
}

// The transfer's end in the terms the user is told; a 2xx answer cut short is a connection lost, an
// answer the server chose to give (404, say) is not.
VantoUpdater::DownloadFailure VantoUpdater::failureOfTransfer() const
{
    switch (job->result()) {
    case BoundedDownload::NotFinished:
    case BoundedDownload::Succeeded:
        break;
    case BoundedDownload::Failed:
        return job->answerStatus() >= 300 ? NotServed : ConnectionLost;
    case BoundedDownload::Silent:
        return ConnectionLost;
    case BoundedDownload::Refused:
        return NotServed;
    case BoundedDownload::TooLarge:
        return TooLarge;
    case BoundedDownload::TimedOut:
    case BoundedDownload::TooSlow:
        return TooSlow;
    case BoundedDownload::Cancelled:
        return Cancelled;
    case BoundedDownload::WriteFailed:
        return WriteFailed;
    }
    return NoFailure;
}

bool VantoUpdater::downloadSWFile()
{
    if (isTestFileExists())
        return downloadPackage(UpdateConfig::TestInstallerPathKey, UpdateConfig::TestInstallerSha256Key);
    return downloadPackage(UpdateConfig::InstallerPathKey, UpdateConfig::InstallerSha256Key);
}

bool VantoUpdater::downloadFWFile()
{
    stopRequested = false;
    return downloadPackage(UpdateConfig::FirmwareInstallerPathKey, UpdateConfig::FirmwareInstallerSha256Key);
}

bool VantoUpdater::downloadPackage(const char *urlKey, const char *sha256Key)
{
    // Whatever happens here, the package of an earlier download is no longer the one asked for.
    lastFileName.clear();
    const QString address = configValue(urlKey);
    const QByteArray sha256 = configValue(sha256Key).trimmed().toLatin1();
    // A missing address or checksum ends here: no request for "EOF", no unverified package.
    if (address.trimmed().isEmpty() || !isSha256Hex(sha256)) {
        qCWarning(lcUpdater) << "update.cfg lacks a usable" << urlKey << "or" << sha256Key;
        errorText.clear();
        return fail(NotServed);
    }
    return downloadFile(QUrl(address.trimmed(), QUrl::TolerantMode), sha256);
}

void VantoUpdater::abortDownload()
{
    if (job->isRunning()) {
        job->abort();
        return;
    }
    stopRequested = true;
    sendIspStop();
}

void VantoUpdater::httpReadyRead()
{
    job->readAvailable();
}

void VantoUpdater::abortDownloading()
{
    job->abort();
}

void VantoUpdater::tempProgress(qint64 bytesRead, qint64 totalBytes)
{
    emit dataReadProgress(bytesRead, totalBytes);
}

// ---- Firmware transfer ----

int VantoUpdater::CheckFWUpgrade()
{
    if (transferRunning || job->isRunning())
        return 3;
    transferRunning = true;
    firmwareDeadline = QDeadlineTimer(firmwareTimeLimit);
    int status = 0;
    // A status that cannot be read does not hold the transfer back: file start will tell.
    if (readIspStatus(&status, nullptr) && status != 0) {
        transferRunning = false;
        return -1;
    }
    int result = sendFirmwareImage();
    if (result != 0)
        sendIspStop();
    else
        result = runReprogramPhase();
    transferRunning = false;
    return result;
}

bool VantoUpdater::readIspStatus(int *status, QByteArray *detail)
{
    QByteArray text(IspChannel::DetailSize, '\0');
    int value = 0;
    int extra = 0;
    if (isp->setIspStatus(0) != 0 || isp->getIspStatus(&value, text.data(), &extra) != 0)
        return false;
    *status = value;
    if (detail)
        *detail = fieldText(text);
    return true;
}

int VantoUpdater::sendFirmwareImage()
{
    if (!privateFolder()->isValid())
        return 3;
    QFile image(privateFolder()->filePath(QString::fromLatin1(FirmwareFileName)));
    if (!image.open(QIODevice::ReadOnly) || image.size() > std::numeric_limits<int>::max())
        return 3;
    const int chunk = isp->checkHidSupported() ? IspChannel::BlockSize : IspChannel::RecordSize;
    int size = int(image.size());
    QByteArray name = nameField();
    int taken = 0;
    int free = 0;
    if (isp->setIspFileStart(name.data(), size, 0) == 0)
        isp->getIspFileStart(name.data(), &taken, &free);

    bool chunkError = false;
    if (fieldText(name) == FileStartAck && taken < free) {
        size = taken;
        chunkError = transferChunks(image, chunk, name, size);
    }
    const QByteArray answer = fieldText(name);
    if (answer == FileError)
        return 1;
    if (chunkError)
        return 2;
    return answer == FileEndAck ? 0 : 3;
}

// Sends the image in chunks and then the file end; true when a chunk exchange failed.
bool VantoUpdater::transferChunks(QFile &image, int chunk, QByteArray &name, int size)
{
    const bool hid = isp->checkHidSupported();
    // The data command always carries a full block: a short chunk goes out zero-padded.
    QByteArray block(IspChannel::BlockSize, '\0');
    QByteArray answer(IspChannel::BlockSize, '\0');
    int step = 1;
    qint64 sent = chunk;
    bool error = false;
    for (;;) {
        if (stopRequested || isFirmwareTimeUp())
            break;
        if (image.read(block.data(), chunk) <= 0)
            break;
        if (isp->setIspFileDownload(block.data()) != 0 || (hid && isp->getIspFileDownload(answer.data()) != 0)) {
            error = true;
            break;
        }
        block.fill('\0');
        if (qint64(size / 100) * step <= sent) {
            // The camera's size answer drives the steps; it must not push the bar out of its third.
            emit sendPercentage(qBound(TransferFirstPercent, step / 3 + TransferFirstPercent, TransferLastPercent));
            ++step;
        }
        sent += chunk;
        QCoreApplication::processEvents();
    }
    name = nameField();
    if (stopRequested || isFirmwareTimeUp())
        return error;
    int taken = 0;
    int free = 0;
    if (isp->setIspFileEnd(name.data(), size, 0) == 0)
        isp->getIspFileEnd(name.data(), &taken, &free);
    return error;
}

void VantoUpdater::sendIspStop()
{
    QByteArray payload(IspChannel::RecordSize, '\0');
    int value = 0;
    if (isp->setIspStop(payload.data()) == 0)
        isp->getIspStop(&value);
}

int VantoUpdater::runReprogramPhase()
{
    QByteArray payload(IspChannel::RecordSize, '\0');
    int value = 0;
    if (isp->setIspStart(payload.data()) == 0)
        isp->getIspStart(&value);
    ispPhase = 0;
    deviceSeen = false;
    absentTicks = 0;
    transferResult = 1;
    QEventLoop loop;
    reprogramLoop = &loop;
    reprogramTimer.start();
    loop.exec();
    reprogramLoop = nullptr;
    return transferResult;
}

void VantoUpdater::onReprogramTimerTimeout()
{
    if (isFirmwareTimeUp()) {
        qCWarning(lcUpdater) << "the camera did not finish reprogramming in time";
        transferResult = 1;
        endReprogramPhase();
        return;
    }
    if (!isp->findDevice()) {
        if (!deviceSeen) {
            transferResult = 1;
            endReprogramPhase();
            return;
        }
        // Gone after it had answered: it is rebooting into the new firmware.
        transferResult = 0;
        ++absentTicks;
        reprogramStep();
        if (absentTicks >= AbsentTickLimit)
            endReprogramPhase();
        return;
    }
    deviceSeen = true;
    int status = -1;
    QByteArray detail;
    if (!readIspStatus(&status, &detail))
        status = -1;
    switch (status) {
    case 3:
    case 7:
        ispPhase = status;
        break;
    case 4:
    case 5:
        ispPhase = status;
        reprogramStep();
        break;
    case 6: {
        ispPhase = 6;
        const int comma = detail.lastIndexOf(',');
        if (comma > 0 && detail.at(comma - 1) == '2') {
            transferResult = 1;
            endReprogramPhase();
        }
        break;
    }
    default:
        reprogramStep();
        break;
    }
}

void VantoUpdater::endReprogramPhase()
{
    reprogramTimer.stop();
    if (reprogramLoop)
        reprogramLoop->exit(0);
    emit sendPercentage(100);
}

void VantoUpdater::reprogramStep()
{
    reprogramPercent = reprogramPercent <= 97 ? reprogramPercent + 1 : 99;
    emit sendPercentage(reprogramPercent);
}

bool VantoUpdater::isFirmwareTimeUp() const
{
    return firmwareDeadline.hasExpired();
}
