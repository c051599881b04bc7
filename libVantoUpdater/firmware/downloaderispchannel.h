#pragma once

#include "ispchannel.h"

class IfFirmwareDownloader;

// The ISP channel of a real camera: the capture library's firmware downloader (not owned).
class VANTOUPDATER_EXPORT DownloaderIspChannel : public IspChannel
{
public:
    explicit DownloaderIspChannel(IfFirmwareDownloader *downloader);

    void setControlCamera(GeneralCamera *camera) override;
    bool checkHidSupported() override;
    bool findDevice() override;
    int getFirmwareVersion(char *buffer) override;

    int setIspStatus(int value) override;
    int getIspStatus(int *status, char *detail, int *extra) override;
    int setIspFileStart(char *name, int size, int reserved) override;
    int getIspFileStart(char *name, int *size, int *free) override;
    int setIspFileDownload(char *block) override;
    int getIspFileDownload(char *block) override;
    int setIspFileEnd(char *name, int size, int reserved) override;
    int getIspFileEnd(char *name, int *size, int *free) override;
    int setIspStart(char *payload) override;
    int getIspStart(int *value) override;
    int setIspStop(char *payload) override;
    int getIspStop(int *value) override;

private:
    IfFirmwareDownloader *m_downloader;
};
