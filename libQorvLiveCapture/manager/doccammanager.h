#pragma once

#include "qorvlivecaptureglobal.h"

#include <QList>
#include <QMap>
#include <QObject>
#include <QString>

class GeneralCamera;
class QorvDocCam;

// The process-wide list of cameras and the news of their arrival and removal and of system sleep
// (powerStateChanged(0)) and wake (powerStateChanged(1)).
class QORVLIVECAPTURE_EXPORT DocCamManager : public QObject
{
    Q_OBJECT

public:
    // The manager, made on first use; the map is not used.
    static DocCamManager *getDocCamManager(QMap<QString, QString> options = QMap<QString, QString>());
    static void setModuleName(QString name);

    ~DocCamManager() override;

public slots:
    // A copy of the present cameras in list order; the flag is not used.
    virtual QList<GeneralCamera *> queryCameras(bool refresh) const = 0;
    virtual bool asyncSearchQorvWirelessCamera(QString address) = 0;

signals:
    void qorvDocCamDetected(QorvDocCam *docCam);
    void qorvDocCamRemoved(QorvDocCam *docCam);
    void nonQorvCameraDetected(GeneralCamera *camera);
    void nonQorvCameraRemoved(GeneralCamera *camera);
    void preferredQorvDocCamChanged(QorvDocCam *docCam);
    void preferredNonQorvCameraChanged(GeneralCamera *camera);
    void powerStateChanged(int state);

protected:
    using QObject::QObject;
};
