#include "media/ffmpeglibrary.h"

#include "core/lazylibrary.h"
#include "encoding/ffmpeglogbridge.h"

#include <mutex>

namespace platform {

namespace {

LazyLibrary &lazyLibrary(FfmpegLibrary::Library library)
{
    static LazyLibrary util(QStringLiteral("libavutil.so.%1").arg(LIBAVUTIL_VERSION_MAJOR));
    static LazyLibrary scale(QStringLiteral("libswscale.so.%1").arg(LIBSWSCALE_VERSION_MAJOR));
    static LazyLibrary codec(QStringLiteral("libavcodec.so.%1").arg(LIBAVCODEC_VERSION_MAJOR));
    static LazyLibrary format(QStringLiteral("libavformat.so.%1").arg(LIBAVFORMAT_VERSION_MAJOR));
    switch (library) {
    case FfmpegLibrary::AvUtil:
        return util;
    case FfmpegLibrary::SwScale:
        return scale;
    case FfmpegLibrary::AvCodec:
        return codec;
    case FfmpegLibrary::AvFormat:
        break;
    }
    return format;
}

} // namespace

#define LUMIDESK_FFMPEG_RESOLVE(name) library.resolve(#name, &table.name);

const FfmpegLibrary::Util *FfmpegLibrary::util(QString *error)
{
    static Util table;
    static std::once_flag bridged;
    const bool loaded = lazyLibrary(AvUtil).load([](LazyLibrary &library) {
        LUMIDESK_AVUTIL_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    }, error);
    if (!loaded)
        return nullptr;
    // Before any caller has a function of FFmpeg's that could log; every other library is opened
    // after this one.
    std::call_once(bridged, [] { FfmpegLogBridge::install(table); });
    return &table;
}

const FfmpegLibrary::Scale *FfmpegLibrary::scale(QString *error)
{
    static Scale table;
    const bool loaded = util(error) && lazyLibrary(SwScale).load([](LazyLibrary &library) {
        LUMIDESK_SWSCALE_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    }, error);
    return loaded ? &table : nullptr;
}

const FfmpegLibrary::Codec *FfmpegLibrary::codec(QString *error)
{
    static Codec table;
    const bool loaded = util(error) && lazyLibrary(AvCodec).load([](LazyLibrary &library) {
        LUMIDESK_AVCODEC_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    }, error);
    return loaded ? &table : nullptr;
}

const FfmpegLibrary::Format *FfmpegLibrary::format(QString *error)
{
    static Format table;
    const bool loaded = util(error) && lazyLibrary(AvFormat).load([](LazyLibrary &library) {
        LUMIDESK_AVFORMAT_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    }, error);
    return loaded ? &table : nullptr;
}

#undef LUMIDESK_FFMPEG_RESOLVE

QString FfmpegLibrary::errorText(int avError)
{
    const Util *functions = util();
    if (!functions)
        return QStringLiteral("error %1").arg(avError);
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    functions->av_strerror(avError, text, sizeof text);
    return QString::fromUtf8(text);
}

void FfmpegLibrary::setFileName(Library library, const QString &file)
{
    lazyLibrary(library).setFileName(file);
}

QString FfmpegLibrary::fileName(Library library)
{
    return lazyLibrary(library).fileName();
}

} // namespace platform
