#include "downloaderispchannel.h"

#include "firmware/iffirmwaredownloader.h"

DownloaderIspChannel::DownloaderIspChannel(IfFirmwareDownloader *downloader) : m_downloader(downloader)
{
}

void DownloaderIspChannel::setControlCamera(GeneralCamera *camera)
{
    m_downloader->setControlCamera(camera);
}

bool DownloaderIspChannel::checkHidSupported()
{
    return m_downloader->checkHidSupported();
}

bool DownloaderIspChannel::findDevice()
{
    return m_downloader->findDevice();
}

int DownloaderIspChannel::getFirmwareVersion(char *buffer)
{
    return m_downloader->getFirmwareVersion(buffer);
}

int DownloaderIspChannel::setIspStatus(int value)
{
    return m_downloader->setIspStatus(value);
}

int DownloaderIspChannel::getIspStatus(int *status, char *detail, int *extra)
{
    return m_downloader->getIspStatus(status, detail, extra);
}

int DownloaderIspChannel::setIspFileStart(char *name, int size, int reserved)
{
    return m_downloader->setIspFileStart(name, size, reserved);
}

int DownloaderIspChannel::getIspFileStart(char *name, int *size, int *free)
{
    return m_downloader->getIspFileStart(name, size, free);
}

int DownloaderIspChannel::setIspFileDownload(char *block)
{
    return m_downloader->setIspFileDownload(block);
}

int DownloaderIspChannel::getIspFileDownload(char *block)
{
    return m_downloader->getIspFileDownload(block);
}

int DownloaderIspChannel::setIspFileEnd(char *name, int size, int reserved)
{
    return m_downloader->setIspFileEnd(name, size, reserved);
}

int DownloaderIspChannel::getIspFileEnd(char *name, int *size, int *free)
{
    return m_downloader->getIspFileEnd(name, size, free);
}

int DownloaderIspChannel::setIspStart(char *payload)
{
    return m_downloader->setIspStart(payload);
}

int DownloaderIspChannel::getIspStart(int *value)
{
    return m_downloader->getIspStart(value);
}

int DownloaderIspChannel::setIspStop(char *payload)
{
    return m_downloader->setIspStop(payload);
}

int DownloaderIspChannel::getIspStop(int *value)
{
    return m_downloader->getIspStop(value);
}
