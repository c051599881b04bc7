#pragma once

#include "capture/qorvcapturesource.h"
#include "qorvlivecaptureglobal.h"

#include <QList>
#include <QString>

class QorvAudioDeviceSource;

// The sound source of a capture session (type Audio): names the input whose sound the frame source
// records and streams, and owns the device source that meters it.
class QORVLIVECAPTURE_EXPORT QorvAudioSource : public QorvCaptureSource
{
    Q_OBJECT

public:
    QorvAudioSource(QString name, QString uuid, int index, QObject *parent = nullptr);
    ~QorvAudioSource() override;

    QString currentSourceID() override;
    QString currentUuid() override;
    int getFrameSourceType(SourceType *type) override;

    virtual int setVolume(qint8 volume);
    virtual int getVolume(qint8 *volume);
    qint64 getAudioTime() const;

    QorvAudioDeviceSource *deviceSource() const { return m_device; }

    // The names of the inputs; -1000 for a null list.
    static int getAvailableSources(QList<QString> *names);
    // Names and unique ids in parallel, of the inputs that can be captured; -1000 for a null list.
    // Both read a list kept current in the background: a call costs microseconds and never waits on
    // the sound server. QorvAudioSourceWatcher tells when the list changed.
    static int getAvailableSources(QList<QString> *names, QList<QString> *uuids);

private:
    QorvAudioDeviceSource *m_device = nullptr;
};
