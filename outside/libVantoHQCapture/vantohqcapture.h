#pragma once

#include "vantohqcaptureglobal.h"

#include <QImage>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class GeneralCamera;
class IfHQCapture;

// High-quality still capture of one camera window. doHQCapture returns at once; the picture is taken
// on the next turn of the event loop and finishedCapture follows with the path written, or with an
// empty path when nothing could be written (no camera, the camera did not answer, no frame).
class VANTOHQCAPTURE_EXPORT VantoHQCapture : public QObject
{
    Q_OBJECT

public:
    // Gives the latest full-resolution frame of the camera, for cameras without HQ capture.
    using FrameProvider = std::function<QImage()>;

    VantoHQCapture();
    ~VantoHQCapture() override;

    void setControlCamera(GeneralCamera *camera);
    void setFrameProvider(FrameProvider provider);
    void doHQCapture(QString path);
    void stopCapture();
    bool isCapturing() const { return m_pending; }

signals:
    void finishedCapture(QString path);

private:
    void capture(quint64 generation, const QString &path);
    bool captureFromCamera(const QString &path);
    bool captureFromFrame(const QString &path);

    GeneralCamera *m_camera = nullptr;
    IfHQCapture *m_hid = nullptr;
    FrameProvider m_frameProvider;
    bool m_pending = false;
    quint64 m_generation = 0;
};
