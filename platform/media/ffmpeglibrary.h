#pragma once

#include <QString>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/dict.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/mathematics.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace platform {

// The functions of FFmpeg's libraries the program calls, one line each, a table per library. The
// inline helpers of FFmpeg's headers that only compute (av_q2d, av_inv_q, AVERROR) are used as they
// are; any that would call into a library is not. libswresample has no table: nothing calls it, and
// libavcodec brings it along.
#define LUMIDESK_AVUTIL_FUNCTIONS(X)                                                                       \
    X(av_strerror)                                                                                         \
    X(av_frame_alloc)                                                                                      \
    X(av_frame_free)                                                                                       \
    X(av_frame_get_buffer)                                                                                 \
    X(av_frame_make_writable)                                                                              \
    X(av_frame_unref)                                                                                      \
    X(av_channel_layout_default)                                                                           \
    X(av_channel_layout_copy)                                                                              \
    X(av_dict_set)                                                                                         \
    X(av_dict_set_int)                                                                                     \
    X(av_dict_free)                                                                                        \
    X(av_opt_set)                                                                                          \
    X(av_opt_set_int)                                                                                      \
    X(av_rescale)                                                                                          \
    X(av_rescale_q)                                                                                        \
    X(av_mallocz)                                                                                          \
    X(av_log_set_callback)                                                                                 \
    X(av_log_get_level)                                                                                    \
    X(av_log_format_line2)

#define LUMIDESK_SWSCALE_FUNCTIONS(X)                                                                      \
    X(sws_getCachedContext)                                                                                \
    X(sws_scale)                                                                                           \
    X(sws_freeContext)                                                                                     \
    X(sws_getCoefficients)                                                                                 \
    X(sws_setColorspaceDetails)

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

// FFmpeg's libraries, opened the first time a feature needs them (a recording, a live stream, a
// camera's picture) rather than at every start: linked, they and what they pull in (codecs, TLS,
// hardware video drivers) cost each start milliseconds to tens of milliseconds. Each library is
// opened once per process, whichever thread asks first, and stays loaded to the end. libavutil is
// opened before any other, and FFmpeg's messages go to the program's log from then on.
class FfmpegLibrary
{
public:
#define LUMIDESK_FFMPEG_MEMBER(name) decltype(&::name) name = nullptr;
    struct Util {
        LUMIDESK_AVUTIL_FUNCTIONS(LUMIDESK_FFMPEG_MEMBER)
    };
    struct Scale {
        LUMIDESK_SWSCALE_FUNCTIONS(LUMIDESK_FFMPEG_MEMBER)
    };
    struct Codec {
        LUMIDESK_AVCODEC_FUNCTIONS(LUMIDESK_FFMPEG_MEMBER)
    };
    struct Format {
        LUMIDESK_AVFORMAT_FUNCTIONS(LUMIDESK_FFMPEG_MEMBER)
    };
#undef LUMIDESK_FFMPEG_MEMBER

    enum Library { AvUtil, SwScale, AvCodec, AvFormat };

    // The functions of each library; null when it, libavutil before it, or one of their functions
    // cannot be loaded, with `error` (when given) saying which.
    static const Util *util(QString *error = nullptr);
    static const Scale *scale(QString *error = nullptr);
    static const Codec *codec(QString *error = nullptr);
    static const Format *format(QString *error = nullptr);

    // FFmpeg's text for one of its error codes, or the code itself when libavutil cannot be loaded.
    static QString errorText(int avError);

    // The file opened, by default the soname of the FFmpeg the program was built with. A change
    // counts only before the first use of the library concerned.
    static void setFileName(Library library, const QString &file);
    static QString fileName(Library library);

private:
    FfmpegLibrary() = delete;
};

} // namespace platform
