#pragma once

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
}

namespace platform {

// The functions of libavcodec and of libavformat the program calls, one line each. Everything else
// of FFmpeg it uses (libavutil, libswscale, libswresample) is linked as usual.
#define LUMIDESK_AVCODEC_FUNCTIONS(X)                                                                      \
    X(avcodec_find_encoder_by_name)                                                                        \
    X(avcodec_find_decoder)                                                                                \
    X(avcodec_alloc_context3)                                                                              \
    X(avcodec_open2)                                                                                       \
    X(avcodec_free_context)                                                                                \
    X(avcodec_send_frame)                                                                                  \
    X(avcodec_receive_packet)                                                                              \
    X(avcodec_send_packet)                                                                                 \
    X(avcodec_receive_frame)                                                                               \
    X(avcodec_parameters_from_context)                                                                     \
    X(av_packet_alloc)                                                                                     \
    X(av_packet_free)                                                                                      \
    X(av_packet_unref)                                                                                     \
    X(av_packet_move_ref)                                                                                  \
    X(av_packet_rescale_ts)                                                                                \
    X(av_new_packet)

#define LUMIDESK_AVFORMAT_FUNCTIONS(X)                                                                     \
    X(avformat_alloc_output_context2)                                                                      \
    X(avformat_free_context)                                                                               \
    X(avformat_new_stream)                                                                                 \
    X(avformat_write_header)                                                                               \
    X(av_write_frame)                                                                                      \
    X(av_write_trailer)                                                                                    \
    X(avio_open)                                                                                           \
    X(avio_open2)                                                                                          \
    X(avio_closep)                                                                                         \
    X(avio_flush)                                                                                          \
    X(avio_seek)

// libavcodec and libavformat, opened the first time a feature needs them (a recording, a live
// stream, a camera's MJPEG) rather than at every start: linked, they and the hundred-odd libraries
// they pull in (codecs, TLS) cost each start tens of milliseconds. Each library is opened once per
// process, whichever thread asks first, and stays loaded to the end.
class FfmpegLibrary
{
public:
#define LUMIDESK_FFMPEG_MEMBER(name) decltype(&::name) name = nullptr;
    struct Codec {
        LUMIDESK_AVCODEC_FUNCTIONS(LUMIDESK_FFMPEG_MEMBER)
    };
    struct Format {
        LUMIDESK_AVFORMAT_FUNCTIONS(LUMIDESK_FFMPEG_MEMBER)
    };
#undef LUMIDESK_FFMPEG_MEMBER

    // The functions of each library; null when the library or one of its functions cannot be
    // loaded, with `error` (when given) saying which.
    static const Codec *codec(QString *error = nullptr);
    static const Format *format(QString *error = nullptr);

    // The files opened, by default the sonames of the FFmpeg the program was built with. A change
    // counts only before the first use of the library concerned.
    static void setFileNames(const QString &codecFile, const QString &formatFile);
    static QString codecFileName();
    static QString formatFileName();

private:
    FfmpegLibrary() = delete;
};

} // namespace platform
