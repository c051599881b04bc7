#pragma once

#include "qorvlivecaptureglobal.h"

#include <QList>
#include <QObject>
#include <QRecursiveMutex>

class QorvAudioDeviceSource;

// Every live audio device source of the process: restarts all sources of one input together when
// one of them stalls, and stops them before system sleep and starts them after wake.
class QORVLIVECAPTURE_EXPORT AudioDeviceManager : public QObject
{
    Q_OBJECT

public:
    enum PowerState { WillSleep = 0, Woke = 1 };

    static AudioDeviceManager *instance();
    static void destroy();

    void addDevice(QorvAudioDeviceSource *source);
    void removeDevice(const QString &objectId);
    // Stops, then starts again, every registered source on the same input as `source`.
    void resetDevice(QorvAudioDeviceSource *source);
    int deviceCount() const;

public slots:
    void handlePowerChange(int state);

private:
    explicit AudioDeviceManager(QObject *parent = nullptr);

    mutable QRecursiveMutex m_mutex;
    QList<QorvAudioDeviceSource *> m_sources;
};
