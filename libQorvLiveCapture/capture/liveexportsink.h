#pragma once

#include "media/audiosample.h"
#include "media/videosample.h"
#include "qorvlivecaptureglobal.h"

// Where a frame source's live export goes: the H.264 and AAC encoders that feed the publisher. The
// frame source switches it with the session's export, hands it the paced frames on the capture
// thread and the recorded sound on the audio thread.
class QORVLIVECAPTURE_EXPORT LiveExportSink
{
public:
    virtual ~LiveExportSink();

    // Export on at width x height and fps (0: the default rate); false when no encoder can be made,
    // and export then stays off.
    virtual bool enable(int width, int height, int fps) = 0;
    // Export off: frames inside the encoder are completed and the encoder released.
    virtual void disable() = 0;
    virtual void setFrameRate(int fps) = 0;
    // A paced frame; called on the capture thread, must not wait for the encoder.
    virtual void submitFrame(const platform::VideoSample &sample) = 0;
    // A block of the recorded sound while export is on.
    virtual void appendAudioSample(const platform::AudioSample &sample) = 0;
    // Frames handed over and not yet encoded: no new frame is handed over at 11.
    virtual int framesInEncoder() const = 0;
};
