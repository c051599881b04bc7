#pragma once

#include "vantohqcaptureglobal.h"

#include <QByteArray>
#include <QImage>
#include <QObject>
#include <QString>

#include <functional>

class GeneralCamera;
class IfHQCapture;

// High-quality still capture of one camera window. doHQCapture returns at once; the picture is taken
// piece by piece on later turns of the event loop (the window stays responsive), and finishedCapture
// follows with the path written, or with an empty path when nothing could be written (no camera, the
// camera did not answer, no frame). A camera that does not answer, not within the time limit, or with
// a picture that does not decode, gets the latest full frame written instead: what is written always
// reads as a picture. One capture runs at a time: a request while one runs is refused.
class VANTOHQCAPTURE_EXPORT VantoHQCapture : public QObject
{
    Q_OBJECT

public:
    // Gives the latest full-resolution frame of the camera, for cameras without HQ capture.
    using FrameProvider = std::function<QImage()>;
    // Milliseconds of a monotonic clock.
    using Clock = std::function<qint64()>;

    static constexpr int DefaultTimeLimitMs = 30000;

    VantoHQCapture();
    ~VantoHQCapture() override;

    void setControlCamera(GeneralCamera *camera);
    void setFrameProvider(FrameProvider provider);
    // How long the camera may take for one picture, from the request to its last piece.
    void setTimeLimit(int milliseconds) { m_timeLimitMs = milliseconds; }
    void setClock(Clock clock);
    // False, and nothing happens, while another capture runs.
    bool doHQCapture(QString path);
    void stopCapture();
    bool isCapturing() const { return m_pending; }

signals:
    void finishedCapture(QString path);

private:
    void step(quint64 generation);
    bool startFromCamera();
    // True when the picture is complete; false to go on; *failed when the camera gave up.
    bool readPieces(bool *failed);
    // The camera's picture is whole and decodes: anything else is never written.
    bool pictureDecodes() const;
    bool writePicture();
    void finish(bool fromCamera);
    bool captureFromFrame(const QString &path);
    bool timedOut() const;

    GeneralCamera *m_camera = nullptr;
    IfHQCapture *m_hid = nullptr;
    FrameProvider m_frameProvider;
    Clock m_clock;
    int m_timeLimitMs = DefaultTimeLimitMs;
    bool m_pending = false;
    quint64 m_generation = 0;

    // The capture under way.
    QString m_path;
    qint64 m_deadline = 0;
    bool m_started = false;
    quint32 m_size = 0;
    int m_nextPiece = 0;
    QByteArray m_picture;
};
