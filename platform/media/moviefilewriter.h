#pragma once

#include "media/audiosample.h"
#include "media/moviesettings.h"
#include "media/videosample.h"

#include <QMutex>
#include <QString>

#include <memory>

struct AVPacket;

namespace platform {

// Writes one QuickTime movie: H.264 video (libx264) and AAC audio (FFmpeg's own encoder), muxed as a
// fragmented movie so that everything up to the last fragment survives a crash or a kill. Every
// picture goes to the file in a fragment of its own once the next one is encoded, and a write that
// fails (a full disk) leaves the file cut back to its last whole fragment: it plays either way.
//
// Both tracks start at the session's zero, whichever of them brings its first sample first and
// however far apart the first samples are: the first picture is shown from zero and the time before
// the first sound is silence.
//
// The life cycle follows the asset writers recording programs are used to: start writing (opens the
// file), start a session at a source time (time stamps are relative to it), append samples, end the
// session, finish writing (flushes the encoders and closes the file). Every call is serialised by an
// internal lock, so appends on a saving thread and a finish on another thread are safe; a finish
// waits for at most the append in progress.
class MovieFileWriter
{
public:
    // The values match the status codes the capture library logs.
    enum Status {
        Unknown = 0,
        Writing = 1,
        Completed = 2,
        Failed = 3,
        Cancelled = 4,
    };

    MovieFileWriter(const QString &path, const MovieSettings &settings);
    ~MovieFileWriter(); // finishes a file still being written, so nothing is lost

    MovieFileWriter(const MovieFileWriter &) = delete;
    MovieFileWriter &operator=(const MovieFileWriter &) = delete;

    QString path() const { return m_path; }
    MovieSettings settings() const { return m_settings; }

    // Opens the file and writes the movie header. Refuses to replace an existing file.
    bool startWriting();
    void startSession(qint64 sourceTimeUs);
    bool isSessionStarted() const;
    // Samples after the end time are refused; the session's end does not close the file.
    void endSession(qint64 sourceTimeUs);

    bool isReadyForMoreMediaData() const;
    bool appendVideo(const VideoSample &sample);
    bool appendAudio(const AudioSample &sample);

    // Flushes both encoders, writes the trailer and closes the file. False when the movie could not
    // be completed; the fragments already written stay readable. A file that never received a frame
    // (nothing appended, or the disk full from the start) is removed, whatever the result.
    bool finishWriting();
    // Closes the file without flushing the encoders; a file without a frame is removed.
    void cancelWriting();

    Status status() const;
    QString errorString() const;
    qint64 videoFramesWritten() const;
    qint64 audioFramesWritten() const; // PCM frames handed to the AAC encoder

private:
    struct Context;
    enum AudioFlush { WholeFramesOnly, PadPartialFrame, FinalFrame };

    bool openVideoEncoder();
    bool openAudioEncoder();
    bool encodeVideoFrame(const VideoSample &sample, qint64 pts);
    bool encodePendingAudio(AudioFlush flush);
    bool sendAndDrain(int streamIndex, bool flush, void *frame);
    bool writePacket(AVPacket *packet);
    bool writeWaitingAudio();
    bool muxPacket(AVPacket *packet);
    bool holdVideoPacket(AVPacket *packet);
    bool writeHeldVideo();
    bool writeFragment();
    void failOutput(int avError);
    void fail(const QString &what, int avError);
    bool close(); // false when the file could not be closed cleanly
    void cutBackToWholeFragments();

    const QString m_path;
    const MovieSettings m_settings;
    mutable QMutex m_lock;
    std::unique_ptr<Context> m_ctx;
    Status m_status = Unknown;
    QString m_error;
};

} // namespace platform
