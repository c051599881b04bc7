#include "encoding/aacliveencoder.h"
#include "encoding/h264liveencoder.h"
#include "media/ffmpeglibrary.h"
#include "media/moviefilewriter.h"
#include "rtmpconnection.h"
#include "video/linux/v4l2framedecoder.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <linux/videodev2.h>

#include <functional>

using namespace platform;

// FFmpeg's codec and container libraries under names that are not there: every feature that needs
// them fails through its own failure path with the loader's message, nothing crashes on the way
// out, and what needs neither library goes on working.

namespace {

const QString AbsentCodec = QStringLiteral("liblumidesk-absent-avcodec.so.1");
// A library that is there, but is not libavformat.
const QString WrongFormat = QStringLiteral("libavutil.so.%1").arg(LIBAVUTIL_VERSION_MAJOR);

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
    void cameraFormatsWithoutCodecStillDecode();
};

void TestMediaFfmpegAbsent::initTestCase()
{
    FfmpegLibrary::setFileNames(AbsentCodec, WrongFormat);
}

void TestMediaFfmpegAbsent::loaderNamesWhatIsMissing_data()
{
    QTest::addColumn<bool>("format");
    QTest::addColumn<QString>("expected");
    QTest::newRow("library absent") << false << QStringLiteral("cannot load %1").arg(AbsentCodec);
    QTest::newRow("function absent") << true
                                     << QStringLiteral("has no function avformat_alloc_output_context2");
}

void TestMediaFfmpegAbsent::loaderNamesWhatIsMissing()
{
    QFETCH(bool, format);
    QFETCH(QString, expected);
    // Twice: the answer of the first use stands.
    for (int use = 0; use < 2; ++use) {
        QString error;
        const bool loaded = format ? FfmpegLibrary::format(&error) != nullptr
                                   : FfmpegLibrary::codec(&error) != nullptr;
        QVERIFY(!loaded);
        QVERIFY2(error.contains(expected), qPrintable(error));
    }
}

void TestMediaFfmpegAbsent::featuresFailWithTheLoadersMessage_data()
{
    QTest::addColumn<Feature>("feature");
    QTest::newRow("movie file") << Feature(recordMovie);
    QTest::newRow("live video") << Feature(encodeLiveVideo);
    QTest::newRow("live sound") << Feature(encodeLiveSound);
    QTest::newRow("live publisher") << Feature(publishLive);
}

void TestMediaFfmpegAbsent::featuresFailWithTheLoadersMessage()
{
    QFETCH(Feature, feature);
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString error = feature(folder.path());
    QVERIFY2(error.startsWith(QStringLiteral("cannot load %1").arg(AbsentCodec)), qPrintable(error));
}

void TestMediaFfmpegAbsent::cameraFormatsWithoutCodecStillDecode()
{
    const uchar data[2 * 4 * 2] = {};
    {
        V4l2FrameDecoder decoder;
        QVERIFY(!decoder.configure(V4L2_PIX_FMT_MJPEG, 4, 2, 0));
        QVERIFY(decoder.decode(data, int(sizeof data), QSize()).isNull());
    }
    V4l2FrameDecoder decoder;
    QVERIFY(decoder.configure(V4L2_PIX_FMT_YUYV, 4, 2, 8));
    QCOMPARE(decoder.decode(data, int(sizeof data), QSize()).size(), QSize(4, 2));
}

QTEST_GUILESS_MAIN(TestMediaFfmpegAbsent)
#include "tst_media_ffmpeg_absent.moc"
