#pragma once

#include "qorvlivecaptureglobal.h"

#include <QObject>

class GeneralCamera;
class LCCameraManager;
class LCGeneralCamera;
class UVCCameraControl;

// The high-quality snapshot commands of one camera over its HID data channel: a capture command
// whose answer tells the size of the picture the camera took, then one data command per 505-byte
// piece of it. Answers are 508 bytes: a 3-byte header (report id 9, form, command), the payload.
class QORVLIVECAPTURE_EXPORT IfHQCapture : public QObject
{
    Q_OBJECT

public:
    static constexpr int AnswerSize = 508;
    static constexpr int AnswerHeaderSize = 3;
    static constexpr int DataSize = AnswerSize - AnswerHeaderSize;

    explicit IfHQCapture(QObject *parent = nullptr);
    ~IfHQCapture() override;

    // Releases the held camera and takes a reference on the new one; null clears.
    void setControlCamera(GeneralCamera *camera);

    // 0 when the command was sent, -1 without a usable camera or when it failed.
    int setSnapshot(int value);
    int setSnapshotData(int index);
    // 0 with the answer copied (508 bytes, or the 505 data bytes after the header); -1, the buffer
    // untouched, without a usable camera or when no answer came.
    int getSnapshot(char *buffer);
    int getSnapshotData(char *buffer);

private:
    UVCCameraControl *control() const;
    int readAnswer(char *answer, bool data);

    LCCameraManager *m_cameraManager = nullptr;
    LCGeneralCamera *m_camera = nullptr;
    bool m_hasCaptureDevice = false;
};
