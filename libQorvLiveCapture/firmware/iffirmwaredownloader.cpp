#include "firmware/iffirmwaredownloader.h"

#include "camera/lcgeneralcamera.h"
#include "camera/lcgeneralcameraimpl.h"
#include "capturelog.h"
#include "firmware/boundeddownload.h"
#include "firmware/downloadfolder.h"
#include "manager/lccameramanager.h"
#include "uvc/uvccameracontrol.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkInterface>
#include <QRegularExpression>
#include <QSettings>
#include <QTimer>
#include <QtEndian>

#include <cstdio>
#include <cstring>

namespace {

constexpr int SizeOffset = 52;
constexpr int FreeOffset = 56;
constexpr int ExtraOffset = 59;
constexpr int EndNameBytes = 51;
constexpr int MaxFileNameLength = 200;

const char *const UpdateConfigName = "zubiUpdate.cfg";

int bytesOfName(const char *name, int maximum)
{
    const void *end = std::memchr(name, 0, size_t(maximum));
    return end ? int(static_cast<const char *>(end) - name) : maximum;
}

} // namespace

IfFirmwareDownloader::IfFirmwareDownloader(QObject *parent)
    : QObject(parent),
      m_cameraManager(LCCameraManager::instance()),
      m_watchdog(new QTimer(this))
{
    m_watchdog->setInterval(DefaultWatchdogInterval);
    connect(m_watchdog, &QTimer::timeout, this, &IfFirmwareDownloader::onCheckNetworkTimerTimeout);
    DownloadFolder::removeAbandoned(downloadsFolder());
}

IfFirmwareDownloader::~IfFirmwareDownloader()
{
    // Before the network manager and its replies go, and without their last signals reaching a
    // half-destroyed object.
    const QList<BoundedDownload *> running = m_transfers;
    m_transfers.clear();
    for (BoundedDownload *transfer : running) {
        disconnect(transfer, nullptr, this, nullptr);
        delete transfer;
    }
    delete m_downloads;
    setControlCamera(nullptr);
    QFile::remove(updateConfigPath());
}

void IfFirmwareDownloader::setControlCamera(GeneralCamera *camera)
{
    LCGeneralCamera *next = qobject_cast<LCGeneralCamera *>(camera);
    // The new reference first: handing over the camera already held must not free it.
    if (next)
        next->incRef();
    if (m_camera)
        m_camera->decRef();
    m_camera = next;
    m_hasCaptureDevice = next && !next->getAVCaptureDevice().isNull();
}

bool IfFirmwareDownloader::checkHidSupported() const
{
    return true;
}

bool IfFirmwareDownloader::findDevice() const
{
    return m_camera && m_cameraManager->queryCameras(false).contains(m_camera);
}

UVCCameraControl *IfFirmwareDownloader::control() const
{
    if (!m_camera || !m_hasCaptureDevice || !m_camera->impl())
        return nullptr;
    UVCCameraControl *uvc = m_camera->impl()->uvcControl();
    if (uvc)
        uvc->setHidTimeout(m_answerTimeout);
    return uvc;
}

void IfFirmwareDownloader::setAnswerTimeout(int milliseconds)
{
    m_answerTimeout = qMax(0, milliseconds);
}

int IfFirmwareDownloader::versionNumberFromText(const char *text, int length)
{
    if (!text || length <= 0)
        return 0;
    QByteArray digits(text, bytesOfName(text, length));
    digits = digits.trimmed();
    digits.replace('.', QByteArray());
    bool ok = false;
    const int number = digits.toInt(&ok);
    return ok ? number : 0;
}

int IfFirmwareDownloader::getFirmwareVersion(char *buffer)
{
    UVCCameraControl *uvc = control();
    if (!uvc || !buffer)
        return -1;
    char block[FirmwareVersionSize] = {};
    const bool read = uvc->getFWVersion(block);
    qCDebug(lcCapture, " ret == %d ", read ? 1 : 0);
    if (!read)
        return -1;
    std::memcpy(buffer, block, FirmwareVersionSize);
    m_firmwareVersion = versionNumberFromText(block, FirmwareVersionSize);
    return 0;
}

int IfFirmwareDownloader::sendRecord(int command, const char *record)
{
    UVCCameraControl *uvc = control();
    if (!uvc || !record)
        return -1;
    bool sent = false;
    if (command == UVCCameraControl::HID_ISP_Start)
        sent = uvc->setISP_Start(record);
    else if (command == UVCCameraControl::HID_ISP_Stop)
        sent = uvc->setISP_Stop(record);
    else
        sent = uvc->setHidProperty(uint8_t(command), record, IspRecordSize);
    return sent ? 0 : -1;
}

int IfFirmwareDownloader::readRecord(int command, char *record)
{
    UVCCameraControl *uvc = control();
    return uvc && uvc->getHidProperty(uint8_t(command), record, IspRecordSize) ? 0 : -1;
}

int IfFirmwareDownloader::getIspStatus(int *status, char *detail, int *extra)
{
    char record[IspRecordSize];
    if (!status || readRecord(UVCCameraControl::HID_ISP_Status, record) != 0)
        return -1;
    *status = uchar(record[0]);
    if (detail)
        std::memcpy(detail, record + 1, IspDetailSize);
    if (extra)
        *extra = uchar(record[ExtraOffset]);
    return 0;
}

int IfFirmwareDownloader::setIspStatus(int value)
{
    char record[IspRecordSize] = {};
    record[0] = char(value & 0xff);
    return sendRecord(UVCCameraControl::HID_ISP_Status, record);
}

int IfFirmwareDownloader::setNameRecord(int command, const char *name, int nameBytes, int size,
                                        int free, bool endFlag)
{
    if (!name)
        return -1;
    char record[IspRecordSize] = {};
    // A name shorter than its field ends at its zero byte; nothing past it is read.
    std::memcpy(record, name, size_t(bytesOfName(name, nameBytes)));
    if (endFlag)
        record[EndNameBytes] = 1;
    qToLittleEndian<quint32>(quint32(size), record + SizeOffset);
    qToLittleEndian<quint32>(quint32(free), record + FreeOffset);
    return sendRecord(command, record);
}

int IfFirmwareDownloader::getNameRecord(int command, char *name, int *size, int *free)
{
    char record[IspRecordSize];
    if (!name || !size || !free || readRecord(command, record) != 0)
        return -1;
    std::memcpy(name, record, IspNameSize);
    *size = int(qFromLittleEndian<quint32>(record + SizeOffset));
    *free = int(qFromLittleEndian<quint32>(record + FreeOffset));
    return 0;
}

int IfFirmwareDownloader::getIspFileStart(char *name, int *size, int *free)
{
    return getNameRecord(UVCCameraControl::HID_ISP_File_Start, name, size, free);
}

int IfFirmwareDownloader::setIspFileStart(char *name, int size, int free)
{
    return setNameRecord(UVCCameraControl::HID_ISP_File_Start, name, IspNameSize, size, free, false);
}

int IfFirmwareDownloader::getIspFileDownload(char *block)
{
    UVCCameraControl *uvc = control();
    char answer[IspBlockSize];
    if (!uvc || !block || !uvc->getHIDISP_File_Download(answer))
        return -1;
    std::memcpy(block, answer, IspBlockSize);
    return 0;
}

int IfFirmwareDownloader::setIspFileDownload(char *block)
{
    UVCCameraControl *uvc = control();
    return uvc && block && uvc->setHIDISP_File_Download(block) ? 0 : -1;
}

int IfFirmwareDownloader::getIspFileEnd(char *name, int *size, int *free)
{
    const int result = getNameRecord(UVCCameraControl::HID_ISP_File_End, name, size, free);
    if (result == 0) {
        qCDebug(lcCapture, "name %s, size %d, free %d",
                QByteArray(name, bytesOfName(name, IspNameSize)).constData(), *size, *free);
    }
    return result;
}

int IfFirmwareDownloader::setIspFileEnd(char *name, int size, int free)
{
    return setNameRecord(UVCCameraControl::HID_ISP_File_End, name, EndNameBytes, size, free, true);
}

int IfFirmwareDownloader::getIspStart(int *status)
{
    char record[IspRecordSize];
    if (!status || readRecord(UVCCameraControl::HID_ISP_Start, record) != 0)
        return -1;
    *status = uchar(record[0]);
    return 0;
}

int IfFirmwareDownloader::setIspStart(char *data)
{
    return sendRecord(UVCCameraControl::HID_ISP_Start, data);
}

int IfFirmwareDownloader::getIspStop(int *status)
{
    char record[IspRecordSize];
    if (!status || readRecord(UVCCameraControl::HID_ISP_Stop, record) != 0)
        return -1;
    *status = uchar(record[0]);
    return 0;
}

int IfFirmwareDownloader::setIspStop(char *data)
{
    return sendRecord(UVCCameraControl::HID_ISP_Stop, data);
}

int IfFirmwareDownloader::getPeripheralPart(char *buffer, int offset)
{
    UVCCameraControl *uvc = control();
    char block[PeripheralVersionSize] = {};
    if (!uvc || !buffer || !uvc->getPeripheralVersion(block))
        return -1;
    std::memcpy(buffer, block + offset, PeripheralVersionSize / 2);
    return 0;
}

int IfFirmwareDownloader::getCamVersion(char *buffer)
{
    return getPeripheralPart(buffer, 0);
}

int IfFirmwareDownloader::getSpeakerVersion(char *buffer)
{
    return getPeripheralPart(buffer, PeripheralVersionSize / 2);
}

// Downloads.

QString IfFirmwareDownloader::saveFolder()
{
    // The user's own settings folder: a system-wide one is not writable without privileges here.
    const QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("QorvZubi"),
                             QStringLiteral("zubi_app_info"));
    return QFileInfo(settings.fileName()).absolutePath();
}

QString IfFirmwareDownloader::updateConfigPath()
{
    return saveFolder() + QLatin1Char('/') + QLatin1String(UpdateConfigName);
}

QString IfFirmwareDownloader::downloadsFolder()
{
    // Beside the saved files, so a finished download moves into place by a rename.
    return saveFolder() + QStringLiteral("/downloads");
}

QString IfFirmwareDownloader::sanitisedFileName(const QUrl &url)
{
    static const QRegularExpression unsafe(QStringLiteral("[^A-Za-z0-9._-]"));
    QString name = QFileInfo(url.path()).fileName();
    name.remove(unsafe);
    // No hidden file and no "." or "..".
    while (name.startsWith(QLatin1Char('.')))
        name.remove(0, 1);
    name.truncate(MaxFileNameLength);
    return name.isEmpty() ? QStringLiteral("download") : name;
}

QNetworkAccessManager *IfFirmwareDownloader::networkManager()
{
    // Made by the first request, not with the downloader: the first manager of the process loads Qt's
    // network plug-ins. A child, so it goes after the destructor has ended every download.
    if (!m_networkManager)
        m_networkManager = new QNetworkAccessManager(this);
    return m_networkManager;
}

void IfFirmwareDownloader::doDownload(const QUrl &url)
{
    m_watchdog->start();
    m_cancelled = false;
    if (!m_downloads)
        m_downloads = new DownloadFolder(downloadsFolder());
    const QString name = sanitisedFileName(url);
    auto *transfer = new BoundedDownload([this] { return networkManager(); }, this);
    transfer->setLimits(m_limits);
    connect(transfer, &BoundedDownload::progress, this, &IfFirmwareDownloader::updateDownloadProgress);
    connect(transfer, &BoundedDownload::sslErrors, this, &IfFirmwareDownloader::sslErrors);
    connect(transfer, &BoundedDownload::finished, this,
            [this, transfer, name] { downloadFinished(transfer, name); });
    m_transfers.append(transfer);
    if (!m_downloads->isValid() || !transfer->start(url, m_downloads->filePath(name))) {
        // Reported like any other failed download: later, from the event loop.
        QMetaObject::invokeMethod(this, [this, transfer, name] { downloadFinished(transfer, name); },
                                  Qt::QueuedConnection);
    }
}

void IfFirmwareDownloader::setDownloadLimits(const DownloadLimits &limits)
{
    m_limits = limits;
}

void IfFirmwareDownloader::setProgressFlag(bool on)
{
    m_progressFlag = on;
}

bool IfFirmwareDownloader::checkNetworkAccessible() const
{
    const QList<QNetworkInterface> interfaces = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface &interface : interfaces) {
        const QNetworkInterface::InterfaceFlags flags = interface.flags();
        if (flags.testFlag(QNetworkInterface::IsUp) && !flags.testFlag(QNetworkInterface::IsLoopBack)
            && !interface.addressEntries().isEmpty()) {
            return true;
        }
    }
    return false;
}

void IfFirmwareDownloader::setWatchdogInterval(int milliseconds)
{
    m_watchdog->setInterval(milliseconds);
}

int IfFirmwareDownloader::watchdogInterval() const
{
    return m_watchdog->interval();
}

bool IfFirmwareDownloader::isWatchdogActive() const
{
    return m_watchdog->isActive();
}

void IfFirmwareDownloader::updateDownloadProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (m_cancelled)
        return;
    // Data is flowing: the network is answering.
    if (!m_transfers.isEmpty())
        m_watchdog->start();
    // An unknown total comes as -1 and a total of 0 says nothing: both show 0.
    const int percent = totalBytes > 0 ? int(qBound<qint64>(0, bytesRead * 100 / totalBytes, 100)) : 0;
    emit sendPercentage(percent);
}

void IfFirmwareDownloader::sslErrors(QList<QSslError> errors)
{
    // Not ignored: the download fails and is reported as such (the transfer has logged them).
    Q_UNUSED(errors)
}

void IfFirmwareDownloader::onCancelDownloading()
{
    m_cancelled = true;
    m_watchdog->stop();
    const QList<BoundedDownload *> running = m_transfers;
    for (BoundedDownload *transfer : running)
        transfer->abort();
}

void IfFirmwareDownloader::onCheckNetworkTimerTimeout()
{
    m_watchdog->stop();
    emit networkNoResponding();
}

void IfFirmwareDownloader::downloadFinished(BoundedDownload *transfer, const QString &name)
{
    if (!m_transfers.removeOne(transfer))
        return;
    if (m_transfers.isEmpty())
        m_watchdog->stop();
    bool ok = !m_cancelled && transfer->result() == BoundedDownload::Succeeded;
    if (ok) {
        ok = saveToDisk(transfer, name);
    } else {
        qCWarning(lcCapture, "Firmware download of %s failed (%d)%s", qPrintable(name), int(transfer->result()),
                  m_cancelled ? ", cancelled" : "");
    }
    transfer->discard();
    transfer->deleteLater();
    emit saveFileToDisk(ok, ok ? m_savePhase : 0);
}

bool IfFirmwareDownloader::saveToDisk(BoundedDownload *transfer, const QString &name)
{
    // The body is on disk already, beside its name in the session folder; it takes that name and then
    // moves over whatever an earlier download saved.
    const QString target = saveFolder() + QLatin1Char('/') + name;
    if (!transfer->commit()
        || std::rename(QFile::encodeName(m_downloads->filePath(name)).constData(),
                       QFile::encodeName(target).constData()) != 0) {
        qCWarning(lcCapture, "Firmware download: cannot write %s", qPrintable(target));
        QFile::remove(m_downloads->filePath(name));
        return false;
    }
    m_savePhase = m_progressFlag ? 2 : 1;
    return true;
}
