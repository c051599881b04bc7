#include "encoding/aacliveencoder.h"
#include "encoding/h264liveencoder.h"
#include "media/ffmpeglibrary.h"
#include "media/moviefilewriter.h"
#include "rtmpconnection.h"
#include "video/linux/v4l2framedecoder.h"

#include <QFileInfo>
#include <QMap>
#include <QTemporaryDir>
#include <QtTest>

#include <linux/videodev2.h>

#include <functional>

using namespace platform;

// One of FFmpeg's libraries made impossible to load, for the whole process (this file is built once for
// each of libavutil, libswscale and libavcodec): every feature that needs it fails through its own
// failure path with the loader's message, nothing crashes on the way out, and what does not need it
// goes on working.

namespace {

const QString Absent = QStringLiteral(LUMIDESK_ABSENT_LIBRARY);

QString absentFile(const QString &library)
{
    return QStringLiteral("liblumidesk-absent-%1.so.1").arg(library);
}

// A library that is there, but is not libavformat.
const QString WrongFormat = QStringLiteral("libavutil.so.%1").arg(LIBAVUTIL_VERSION_MAJOR);

const QMap<QString, FfmpegLibrary::Library> Libraries = {
    {QStringLiteral("avutil"), FfmpegLibrary::AvUtil},
    {QStringLiteral("swscale"), FfmpegLibrary::SwScale},
    {QStringLiteral("avcodec"), FfmpegLibrary::AvCodec},
    {QStringLiteral("avformat"), FfmpegLibrary::AvFormat},
};

// The loader's answer for one library: its error, empty when it loaded.
QString loadError(FfmpegLibrary::Library library)
{
    QString error;
    bool loaded = false;
    switch (library) {
    case FfmpegLibrary::AvUtil:
        loaded = FfmpegLibrary::util(&error) != nullptr;
        break;
    case FfmpegLibrary::SwScale:
        loaded = FfmpegLibrary::scale(&error) != nullptr;
        break;
    case FfmpegLibrary::AvCodec:
        loaded = FfmpegLibrary::codec(&error) != nullptr;
        break;
    case FfmpegLibrary::AvFormat:
        loaded = FfmpegLibrary::format(&error) != nullptr;
        break;
    }
    return loaded ? QString() : (error.isEmpty() ? QStringLiteral("failed without a message") : error);
}

VideoSample grayFrame(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::gray);
    return VideoSample(image, 0);
}

// Each runs a feature from its opening to its destruction and gives its error.
using Feature = std::function<QString(const QString &folder)>;

QString recordMovie(const QString &folder)
{
    MovieSettings settings;
    settings.width = 64;
    settings.height = 48;
    const QString path = folder + QStringLiteral("/movie.mov");
    MovieFileWriter writer(path, settings);
    if (writer.startWriting())
        return QStringLiteral("started");
    writer.startSession(0);
    if (writer.appendVideo(grayFrame(64, 48)) || writer.finishWriting()
        || writer.status() != MovieFileWriter::Failed)
        return QStringLiteral("went on after the failure");
    if (QFileInfo::exists(path))
        return QStringLiteral("left a file behind");
    return writer.errorString();
}

QString encodeLiveVideo(const QString &)
{
    H264LiveEncoder encoder;
    if (encoder.open({64, 48, 30}))
        return QStringLiteral("opened");
    QVector<H264LiveEncoder::EncodedFrame> frames;
    if (encoder.isOpen() || encoder.encode(grayFrame(64, 48), &frames) || encoder.finish(&frames))
        return QStringLiteral("went on after the failure");
    return encoder.errorString();
}

QString encodeLiveSound(const QString &)
{
    AacLiveEncoder encoder;
    if (encoder.open())
        return QStringLiteral("opened");
    const QByteArray silence(AacLiveEncoder::FrameBytes, '\0');
    QVector<AacLiveEncoder::Packet> packets;
    if (encoder.isOpen() || encoder.encode(silence.constData(), 0, &packets) || encoder.finish(&packets))
        return QStringLiteral("went on after the failure");
    return encoder.errorString();
}

QString publishLive(const QString &)
{
    RtmpConnection connection;
    if (connection.open(QStringLiteral("rtmp://127.0.0.1:1/live/absent"), 1000) != RtmpConnection::Failed)
        return QStringLiteral("connected");
    const QString error = connection.errorString();
    const QByteArray config(8, '\1');
    if (connection.writeHeader(config, 64, 48, config, 44100, 1) != RtmpConnection::Failed
        || connection.writeVideo(QByteArray(8, '\1'), 0, true, 1000) != RtmpConnection::Failed)
        return QStringLiteral("went on after the failure");
    connection.close(true, 1000);
    return error;
}

// A camera stream of 4 x 2 pixels in `pixelFormat`, one frame of it decoded.
QString decodeCamera(quint32 pixelFormat)
{
    const uchar data[2 * 4 * 2] = {};
    V4l2FrameDecoder decoder;
    if (!decoder.configure(pixelFormat, 4, 2, 8)) {
        if (!decoder.decode(data, int(sizeof data), QSize()).isNull())
            return QStringLiteral("decoded after the failure");
        return decoder.errorString();
    }
    if (decoder.decode(data, int(sizeof data), QSize()).size() != QSize(4, 2))
        return QStringLiteral("no picture");
    return QString();
}

QString decodeCameraYuyv(const QString &)
{
    return decodeCamera(V4L2_PIX_FMT_YUYV);
}

QString decodeCameraMjpeg(const QString &)
{
    return decodeCamera(V4L2_PIX_FMT_MJPEG);
}

} // namespace

Q_DECLARE_METATYPE(Feature)

class TestMediaFfmpegAbsent : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void loaderNamesWhatIsMissing_data();
    void loaderNamesWhatIsMissing();
    void featuresFailWithTheLoadersMessage_data();
    void featuresFailWithTheLoadersMessage();
};

void TestMediaFfmpegAbsent::initTestCase()
{
    QVERIFY2(Libraries.contains(Absent), qPrintable(Absent));
    FfmpegLibrary::setFileName(Libraries.value(Absent), absentFile(Absent));
    if (Absent == QLatin1String("avcodec"))
        FfmpegLibrary::setFileName(FfmpegLibrary::AvFormat, WrongFormat);
}

void TestMediaFfmpegAbsent::loaderNamesWhatIsMissing_data()
{
    QTest::addColumn<QString>("library");
    // What its loader says, empty when it loads.
    QTest::addColumn<QString>("expected");
    for (const QString &library : Libraries.keys()) {
        QString expected;
        // libavutil is opened before any other of FFmpeg's libraries, and its failure is theirs.
        if (library == Absent || Absent == QLatin1String("avutil"))
            expected = QStringLiteral("cannot load %1").arg(absentFile(Absent));
        else if (library == QLatin1String("avformat") && Absent == QLatin1String("avcodec"))
            expected = QStringLiteral("%1 has no function avformat_alloc_output_context2").arg(WrongFormat);
        QTest::newRow(qPrintable(QStringLiteral("lib") + library)) << library << expected;
    }
}

void TestMediaFfmpegAbsent::loaderNamesWhatIsMissing()
{
    QFETCH(QString, library);
    QFETCH(QString, expected);
    // Twice: the answer of the first use stands.
    for (int use = 0; use < 2; ++use) {
        const QString error = loadError(Libraries.value(library));
        if (expected.isEmpty())
            QVERIFY2(error.isEmpty(), qPrintable(error));
        else
            QVERIFY2(error.contains(expected), qPrintable(error));
    }
}

void TestMediaFfmpegAbsent::featuresFailWithTheLoadersMessage_data()
{
    QTest::addColumn<Feature>("feature");
    // The libraries it opens.
    QTest::addColumn<QStringList>("needs");
    const QStringList all = {"avutil", "swscale", "avcodec", "avformat"};
    QTest::newRow("movie file") << Feature(recordMovie) << all;
    QTest::newRow("live video") << Feature(encodeLiveVideo) << QStringList{"avutil", "swscale", "avcodec"};
    QTest::newRow("live sound") << Feature(encodeLiveSound) << QStringList{"avutil", "avcodec"};
    QTest::newRow("live publisher") << Feature(publishLive) << QStringList{"avutil", "avcodec", "avformat"};
    QTest::newRow("camera, YUYV") << Feature(decodeCameraYuyv) << QStringList{"avutil", "swscale"};
    QTest::newRow("camera, MJPEG") << Feature(decodeCameraMjpeg) << QStringList{"avutil", "swscale", "avcodec"};
}

void TestMediaFfmpegAbsent::featuresFailWithTheLoadersMessage()
{
    QFETCH(Feature, feature);
    QFETCH(QStringList, needs);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString error = feature(folder.path());
    const QString loaderMessage = QStringLiteral("cannot load %1").arg(absentFile(Absent));
    if (needs.contains(Absent))
        QVERIFY2(error.startsWith(loaderMessage), qPrintable(error));
    else
        QVERIFY2(!error.contains(absentFile(Absent)), qPrintable(error));
}

QTEST_GUILESS_MAIN(TestMediaFfmpegAbsent)
#include "tst_media_ffmpeg_absent.moc"
