#include "media/ffmpeglibrary.h"

#include <QLibrary>
#include <QMutex>
#include <QMutexLocker>

namespace platform {

namespace {

struct FileNames {
    QMutex lock;
    QString codec = QStringLiteral("libavcodec.so.%1").arg(LIBAVCODEC_VERSION_MAJOR);
    QString format = QStringLiteral("libavformat.so.%1").arg(LIBAVFORMAT_VERSION_MAJOR);
};

FileNames &fileNames()
{
    static FileNames names;
    return names;
}

template <typename Table>
struct Loaded {
    Table table;
    QString error; // empty once every function is there
};

template <typename Function>
bool resolve(QLibrary &library, const char *name, Function *slot, QString *error)
{
    *slot = reinterpret_cast<Function>(library.resolve(name));
    if (!*slot)
        *error = QStringLiteral("%1 has no function %2").arg(library.fileName(), QLatin1String(name));
    return *slot != nullptr;
}

// The library object is left alive and never unloaded: the functions stay valid to the end.
QLibrary *open(const QString &fileName, QString *error)
{
    auto *library = new QLibrary(fileName);
    if (library->load())
        return library;
    *error = QStringLiteral("cannot load %1 (%2)").arg(fileName, library->errorString());
    delete library;
    return nullptr;
}

#define LUMIDESK_FFMPEG_RESOLVE(name)                                                                      \
    if (!resolve(*library, #name, &loaded.table.name, &loaded.error))                                     \
        return loaded;

Loaded<FfmpegLibrary::Codec> loadCodec()
{
    Loaded<FfmpegLibrary::Codec> loaded;
    QLibrary *library = open(FfmpegLibrary::codecFileName(), &loaded.error);
    if (!library)
        return loaded;
    LUMIDESK_AVCODEC_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    return loaded;
}

Loaded<FfmpegLibrary::Format> loadFormat()
{
    Loaded<FfmpegLibrary::Format> loaded;
    QLibrary *library = open(FfmpegLibrary::formatFileName(), &loaded.error);
    if (!library)
        return loaded;
    LUMIDESK_AVFORMAT_FUNCTIONS(LUMIDESK_FFMPEG_RESOLVE)
    return loaded;
}

#undef LUMIDESK_FFMPEG_RESOLVE

template <typename Table>
const Table *result(const Loaded<Table> &loaded, QString *error)
{
    if (loaded.error.isEmpty())
        return &loaded.table;
    if (error)
        *error = loaded.error;
    return nullptr;
}

template <typename Table>
Loaded<Table> reported(Loaded<Table> loaded)
{
    if (!loaded.error.isEmpty())
        qWarning("FFmpeg: %s", qUtf8Printable(loaded.error));
    return loaded;
}

} // namespace

const FfmpegLibrary::Codec *FfmpegLibrary::codec(QString *error)
{
    static const Loaded<Codec> loaded = reported(loadCodec());
    return result(loaded, error);
}

const FfmpegLibrary::Format *FfmpegLibrary::format(QString *error)
{
    static const Loaded<Format> loaded = reported(loadFormat());
    return result(loaded, error);
}

void FfmpegLibrary::setFileNames(const QString &codecFile, const QString &formatFile)
{
    FileNames &names = fileNames();
    QMutexLocker locker(&names.lock);
    names.codec = codecFile;
    names.format = formatFile;
}

QString FfmpegLibrary::codecFileName()
{
    FileNames &names = fileNames();
    QMutexLocker locker(&names.lock);
    return names.codec;
}

QString FfmpegLibrary::formatFileName()
{
    FileNames &names = fileNames();
    QMutexLocker locker(&names.lock);
    return names.format;
}

} // namespace platform
