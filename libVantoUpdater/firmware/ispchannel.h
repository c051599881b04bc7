#pragma once

#include "vantoupdaterglobal.h"

class GeneralCamera;

// What the update object needs of a camera's firmware side: the version text and the steps of the
// in-system-programming handshake, each a set (the command) and a get (the camera's answer).
// Every call returns 0 on success and -1 on failure; on failure nothing is written to the buffers.
// The capture library's firmware downloader stands behind it in the program; tests put a scripted
// camera in its place.
class VANTOUPDATER_EXPORT IspChannel
{
public:
    static constexpr int RecordSize = 60;
    static constexpr int BlockSize = 508;
    static constexpr int NameSize = 52;
    static constexpr int DetailSize = 58;
    static constexpr int VersionSize = 32;

    virtual ~IspChannel();

    virtual void setControlCamera(GeneralCamera *camera) = 0;
    virtual bool checkHidSupported() = 0;
    virtual bool findDevice() = 0;
    virtual int getFirmwareVersion(char *buffer) = 0;

    virtual int setIspStatus(int value) = 0;
    virtual int getIspStatus(int *status, char *detail, int *extra) = 0;
    virtual int setIspFileStart(char *name, int size, int reserved) = 0;
    virtual int getIspFileStart(char *name, int *size, int *free) = 0;
    virtual int setIspFileDownload(char *block) = 0;
    virtual int getIspFileDownload(char *block) = 0;
    virtual int setIspFileEnd(char *name, int size, int reserved) = 0;
    virtual int getIspFileEnd(char *name, int *size, int *free) = 0;
    virtual int setIspStart(char *payload) = 0;
    virtual int getIspStart(int *value) = 0;
    virtual int setIspStop(char *payload) = 0;
    virtual int getIspStop(int *value) = 0;
};
