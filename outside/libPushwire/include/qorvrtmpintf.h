#pragma once

#include "pushwireglobal.h"

#include <QObject>
#include <QString>

// The live publisher as the capture session and the windows see it. The order of the virtual
// operations is part of the contract with callers built against this header: add new ones at the end.
class PUSHWIRE_EXPORT QorvRtmpIntf : public QObject
{
    Q_OBJECT

public:
    // Resolution levels of setResolutionLevel / getResolutionLevel.
    enum ResolutionLevel {
        Resolution1080p = 0,
        Resolution720p = 1,
        Resolution480p = 2,
        Resolution360p = 3
    };

    // Values of rtmpNotification.
    enum Notification {
        ConnectFailed = -1,
        DataFormatError = -2,
        StreamFailed = -3
    };

    explicit QorvRtmpIntf(QObject *parent = nullptr);
    ~QorvRtmpIntf() override;

    virtual int getUrl(QString *url) const = 0;
    virtual int setUrl(QString url) = 0;
    virtual int getStreamKey(QString *key) const = 0;
    virtual int setStreamKey(QString key) = 0;
    virtual int setFpsLevel(int fps) = 0;
    virtual int setResolutionLevel(int level) = 0;
    virtual int getResolutionLevel(int *level) const = 0;
    virtual int getFpsLevel(int *fps) const = 0;
    virtual int startPublish() = 0;
    virtual int stopPublish() = 0;
    virtual int lastNotification() const = 0;
    // Both busy queries cover every publisher of the process, not only this one.
    virtual bool isStreaming() const = 0;
    virtual void setStreamPending(bool pending) = 0;
    virtual bool isStreamPending() const = 0;
    virtual void setHasAudio(bool hasAudio) = 0;
    // The data are copied before the call returns; neither call waits for the network.
    virtual int sendAudioFrame(char *data, int len, qint64 timestampMs, int flags) = 0;
    virtual int sendVideoFrame(char *data, int len, qint64 timestampMs, int flags) = 0;

signals:
    void rtmpNotification(int code);
    void showUploadWarning(bool show);
    void liveStatus(int kbps, int fps);
    void reconnectServer();
    void streamFpsChanged(int fps);
    // The server accepted the stream: from here on pictures reach it. Sent again after a reconnect.
    void streamConnected();
};

// A new publisher object for each call; the caller keeps it for the life of the process.
extern "C" PUSHWIRE_EXPORT QorvRtmpIntf *acquireQorvRtmpImpl();
