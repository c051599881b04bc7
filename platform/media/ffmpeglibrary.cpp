#include "media/ffmpeglibrary.h"

#include "core/lazylibrary.h"

namespace platform {

namespace {

LazyLibrary &codecLibrary()
{
    static LazyLibrary library(QStringLiteral("libavcodec.so.%1").arg(LIBAVCODEC_VERSION_MAJOR));
    return library;
}

LazyLibrary &formatLibrary()
{
    static LazyLibrary library(QStringLiteral("libavformat.so.%1").arg(LIBAVFORMAT_VERSION_MAJOR));
    return library;
}

} // namespace

#define LUMIDESK_FFMPEG_RESOLVE(name) library.resolve(#name, &table.name);

const FfmpegLibrary::Codec *FfmpegLibrary::codec(QString *error)
{
    static Codec table;
    const bool loaded = codecLibrary().load([](LazyLibrary &library) {
        LUMIDESK_AVCODEC_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    }, error);
    return loaded ? &table : nullptr;
}

const FfmpegLibrary::Format *FfmpegLibrary::format(QString *error)
{
    static Format table;
    const bool loaded = formatLibrary().load([](LazyLibrary &library) {
        LUMIDESK_AVFORMAT_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    }, error);
    return loaded ? &table : nullptr;
}

#undef LUMIDESK_FFMPEG_RESOLVE

void FfmpegLibrary::setFileNames(const QString &codecFile, const QString &formatFile)
{
    codecLibrary().setFileName(codecFile);
    formatLibrary().setFileName(formatFile);
}

QString FfmpegLibrary::codecFileName()
{
    return codecLibrary().fileName();
}

QString FfmpegLibrary::formatFileName()
{
    return formatLibrary().fileName();
}

} // namespace platform
