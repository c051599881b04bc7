#pragma once

#include "media/audiosample.h"
#include "media/videosample.h"

// Generated frames and sound for the movie tests: a moving pattern with a frame counter and noise
// (so the encoder has something to spend bits on), and a 440 Hz tone.
namespace WriterSamples {

QImage frameImage(int width, int height, int index);
platform::VideoSample frame(int width, int height, int index, qint64 timeUs);
// frames PCM frames of the tone starting at sample position firstFrame.
platform::AudioSample tone(int frames, qint64 firstFrame, qint64 timeUs);

} // namespace WriterSamples
