#pragma once

#include "firmware/ispchannel.h"

#include <QByteArray>
#include <QList>
#include <QStringList>

#include <functional>

// A scripted camera behind the update object's ISP channel: it answers the handshake as told, keeps the
// image it receives and logs every command, and plays a list of polls during reprogramming.
class UpdaterFakeIsp : public IspChannel
{
public:
    struct Poll
    {
        bool present = true;
        int status = 4;
        QByteArray detail;
        bool statusFails = false;
    };

    // Set up by the test.
    QByteArray firmwareVersion = "1.0.0.5";
    bool versionFails = false;
    bool hidSupported = true;
    int statusBefore = 0;
    bool statusFails = false;
    QByteArray startAnswer = "isp_file_start_ack";
    int startSize = -1; // -1: echo the size sent
    int startFree = 8 * 1024 * 1024;
    QByteArray endAnswer = "isp_file_end_ack";
    int failChunk = -1; // index of the data block whose exchange fails
    // Played one per presence check during reprogramming; the last one repeats.
    QList<Poll> polls;
    std::function<void(int)> onChunk;

    // Seen by the test.
    QStringList log;
    QByteArray received;
    int chunks = 0;
    int sentSize = -1;
    GeneralCamera *camera = nullptr;

    void setControlCamera(GeneralCamera *c) override;
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
    static void writeName(char *name, const QByteArray &text);

    bool m_reprogramming = false;
    int m_poll = -1;
};
