#pragma once

#include "media/ffmpeglibrary.h"

#include <QLoggingCategory>
#include <QtGlobal>

#include <cstdarg>

namespace platform {

// FFmpeg's own messages ([tcp], [rtmp], [aac], [mov], the x264 banner) go into the program's log
// instead of straight to the terminal: each line becomes a Qt message of the category
// "lumidesk.ffmpeg" at the matching level, so the program's message handler files it with the rest
// and passes only warnings and errors on to standard error. FFmpeg's own level still applies: what it
// would not print is not logged either.
//
// The bridge is installed for the whole process when FfmpegLibrary opens libavutil, which it does
// before any other of FFmpeg's libraries: every FFmpeg user of the process (the encoders, the movie
// writer, the camera decoder, the live publisher) has it from its first message on, and a process
// that never uses FFmpeg never loads it.
class FfmpegLogBridge
{
public:
    // With the functions of the libavutil just opened; safe to call again, from any thread.
    static void install(const FfmpegLibrary::Util &functions);

    static QtMsgType messageTypeFor(int ffmpegLevel);
    static const QLoggingCategory &category();

    // FFmpeg's log callback: one call per piece of a line, a line ends with its '\n'.
    static void receive(void *context, int level, const char *format, va_list args);

private:
    FfmpegLogBridge() = delete;
};

} // namespace platform
